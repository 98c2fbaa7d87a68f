#include "legacy_text/alphabets.h"

#include "legacy_text/utf8.h"

#include <algorithm>
#include <set>
#include <utility>
#include <vector>

namespace legacy_text {
namespace {

bool isAsciiLetter(char32_t c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

bool isCyrillic(char32_t c) {
    return c >= 0x400 && c <= 0x4FF;
}

// Letters of Latin-1 and Latin Extended A, B and Additional.
bool isLatin(char32_t c) {
    return (c >= 0xC0 && c <= 0x24F && c != 0xD7 && c != 0xF7) || (c >= 0x1E00 && c <= 0x1EFF);
}

// The small letter of a Latin or Cyrillic letter outside ASCII; others as they are.
char32_t lowerCase(char32_t c) {
    if ((c >= 0xC0 && c <= 0xDE && c != 0xD7) || (c >= 0x410 && c <= 0x42F))
        return c + 0x20;
    if (c >= 0x400 && c <= 0x40F)
        return c + 0x50;
    if (c == 0x130)
        return 'i';
    if (c == 0x178)
        return 0xFF;
    if (c == 0x1A0 || c == 0x1AF) // Ơ, Ư
        return c + 1;
    const bool oddCapitals = (c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E);
    const bool evenCapitals = (c >= 0x100 && c <= 0x137) || (c >= 0x14A && c <= 0x177) ||
                              (c >= 0x218 && c <= 0x21B) || (c >= 0x460 && c <= 0x4FF) ||
                              (c >= 0x1E00 && c <= 0x1EFF);
    if ((oddCapitals && c % 2 == 1) || (evenCapitals && c % 2 == 0))
        return c + 1;
    return c;
}

std::vector<char32_t> codePoints(const std::string& utf8) {
    std::vector<char32_t> out;
    for (size_t at = 0; at < utf8.size();) {
        const size_t length = utf8SequenceAt(utf8, at);
        if (length == 0)
            return out;
        out.push_back(codePointAt(utf8, at, length));
        at += length;
    }
    return out;
}

struct Alphabet {
    std::set<char32_t> letters; // small letters outside ASCII
    // Letters that alone make a weak fit: what CP1252 makes of another code page's letters
    // (Icelandic ð, þ and ý of Turkish ğ, ş and ı), or all of a language rarely met in 8-bit tags
    // outside its own locale.
    std::set<char32_t> weak;
};

std::set<char32_t> letterSet(const std::string& utf8) {
    const std::vector<char32_t> letters = codePoints(utf8);
    return {letters.begin(), letters.end()};
}

// The small letters outside ASCII of the languages whose text is found in the 8-bit code pages.
const std::vector<Alphabet>& alphabets() {
    static const std::vector<Alphabet> all = [] {
        std::vector<Alphabet> list;
        for (const char* common : {
                 "áéíóúñü",                           // Spanish
                 "áâãàçéêíóôõúü",                     // Portuguese
                 "àâæçéèêëîïôœùûüÿ",                  // French
                 "àèéìíîòóùú",                        // Italian
                 "äöüß",                              // German
                 "áéíóúàèëïöü",                       // Dutch
                 "æøåéóòôäöü",                        // Danish, Norwegian
                 "åäöéü",                             // Swedish
                 "äöåšž",                             // Finnish
                 "àçèéíïòóúü",                        // Catalan
                 "äöõüšž",                            // Estonian
                 "áčďéěíňóřšťúůýž",                   // Czech
                 "áäčďéíĺľňóôŕšťúýž",                 // Slovak
                 "ąćęłńóśźż",                         // Polish
                 "áéíóöőúüű",                         // Hungarian
                 "čćđšž",                             // Croatian, Slovene, Bosnian
                 "ăâîșțşţ",                           // Romanian
                 "çğıöşüâîû",                         // Turkish
                 "çë",                                // Albanian
                 "āčēģīķļņšūž",                       // Latvian
                 "ąčęėįšųūž",                         // Lithuanian
                 "абвгдежзийклмнопрстуфхцчшщъыьэюяё", // Russian
                 "абвгдежзийклмнопрстуфхцчшщьюяєіїґ", // Ukrainian
                 "абвгдежзйклмнопрстуфхцчшыьэюяёіў",  // Belarusian
                 "абвгдежзийклмнопрстуфхцчшщъьюяѝ",   // Bulgarian
                 "абвгдђежзијклљмнњопрстћуфхцчџш",    // Serbian
                 "абвгдѓежзѕијклљмнњопрстќуфхцчџш",   // Macedonian
             })
            list.push_back({letterSet(common), {}});
        list.push_back({letterSet("áðéíóúýþæö"), letterSet("ðþý")}); // Icelandic
        // Vietnamese, its tones composed: its letters of Latin-1 alone are French or Italian.
        Alphabet vietnamese{letterSet("àáâãèéêìíòóôõùúýăđĩũơư"), letterSet("àáâãèéêìíòóôõùúý")};
        for (char32_t c = 0x1EA1; c <= 0x1EF9; c += 2)
            vietnamese.letters.insert(c);
        list.push_back(std::move(vietnamese));
        for (const char* rare : {
                 "áðíóúýæø",          // Faroese
                 "ċġħżàèìòù",         // Maltese
                 "ĉĝĥĵŝŭ",            // Esperanto
                 "âêîôûŵŷäëïöüáéíóú", // Welsh
             })
            list.push_back({letterSet(rare), letterSet(rare)});
        return list;
    }();
    return all;
}

bool holds(const std::set<char32_t>& all, const std::set<char32_t>& some) {
    return std::includes(all.begin(), all.end(), some.begin(), some.end());
}

bool isLetter(char32_t c) {
    return isAsciiLetter(c) || isLatin(c) || isCyrillic(c) || (c >= 0x370 && c <= 0x3FF);
}

// A sign of Latin-1 or general punctuation, as a wrong code page makes of a letter.
bool isSign(char32_t c) {
    return (c >= 0xA1 && c <= 0xBF && c != 0xAA && c != 0xB5 && c != 0xBA) ||
           (c >= 0x2010 && c <= 0x206F && c != 0x2019) || c == 0x2122;
}

} // namespace

Script scriptOf(const std::string& utf8) {
    size_t latin = 0, cyrillic = 0, other = 0;
    for (const char32_t c : codePoints(utf8)) {
        if (c < 0x80)
            continue;
        latin += isLatin(c);
        cyrillic += isCyrillic(c);
        other += !isLatin(c) && !isCyrillic(c) && !isSign(c) && c > 0xBF;
    }
    if (latin >= cyrillic && latin >= other)
        return Script::Latin;
    return cyrillic >= other ? Script::Cyrillic : Script::Other;
}

int languageFit(const std::string& utf8) {
    const std::vector<char32_t> text = codePoints(utf8);
    std::set<char32_t> letters;
    for (size_t i = 0; i < text.size(); ++i) {
        if (i > 0 && i + 1 < text.size() && isSign(text[i]) && isLetter(text[i - 1]) &&
            isLetter(text[i + 1]))
            return 0;
        // İ is a capital of ASCII's i.
        if ((isLatin(text[i]) || isCyrillic(text[i])) && lowerCase(text[i]) >= 0x80)
            letters.insert(lowerCase(text[i]));
    }
    if (letters.empty() || scriptOf(utf8) == Script::Other)
        return 2;
    int best = 0;
    for (const Alphabet& a : alphabets())
        if (holds(a.letters, letters))
            best = std::max(best, holds(a.weak, letters) ? 1 : 2);
    return best;
}

} // namespace legacy_text
