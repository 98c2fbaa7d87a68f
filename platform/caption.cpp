#include "platform/caption.h"

namespace platform {

namespace {

const QString kPlaceholder = QStringLiteral("[*]");
const QString kEscapedPlaceholder = QStringLiteral("[*][*]");

} // namespace

void setCaption(QWidget& window, const QString& caption) {
    // Qt shows a doubled placeholder as one literal "[*]".
    window.setWindowTitle(QString(caption).replace(kPlaceholder, kEscapedPlaceholder));
}

QString Caption(const QWidget& window) {
    return window.windowTitle().replace(kEscapedPlaceholder, kPlaceholder);
}

} // namespace platform
