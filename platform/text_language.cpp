#include "platform/text_language.h"

namespace platform {

namespace {

bool isJapanese(QChar c) {
    const char16_t u = c.unicode();
    return (u >= 0x3000 && u <= 0x30FF) || // CJK punctuation, hiragana, katakana
           (u >= 0x31F0 && u <= 0x31FF) || // small katakana
           (u >= 0x3400 && u <= 0x4DBF) || // kanji, extension A
           (u >= 0x4E00 && u <= 0x9FFF) || // kanji
           (u >= 0xF900 && u <= 0xFAFF) || // compatibility kanji
           (u >= 0xFF00 && u <= 0xFFEF);   // full-width and half-width forms
}

} // namespace

LanguageRun languageRunAt(const QString& text, int offset) {
    const int size = static_cast<int>(text.size());
    if (offset < 0 || offset >= size) {
        const int edge = offset < 0 ? 0 : size;
        return {edge, edge, {}};
    }
    const bool japanese = isJapanese(text[offset]);
    int start = offset;
    while (start > 0 && isJapanese(text[start - 1]) == japanese)
        --start;
    int end = offset + 1;
    while (end < size && isJapanese(text[end]) == japanese)
        ++end;
    return {start, end, japanese ? QStringLiteral("ja") : QString()};
}

} // namespace platform
