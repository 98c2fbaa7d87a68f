#include "codepage.h"

#include <string_view>

#include "legacy_text/code_page.h"
#include "legacy_text/eight_bit.h"
#include "legacy_text/locale_code_page.h"
#include "legacy_text/utf8.h"

namespace platform {
namespace {

// The engine uses the locale's character set (Qt's own "System" is always UTF-8 on Linux).
std::string codesetOf(CodePage page) {
    return page == CodePage::Cp932 ? std::string("CP932") : legacy_text::boundaryCodeset();
}

std::string_view viewOf(const QByteArray& bytes) {
    return {bytes.constData(), static_cast<size_t>(bytes.size())};
}

} // namespace

QByteArray toEightBit(const QString& text, CodePage page) {
    return QByteArray::fromStdString(
        legacy_text::toEightBit(text.toStdU16String(), codesetOf(page)));
}

QString fromEightBit(const QByteArray& bytes, CodePage page) {
    return QString::fromStdU16String(legacy_text::fromEightBit(viewOf(bytes), codesetOf(page)));
}

QString displayName(const QString& fileName) {
    const std::string bytes = legacy_text::toEightBit(fileName.toStdU16String(), "UTF-8");
    if (legacy_text::isUtf8(bytes))
        return fileName;
    return QString::fromStdString(legacy_text::decodeAlone(bytes));
}

void toSlot(const QString& text, char* slot, size_t n, CodePage page) {
    legacy_text::toSlot(viewOf(text.toUtf8()), codesetOf(page), slot, n);
}

QString fromSlot(const char* slot, size_t n, CodePage page) {
    return QString::fromStdU16String(legacy_text::fromSlot({slot, n}, codesetOf(page)));
}

} // namespace platform
