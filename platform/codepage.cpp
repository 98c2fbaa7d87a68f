#include "codepage.h"

#include <QStringDecoder>
#include <QStringEncoder>
#include <cstring>
#include <langinfo.h>

namespace platform {
namespace {

// The engine uses the locale's character set; Qt's own "System" is always UTF-8 on Linux.
QByteArray codecName(CodePage page) {
    if (page == CodePage::Cp932)
        return QByteArrayLiteral("Shift_JIS");
    return QByteArray(nl_langinfo(CODESET));
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
    QStringEncoder encoder = encoderFor(page);
    return encoder.encode(text);
}

QString fromEightBit(const QByteArray& bytes, CodePage page) {
    QStringDecoder decoder = decoderFor(page);
    return decoder.decode(bytes);
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
    QString text = fromEightBit(QByteArray(slot, static_cast<qsizetype>(n)), page);
    const auto length = static_cast<qsizetype>(n);
    text.truncate(length);
    if (text.size() < length)
        text.append(QString(length - text.size(), QChar(u'\0')));
    return text;
}

} // namespace platform
