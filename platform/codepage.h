// Conversion between the program's UTF-16 texts and the 8-bit texts of the engine's interface,
// in the engine's: the locale's character set (UTF-8 normally; the C and POSIX locales count as
// UTF-8), which Qt's own "System" (always UTF-8 on Linux) is not.
#pragma once

#include <QByteArray>
#include <QString>
#include <cstddef>

namespace platform {

// In UTF-8, bytes that are no UTF-8 (a file name in a legacy code page) come in as the lone
// surrogates U+DC80..U+DCFF and go out as the same bytes, as Python's "surrogateescape" does, so
// a path survives the round trip byte for byte.
QByteArray toEightBit(const QString& text);
QString fromEightBit(const QByteArray& bytes);

// A file name for people to read: one that came in with escaped bytes, decoded by the rule that
// decides the code page of legacy tag text.
QString displayName(const QString& fileName);

// Writes text into a slot of n bytes, cut at a character boundary, the rest NUL; never past n.
void toSlot(const QString& text, char* slot, size_t n);
// All n bytes of a slot as exactly n characters: the text, then NUL fill. An invalid or cut
// sequence becomes a replacement character.
QString fromSlot(const char* slot, size_t n);

} // namespace platform
