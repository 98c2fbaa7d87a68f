#include "platform/caption.h"

#include "platform/x11_window.h"

namespace platform {

namespace {

const QString kPlaceholder = QStringLiteral("[*]");
const QString kEscapedPlaceholder = QStringLiteral("[*][*]");

} // namespace

void setCaption(QWidget& window, const QString& caption) {
    // Qt shows a doubled placeholder as one literal "[*]".
    window.setWindowTitle(QString(caption).replace(kPlaceholder, kEscapedPlaceholder));
    if (caption.isEmpty()) {
        clearShownTitle(window);
    }
}

QString Caption(const QWidget& window) {
    return window.windowTitle().replace(kEscapedPlaceholder, kPlaceholder);
}

} // namespace platform
