#pragma once

#include <QString>

namespace platform {

// A stretch of a shown text in one language, as screen readers take it to choose a voice:
// [start, end) in UTF-16 units, language a BCP 47 tag, or empty for the reader's own.
struct LanguageRun {
    int start = 0;
    int end = 0;
    QString language;
};

// The run that holds `offset` in `text`. The player's own texts are English or Japanese (and file
// names and tags of Japanese collections), so kana, kanji and the full-width forms are Japanese;
// everything else is left to the reader. An offset outside the text gives the empty run at its
// nearer end.
LanguageRun languageRunAt(const QString& text, int offset);

} // namespace platform
