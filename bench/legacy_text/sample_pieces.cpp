#include "sample_pieces.h"

#include "legacy_text/code_page.h"
#include "legacy_text/utf8.h"

#include <algorithm>
#include <fstream>
#include <iterator>
#include <optional>
#include <set>
#include <tuple>

namespace legacy_text_bench {
namespace {

constexpr size_t kShortest = 10;
constexpr size_t kLongest = 60;
// Each text is cut this many times, each cut starting one word later with other lengths, so that
// a short text still gives pieces of many lengths and a word is seen at many places of a title.
constexpr size_t kCuts = 8;

bool isLegacy(const std::string& encoding) {
    return !encoding.starts_with("utf") && !encoding.starts_with("iso-2022");
}

std::vector<std::string> wordsOf(const std::string& text) {
    std::vector<std::string> words;
    std::string word;
    for (const char c : text + ' ') {
        if (c != ' ' && c != '\t' && c != '\n' && c != '\r') {
            word += c;
        } else if (!word.empty()) {
            words.push_back(word);
            word.clear();
        }
    }
    return words;
}

// The byte length of the first `characters` characters of utf8.
size_t bytesOfFirst(const std::string& utf8, size_t characters) {
    size_t at = 0;
    for (; at < utf8.size() && characters > 0; --characters)
        at += std::max<size_t>(1, legacy_text::utf8SequenceAt(utf8, at));
    return at;
}

// Pieces in the making: the next one's length, drawn from a fixed spread over 10 to 60.
class Cutter {
public:
    explicit Cutter(size_t draw) : drawn_(draw), target_(targetOf(draw)) {}

    void add(std::string word) {
        while (!word.empty()) {
            const size_t blank = current_.empty() ? 0 : 1;
            const size_t length = charactersIn(current_);
            if (length + blank + charactersIn(word) <= kLongest) {
                current_ += (blank ? " " : "") + word;
                word.clear();
            } else if (length >= kShortest) {
                flush();
                continue;
            } else {
                const size_t take =
                    std::max<size_t>(1, target_ - std::min(target_, length + blank));
                const size_t bytes = bytesOfFirst(word, take);
                current_ += (blank ? " " : "") + word.substr(0, bytes);
                word.erase(0, bytes);
                flush();
                continue;
            }
            if (charactersIn(current_) >= target_)
                flush();
        }
    }

    std::vector<std::string> finish() {
        flush();
        return std::move(pieces_);
    }

private:
    void flush() {
        if (charactersIn(current_) >= kShortest && hasNonAscii(current_))
            pieces_.push_back(current_);
        current_.clear();
        target_ = targetOf(++drawn_);
    }

    static size_t targetOf(size_t draw) {
        return kShortest + draw * 37 % (kLongest - kShortest + 1);
    }

    std::vector<std::string> pieces_;
    std::string current_;
    size_t drawn_;
    size_t target_;
};

} // namespace

std::vector<Sample> readSamples(const std::filesystem::path& folder) {
    std::vector<Sample> samples;
    for (const auto& language : std::filesystem::directory_iterator(folder)) {
        if (!language.is_directory())
            continue;
        for (const auto& file : std::filesystem::directory_iterator(language.path())) {
            const std::string encoding = file.path().stem().string();
            if (!isLegacy(encoding))
                continue;
            std::ifstream in(file.path(), std::ios::binary);
            const std::string bytes{std::istreambuf_iterator<char>(in), {}};
            if (const std::optional<std::string> text =
                    legacy_text::convert(bytes, encoding.c_str(), "UTF-8"))
                samples.push_back({language.path().filename().string(), encoding, *text});
        }
    }
    std::sort(samples.begin(), samples.end(), [](const Sample& a, const Sample& b) {
        return std::tie(a.language, a.encoding) < std::tie(b.language, b.encoding);
    });
    return samples;
}

std::vector<std::string> piecesOf(const std::string& utf8) {
    const std::vector<std::string> words = wordsOf(utf8);
    std::vector<std::string> pieces;
    std::set<std::string> seen;
    for (size_t cut = 0; cut < kCuts && cut < words.size(); ++cut) {
        Cutter cutter(cut * 5);
        for (size_t i = cut; i < words.size(); ++i)
            cutter.add(words[i]);
        for (std::string& piece : cutter.finish())
            if (seen.insert(piece).second)
                pieces.push_back(std::move(piece));
    }
    return pieces;
}

size_t charactersIn(const std::string& utf8) {
    return static_cast<size_t>(std::count_if(utf8.begin(), utf8.end(), [](char c) {
        return (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    }));
}

bool hasNonAscii(const std::string& text) {
    return std::any_of(text.begin(), text.end(),
                       [](char c) { return static_cast<unsigned char>(c) >= 0x80; });
}

} // namespace legacy_text_bench
