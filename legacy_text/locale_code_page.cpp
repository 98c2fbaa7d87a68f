#include "legacy_text/locale_code_page.h"

#include <algorithm>
#include <cstdlib>
#include <langinfo.h>

namespace legacy_text {
namespace {

bool oneOf(std::string_view value, std::initializer_list<std::string_view> list) {
    return std::find(list.begin(), list.end(), value) != list.end();
}

} // namespace

std::string windowsCodePageOf(std::string_view locale) {
    // language[_territory][.codeset][@modifier]
    locale = locale.substr(0, locale.find_first_of(".@"));
    const size_t underscore = locale.find('_');
    const std::string_view language = locale.substr(0, underscore);
    const std::string_view territory =
        underscore == std::string_view::npos ? std::string_view() : locale.substr(underscore + 1);
    if (language == "ja")
        return "CP932";
    if (language == "ko")
        return "CP949";
    if (language == "zh")
        return oneOf(territory, {"TW", "HK", "MO"}) ? "CP950" : "CP936";
    if (oneOf(language, {"ru", "uk", "be", "bg", "sr", "mk", "kk", "ky", "tt", "tg", "mn", "ba"}))
        return "CP1251";
    if (language == "el")
        return "CP1253";
    if (oneOf(language, {"tr", "az"}))
        return "CP1254";
    if (oneOf(language, {"he", "yi"}))
        return "CP1255";
    if (oneOf(language, {"ar", "fa", "ur"}))
        return "CP1256";
    if (oneOf(language, {"lt", "lv", "et"}))
        return "CP1257";
    if (language == "vi")
        return "CP1258";
    if (language == "th")
        return "CP874";
    if (oneOf(language, {"pl", "cs", "sk", "hu", "sl", "hr", "ro", "bs", "sq"}))
        return "CP1250";
    return "CP1252";
}

std::string userWindowsCodePage() {
    for (const char* name : {"LC_ALL", "LC_CTYPE", "LANG"}) {
        const char* value = std::getenv(name);
        if (value != nullptr && value[0] != '\0')
            return windowsCodePageOf(value);
    }
    return windowsCodePageOf("C");
}

std::string boundaryCodeset() {
    const std::string codeset = nl_langinfo(CODESET);
    return codeset == "ANSI_X3.4-1968" || codeset == "ASCII" ? std::string("UTF-8") : codeset;
}

bool boundaryIsUtf8() {
    const std::string codeset = boundaryCodeset();
    return codeset == "UTF-8" || codeset == "utf8";
}

} // namespace legacy_text
