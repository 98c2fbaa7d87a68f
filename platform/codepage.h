// Conversion between the program's UTF-16 texts and the 8-bit texts of the engine's interface.
#pragma once

#include <QByteArray>
#include <QString>
#include <cstddef>

namespace platform {

// System: the locale's character set (UTF-8 normally). Cp932: Shift_JIS as Windows extends it.
enum class CodePage { System, Cp932 };

QByteArray toEightBit(const QString& text, CodePage page = CodePage::System);
QString fromEightBit(const QByteArray& bytes, CodePage page = CodePage::System);

// Writes text into a slot of n bytes, cut at a character boundary, the rest NUL; never past n.
void toSlot(const QString& text, char* slot, size_t n, CodePage page = CodePage::System);
// All n bytes of a slot as exactly n characters: the text, then NUL fill. An invalid or cut
// sequence becomes a replacement character.
QString fromSlot(const char* slot, size_t n, CodePage page = CodePage::System);

} // namespace platform
