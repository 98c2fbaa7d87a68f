#include "legacy_text/code_page.h"

#include "legacy_text/locale_code_page.h"
#include "legacy_text/utf8.h"

#include <algorithm>
#include <cctype>
#include <iconv.h>
#include <memory>
#include <optional>
#include <type_traits>
#include <uchardet/uchardet.h>

namespace legacy_text {
namespace {

// Below this many bytes of non-ASCII text uchardet's finding is a guess (it takes the 8 bytes of
// "山田太郎" in CP932 for Windows-1252).
constexpr size_t kEnoughEvidence = 16;

char32_t codePointAt(const std::string& utf8, size_t at, size_t length) {
    static constexpr unsigned char kLeadMask[] = {0, 0x7F, 0x1F, 0x0F, 0x07};
    char32_t code = static_cast<unsigned char>(utf8[at]) & kLeadMask[length];
    for (size_t i = 1; i < length; ++i)
        code = code << 6 | (static_cast<unsigned char>(utf8[at + i]) & 0x3F);
    return code;
}

bool isAsciiLetter(char32_t c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

// Letters of Greek, Cyrillic, Hebrew, Arabic and Thai, which never share a word with Latin ones.
bool isOtherAlphabetLetter(char32_t c) {
    return (c >= 0x370 && c <= 0x52F) || (c >= 0x590 && c <= 0x6FF) || (c >= 0xE00 && c <= 0xE7F);
}

// A code page that turns the bytes into controls, private-use characters (where CP932 puts its
// user-defined area) or replacement characters has not read them; nor has one that puts Cyrillic
// or Greek letters inside Latin words (CP1251 reads "Björk" in CP1252 as "Bjцrk").
bool readsCleanly(const std::string& utf8) {
    char32_t previous = ' ';
    for (size_t at = 0; at < utf8.size();) {
        const size_t length = utf8SequenceAt(utf8, at);
        if (length == 0)
            return false;
        const char32_t c = codePointAt(utf8, at, length);
        const bool control =
            (c < 0x20 && c != '\t' && c != '\n' && c != '\r') || (c >= 0x7F && c < 0xA0);
        const bool mixedWord = (isAsciiLetter(previous) && isOtherAlphabetLetter(c)) ||
                               (isOtherAlphabetLetter(previous) && isAsciiLetter(c));
        if (control || mixedWord || (c >= 0xE000 && c <= 0xF8FF) || c == 0xFFFD)
            return false;
        previous = c;
        at += length;
    }
    return true;
}

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

// Bytes of text outside ASCII: bytes above 0x7F, each with the byte after it where that can be
// the second byte of a double-byte character (Big5 and Shift_JIS put many of those under 0x80).
size_t nonAsciiBytes(const std::string& bytes) {
    size_t count = 0;
    for (size_t i = 0; i < bytes.size(); ++i) {
        if (static_cast<unsigned char>(bytes[i]) < 0x80)
            continue;
        ++count;
        if (i + 1 < bytes.size() && bytes[i + 1] >= 0x40) {
            ++count;
            ++i;
        }
    }
    return count;
}

} // namespace

std::string decideCodePage(const std::string& bytes) {
    const std::string detected = detect(bytes);
    const std::string user = userWindowsCodePage();
    const bool strong = nonAsciiBytes(bytes) >= kEnoughEvidence;
    for (const std::string& candidate :
         {strong ? detected : user, strong ? user : detected, std::string("CP1252")}) {
        if (candidate.empty())
            continue;
        std::optional<std::string> text = convert(bytes, candidate.c_str(), "UTF-8");
        if (text && readsCleanly(*text))
            return candidate;
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

std::optional<std::string> convert(const std::string& text, const char* from, const char* to) {
    iconv_t cd = iconv_open(to, from);
    if (cd == reinterpret_cast<iconv_t>(-1))
        return std::nullopt;
    std::string in = text;
    std::string out(4 * in.size() + 8, '\0');
    char* inPtr = in.data();
    char* outPtr = out.data();
    size_t inLeft = in.size();
    size_t outLeft = out.size();
    size_t done = iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft);
    if (done != static_cast<size_t>(-1))
        done = iconv(cd, nullptr, nullptr, &outPtr, &outLeft);
    iconv_close(cd);
    if (done == static_cast<size_t>(-1))
        return std::nullopt;
    out.resize(out.size() - outLeft);
    return out;
}

std::string decodeAlone(const std::string& bytes) {
    std::string text = bytes;
    decodeTogether({&text});
    return text;
}

} // namespace legacy_text
