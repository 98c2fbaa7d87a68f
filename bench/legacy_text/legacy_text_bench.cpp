// How often 8-bit tag text in each language and legacy encoding is read right: real text cut into
// tag-sized pieces, each written as the title of real ID3v1, ID3v2 (frames marked ISO-8859-1) and
// RIFF INFO files, read back by the engine's tag reader under the language's own locale and under
// en_US.
//
//     legacy_text_bench [SAMPLES] [--wrong]
//
// SAMPLES is a folder of LANG/ENCODING.txt files (default ../shared/legacy-text-samples beside the
// source tree); --wrong lists every piece read wrong.
#include "legacy_text/locale_code_page.h"
#include "sample_pieces.h"
#include "scores.h"
#include "tag_files.h"
#include "temp_folder.h"

#include "legacy_text/code_page.h"

#include <clocale>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <optional>
#include <sstream>
#include <stdexcept>

using namespace legacy_text_bench;

namespace {

constexpr const char* kEnglish = "en_US";

std::vector<std::string> benchLocales() {
    std::vector<std::string> locales;
    std::istringstream list(BENCH_LOCALES);
    for (std::string locale; std::getline(list, locale, ',');)
        locales.push_back(locale);
    return locales;
}

// The Windows code page that text in encoding reads right in; empty where there is none.
std::string codePageHolding(const std::string& encoding) {
    static const std::pair<const char*, const char*> kWithin[] = {
        {"iso-8859-1", "CP1252"}, {"iso-8859-9", "CP1254"}, {"iso-8859-11", "CP874"},
        {"tis-620", "CP874"},     {"uhc", "CP949"},         {"gb18030", "CP936"},
        {"big5", "CP950"},        {"shift_jis", "CP932"}};
    if (encoding.starts_with("windows-"))
        return "CP" + encoding.substr(8);
    for (const auto& [name, codePage] : kWithin)
        if (encoding == name)
            return codePage;
    return {};
}

// Of the locales of the sample's language, the one whose code page the sample is in, else the
// first.
std::string localeOf(const Sample& sample) {
    std::optional<std::string> first;
    for (const std::string& locale : benchLocales()) {
        if (locale.substr(0, locale.find('_')) != sample.language)
            continue;
        if (legacy_text::windowsCodePageOf(locale) == codePageHolding(sample.encoding))
            return locale;
        first = first.value_or(locale);
    }
    if (!first)
        throw std::runtime_error("no locale for " + sample.language);
    return *first;
}

// The user's locale, as the player takes it from the environment.
void useLocale(const std::string& locale) {
    const std::string name = locale + ".UTF-8";
    setenv("LC_ALL", name.c_str(), 1);
    if (std::setlocale(LC_ALL, "") == nullptr)
        throw std::runtime_error("no locale " + name +
                                 " in " BENCH_LOCALE_DIR
                                 " (cmake --build BUILD --target bench_locales)");
}

struct StoredPiece {
    std::string path;
    std::string expected; // UTF-8
    size_t kind;
};

std::vector<StoredPiece> storePieces(const Sample& sample, const TagFiles& files, size_t& pieces) {
    std::vector<StoredPiece> stored;
    pieces = 0;
    for (const std::string& piece : piecesOf(sample.text)) {
        ++pieces;
        for (size_t kind = 0; kind < std::size(kTagKinds); ++kind) {
            const std::string expected = storedTitle(piece, sample.encoding, kTagKinds[kind]);
            const std::optional<std::string> bytes =
                legacy_text::convert(expected, "UTF-8", sample.encoding.c_str());
            if (!bytes || !hasNonAscii(expected))
                continue;
            const std::string name = std::to_string(pieces) + "_" + std::to_string(kind);
            stored.push_back({files.write(name, *bytes, kTagKinds[kind]), expected, kind});
        }
    }
    return stored;
}

KindCounts readUnder(const std::string& locale, const std::vector<StoredPiece>& stored,
                     const std::string& sampleName, bool showWrong) {
    static const char* const kKindNames[] = {"ID3v1", "ID3v2", "RIFF"};
    useLocale(locale);
    KindCounts counts{};
    for (const StoredPiece& piece : stored) {
        const std::string title = readTitle(piece.path);
        counts[piece.kind].add(title == piece.expected);
        if (showWrong && title != piece.expected)
            std::cout << sampleName << " " << kKindNames[piece.kind] << " under " << locale
                      << ": \"" << piece.expected << "\" read \"" << title << "\"\n";
    }
    return counts;
}

SampleScore scoreOf(const Sample& sample, const TagFiles& files, bool showWrong) {
    SampleScore score;
    score.name = sample.language + "/" + sample.encoding;
    score.locale = localeOf(sample);
    score.ownCodePage =
        legacy_text::windowsCodePageOf(score.locale) == codePageHolding(sample.encoding);
    const std::vector<StoredPiece> stored = storePieces(sample, files, score.pieces);
    score.own = readUnder(score.locale, stored, score.name, showWrong);
    score.english = readUnder(kEnglish, stored, score.name, showWrong);
    for (const StoredPiece& piece : stored)
        std::filesystem::remove(piece.path);
    return score;
}

} // namespace

int main(int argc, char** argv) {
    std::filesystem::path folder = SOURCE_DIR "/../shared/legacy-text-samples";
    bool showWrong = false;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--wrong") == 0)
            showWrong = true;
        else
            folder = argv[i];
    }
    if (!std::filesystem::is_directory(folder)) {
        std::cerr << "no samples at " << folder << "\n";
        return 2;
    }
    setenv("LOCPATH", BENCH_LOCALE_DIR, 1);
    try {
        test_support::TempFolder temp;
        const TagFiles files(temp.path());
        std::vector<SampleScore> scores;
        for (const Sample& sample : readSamples(folder))
            if (SampleScore score = scoreOf(sample, files, showWrong); score.pieces > 0)
                scores.push_back(std::move(score));
        printTable(std::cout, scores);
    } catch (const std::exception& error) {
        std::cerr << error.what() << "\n";
        return 1;
    }
    return 0;
}
