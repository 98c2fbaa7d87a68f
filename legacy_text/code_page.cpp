#include "legacy_text/code_page.h"

#include "legacy_text/alphabets.h"
#include "legacy_text/iconv_converter.h"
#include "legacy_text/locale_code_page.h"
#include "legacy_text/reading.h"
#include "legacy_text/utf8.h"

#include <algorithm>
#include <cctype>
#include <memory>
#include <optional>
#include <type_traits>
#include <uchardet/uchardet.h>
#include <vector>

namespace legacy_text {
namespace {

// Below this many bytes of non-ASCII text uchardet's finding is a guess (it takes the 8 bytes of
// "山田太郎" in CP932 for Windows-1252).
constexpr size_t kEnoughEvidence = 16;

// uchardet's name of a detected charset, as the Windows code page that extends it.
std::string windowsNameOf(const std::string& detected) {
    static const std::pair<const char*, const char*> kWider[] = {
        {"SHIFT_JIS", "CP932"},   {"EUC-KR", "CP949"},      {"UHC", "CP949"},
        {"GB18030", "CP936"},     {"GB2312", "CP936"},      {"BIG5", "CP950"},
        {"ISO-8859-1", "CP1252"}, {"ISO-8859-2", "CP1250"}, {"ISO-8859-7", "CP1253"},
        {"ISO-8859-8", "CP1255"}, {"ISO-8859-9", "CP1254"}, {"TIS-620", "CP874"},
    };
    std::string upper = detected;
    std::transform(upper.begin(), upper.end(), upper.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    for (const auto& [name, wider] : kWider)
        if (upper == name)
            return wider;
    if (upper.starts_with("WINDOWS-"))
        return "CP" + upper.substr(8);
    return upper == "ASCII" || upper == "UTF-8" ? std::string() : detected;
}

std::string detect(const std::string& bytes) {
    std::unique_ptr<std::remove_pointer_t<uchardet_t>, void (*)(uchardet_t)> detector(
        uchardet_new(), uchardet_delete);
    if (!detector || uchardet_handle_data(detector.get(), bytes.data(), bytes.size()) != 0)
        return {};
    uchardet_data_end(detector.get());
    return windowsNameOf(uchardet_get_charset(detector.get()));
}

bool isAsciiLetter(unsigned char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

// A double-byte code page that joins a byte above 0x7F with the Latin letter after it into one
// character, alone inside a Latin word: how CP932 reads "Misérables" in Latin-1 ("Mis駻ables").
// Chinese and Japanese put Latin words right beside their own characters ("Sony与Ericsson"), but
// those characters' second bytes are no Latin letters.
bool joinsLatinLetter(const std::string& bytes, const char* codePage) {
    const auto at = [&](size_t i) { return static_cast<unsigned char>(bytes[i]); };
    for (size_t i = 1; i + 2 < bytes.size(); ++i) {
        if (at(i) < 0x80 || !isAsciiLetter(at(i - 1)) || !isAsciiLetter(at(i + 1)) ||
            !isAsciiLetter(at(i + 2)))
            continue;
        const std::optional<std::string> pair = convert(bytes.substr(i, 2), codePage, "UTF-8");
        if (pair && utf8SequenceAt(*pair, 0) == pair->size())
            return true;
    }
    return false;
}

struct Reading {
    std::string codePage;
    std::string text; // UTF-8
};

const Reading* readingIn(const std::vector<Reading>& readings, const std::string& codePage) {
    for (const Reading& reading : readings)
        if (reading.codePage == codePage)
            return &reading;
    return nullptr;
}

// Whether a reads as Cyrillic more plausibly than b by more than margin: fewer capitals inside
// words, else likelier letters.
bool morePlausible(const CyrillicLetters& a, const CyrillicLetters& b, double margin) {
    if (a.caseBreaks != b.caseBreaks)
        return a.caseBreaks < b.caseBreaks;
    return a.likelihood > b.likelihood + margin;
}

// Of the Cyrillic readings, which read each other's bytes cleanly, the most plausible one. The
// user's own code page, else the one chosen, is overruled only by clearly likelier letters: a
// title of a few words gives little evidence, and the letters of Bulgarian or Ukrainian are not
// those of Russian.
const Reading* weighCyrillic(const std::vector<Reading>& readings, const Reading* chosen,
                             const Reading* own) {
    constexpr double kClearly = 0.25; // in the mean log frequency of the letters
    const Reading* best = own ? own : chosen;
    CyrillicLetters bestLetters = cyrillicLetters(best->text);
    double margin = kClearly;
    for (const Reading& reading : readings) {
        const CyrillicLetters letters = cyrillicLetters(reading.text);
        if (scriptOf(reading.text) == Script::Cyrillic &&
            morePlausible(letters, bestLetters, margin)) {
            best = &reading;
            bestLetters = letters;
            margin = 0;
        }
    }
    return best;
}

// Whether the user's own code page reads the bytes as plausible text of that script: letters
// that fit a language, and for Cyrillic letters as frequent as a language's.
bool readsAsOwnLanguage(const Reading& own) {
    constexpr double kLikeALanguage = -3.3; // about -3.0 in running text, -3.5 for any letters
    return languageFit(own.text) == 2 && scriptOf(own.text) == Script::Cyrillic &&
           cyrillicLetters(own.text).likelihood >= kLikeALanguage;
}

// The first reading, or the user's own code page's where it reads the same script (Latin or
// Cyrillic), or plausible Cyrillic: a code page of the user's language that reads the bytes
// cleanly holds against uchardet's finding of another. Then a reading of that script whose
// letters fit a language better; between Cyrillic readings, the most plausible letters.
std::string chooseReading(const std::vector<Reading>& readings, const std::string& user) {
    const Reading* chosen = &readings.front();
    const Reading* own = readingIn(readings, user);
    if (own && scriptOf(own->text) != Script::Other &&
        (scriptOf(own->text) == scriptOf(chosen->text) || readsAsOwnLanguage(*own)))
        chosen = own;
    const Script script = scriptOf(chosen->text);
    if (script == Script::Other)
        return chosen->codePage;
    int fit = languageFit(chosen->text);
    for (const Reading& reading : readings)
        if (scriptOf(reading.text) == script && languageFit(reading.text) > fit) {
            chosen = &reading;
            fit = languageFit(reading.text);
        }
    if (script != Script::Cyrillic)
        return chosen->codePage;
    return weighCyrillic(readings, chosen, own && scriptOf(own->text) == script ? own : nullptr)
        ->codePage;
}

} // namespace

std::string decideCodePage(const std::string& bytes) {
    const std::string detected = detect(bytes);
    const std::string user = userWindowsCodePage();
    const bool strong = nonAsciiBytes(bytes) >= kEnoughEvidence;
    // Under the evidence uchardet needs, its finding is a guess that comes after Windows' own
    // Western code page.
    std::vector<std::string> candidates = strong
                                              ? std::vector<std::string>{detected, user, "CP1252"}
                                              : std::vector<std::string>{user, "CP1252", detected};
    // Enough text that uchardet did not place (it misses Shift_JIS with Windows' extensions now
    // and then): the code pages that most legacy text is in, before ISO-8859-1's controls.
    if (strong)
        candidates.insert(candidates.end(), {"CP932", "CP936", "CP949", "CP950", "CP1251"});
    // The other code pages of the Latin and Cyrillic scripts that most titles are in, where
    // uchardet's guess at a short text missed them: no first reading, each wins only where its
    // letters fit a language better than those of the readings before it.
    const size_t first = candidates.size();
    candidates.insert(candidates.end(), {"CP1250", "CP1254", "CP1257", "CP1251", "KOI8-R"});
    std::vector<Reading> readings;
    for (size_t i = 0; i < candidates.size(); ++i) {
        const std::string& candidate = candidates[i];
        if (candidate.empty() || readingIn(readings, candidate) || (i >= first && readings.empty()))
            continue;
        std::optional<std::string> text = convert(bytes, candidate.c_str(), "UTF-8");
        if (text && readsCleanly(*text) && !joinsLatinLetter(bytes, candidate.c_str()))
            readings.push_back({candidate, std::move(*text)});
    }
    return readings.empty() ? std::string("ISO-8859-1") : chooseReading(readings, user);
}

void decodeTogether(const std::vector<std::string*>& texts) {
    std::vector<std::string*> legacy;
    std::string all;
    for (std::string* text : texts)
        if (!isUtf8(*text)) {
            legacy.push_back(text);
            all += *text;
            all += '\n';
        }
    if (legacy.empty())
        return;
    const std::string codePage = decideCodePage(all);
    for (std::string* text : legacy)
        *text = convert(*text, codePage.c_str(), "UTF-8").value_or(std::string());
}

size_t nonAsciiBytes(std::string_view bytes) {
    size_t count = 0;
    for (size_t i = 0; i < bytes.size(); ++i) {
        if (static_cast<unsigned char>(bytes[i]) < 0x80)
            continue;
        ++count;
        if (i + 1 < bytes.size() && static_cast<unsigned char>(bytes[i + 1]) >= 0x40) {
            ++count;
            ++i;
        }
    }
    return count;
}

std::optional<std::string> convert(const std::string& text, const char* from, const char* to) {
    return IconvConverter(to, from).whole(text);
}

std::string decodeAlone(const std::string& bytes) {
    std::string text = bytes;
    decodeTogether({&text});
    return text;
}

} // namespace legacy_text
