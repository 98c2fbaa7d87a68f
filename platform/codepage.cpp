#include "codepage.h"

#include <QStringDecoder>
#include <QStringEncoder>
#include <cstring>
#include <string_view>

#include "legacy_text/code_page.h"
#include "legacy_text/locale_code_page.h"
#include "legacy_text/utf8.h"

namespace platform {
namespace {

// Lone surrogates U+DC80..U+DCFF stand for the bytes 0x80..0xFF that are no UTF-8.
constexpr char16_t kEscapeBase = 0xDC00;

bool isEscapedByte(QStringView text, qsizetype at) {
    const char16_t c = text[at].unicode();
    return c >= kEscapeBase + 0x80 && c <= kEscapeBase + 0xFF &&
           !(at > 0 && text[at - 1].isHighSurrogate());
}

bool escapes(CodePage page) {
    return page == CodePage::System && legacy_text::boundaryIsUtf8();
}

// The engine uses the locale's character set; Qt's own "System" is always UTF-8 on Linux.
QByteArray codecName(CodePage page) {
    if (page == CodePage::Cp932)
        return QByteArrayLiteral("Shift_JIS");
    return QByteArray::fromStdString(legacy_text::boundaryCodeset());
}

QByteArray toUtf8Escaped(QStringView text) {
    QByteArray out;
    qsizetype run = 0;
    for (qsizetype at = 0; at < text.size(); ++at) {
        if (!isEscapedByte(text, at))
            continue;
        out += text.mid(run, at - run).toUtf8();
        out += static_cast<char>(text[at].unicode() - kEscapeBase);
        run = at + 1;
    }
    return out + text.mid(run).toUtf8();
}

QString fromUtf8Escaped(const QByteArray& bytes) {
    const std::string_view view(bytes.constData(), static_cast<size_t>(bytes.size()));
    QString out;
    size_t run = 0;
    for (size_t at = 0; at < view.size();) {
        if (const size_t length = legacy_text::utf8SequenceAt(view, at); length > 0) {
            at += length;
            continue;
        }
        out += QString::fromUtf8(view.data() + run, static_cast<qsizetype>(at - run));
        out += QChar(static_cast<char16_t>(kEscapeBase + static_cast<unsigned char>(view[at])));
        run = ++at;
    }
    return out + QString::fromUtf8(view.data() + run, static_cast<qsizetype>(view.size() - run));
}

QStringEncoder encoderFor(CodePage page) {
    QStringEncoder encoder(codecName(page).constData());
    return encoder.isValid() ? std::move(encoder) : QStringEncoder(QStringConverter::Utf8);
}

QStringDecoder decoderFor(CodePage page) {
    QStringDecoder decoder(codecName(page).constData());
    return decoder.isValid() ? std::move(decoder) : QStringDecoder(QStringConverter::Utf8);
}

} // namespace

QByteArray toEightBit(const QString& text, CodePage page) {
    if (escapes(page))
        return toUtf8Escaped(text);
    QStringEncoder encoder = encoderFor(page);
    return encoder.encode(text);
}

QString fromEightBit(const QByteArray& bytes, CodePage page) {
    if (escapes(page))
        return fromUtf8Escaped(bytes);
    QStringDecoder decoder = decoderFor(page);
    return decoder.decode(bytes);
}

QString displayName(const QString& fileName) {
    bool escaped = false;
    for (qsizetype at = 0; at < fileName.size() && !escaped; ++at)
        escaped = isEscapedByte(fileName, at);
    if (!escaped)
        return fileName;
    return QString::fromStdString(legacy_text::decodeAlone(toUtf8Escaped(fileName).toStdString()));
}

void toSlot(const QString& text, char* slot, size_t n, CodePage page) {
    std::memset(slot, 0, n);
    QStringEncoder encoder = encoderFor(page);
    size_t used = 0;
    // One character (a surrogate pair counts as one) at a time, so a cut never splits one.
    for (qsizetype at = 0; at < text.size();) {
        qsizetype len = text.at(at).isHighSurrogate() && at + 1 < text.size() ? 2 : 1;
        QByteArray piece = encoder.encode(QStringView(text).mid(at, len));
        if (used + static_cast<size_t>(piece.size()) > n)
            break;
        std::memcpy(slot + used, piece.constData(), piece.size());
        used += piece.size();
        at += len;
    }
}

QString fromSlot(const char* slot, size_t n, CodePage page) {
    QStringDecoder decoder = decoderFor(page);
    QString text = decoder.decode(QByteArray(slot, static_cast<qsizetype>(n)));
    const auto length = static_cast<qsizetype>(n);
    text.truncate(length);
    if (text.size() < length)
        text.append(QString(length - text.size(), QChar(u'\0')));
    return text;
}

} // namespace platform
