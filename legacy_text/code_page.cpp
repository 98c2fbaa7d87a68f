#include "legacy_text/code_page.h"

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

// The reading in which Cyrillic vowels fall where Russian puts them, of the two code pages most
// Cyrillic text is in: all-caps CP1251 reads cleanly as all-lowercase KOI8-R, and uchardet often
// takes it for that. Where both read alike, the user's own code page.
std::string weighCyrillic(const std::string& bytes, const std::string& chosen,
                          const std::string& user) {
    if (chosen != "CP1251" && chosen != "KOI8-R")
        return chosen;
    std::string best;
    double bestShare = -1;
    for (const std::string& candidate :
         {user, chosen, std::string("CP1251"), std::string("KOI8-R")}) {
        if (candidate != "CP1251" && candidate != "KOI8-R")
            continue;
        const std::optional<std::string> text = convert(bytes, candidate.c_str(), "UTF-8");
        if (!text || !readsCleanly(*text))
            continue;
        if (const double share = cyrillicVowelShare(*text); share > bestShare) {
            best = candidate;
            bestShare = share;
        }
    }
    return best.empty() ? chosen : best;
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
    for (const std::string& candidate : candidates) {
        if (candidate.empty())
            continue;
        std::optional<std::string> text = convert(bytes, candidate.c_str(), "UTF-8");
        if (text && readsCleanly(*text))
            return weighCyrillic(bytes, candidate, user);
    }
    return "ISO-8859-1";
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
