#include "codepage.h"

#include <string_view>

#include "legacy_text/code_page.h"
#include "legacy_text/eight_bit.h"
#include "legacy_text/locale_code_page.h"
#include "legacy_text/utf8.h"

namespace platform {
namespace {

std::string_view viewOf(const QByteArray& bytes) {
    return {bytes.constData(), static_cast<size_t>(bytes.size())};
}

} // namespace

QByteArray toEightBit(const QString& text) {
    return QByteArray::fromStdString(
        legacy_text::toEightBit(text.toStdU16String(), legacy_text::boundaryCodeset()));
}

QString fromEightBit(const QByteArray& bytes) {
    return QString::fromStdU16String(
        legacy_text::fromEightBit(viewOf(bytes), legacy_text::boundaryCodeset()));
}

QString displayName(const QString& fileName) {
    const std::string bytes = legacy_text::toEightBit(fileName.toStdU16String(), "UTF-8");
    if (legacy_text::isUtf8(bytes))
        return fileName;
    return QString::fromStdString(legacy_text::decodeAlone(bytes));
}

void toSlot(const QString& text, char* slot, size_t n) {
    legacy_text::toSlot(viewOf(text.toUtf8()), legacy_text::boundaryCodeset(), slot, n);
}

QString fromSlot(const char* slot, size_t n) {
    return QString::fromStdU16String(
        legacy_text::fromSlot({slot, n}, legacy_text::boundaryCodeset()));
}

} // namespace platform
