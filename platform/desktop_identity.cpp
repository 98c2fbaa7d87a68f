#include "platform/desktop_identity.h"

#include "platform/x11_window.h"

#include <QGuiApplication>

namespace platform {

void claimDesktopIdentity(QWidget& window) {
    QGuiApplication::setDesktopFileName(QString::fromLatin1(kDesktopFileId));
    setWindowClass(window, kDesktopFileId);
}

} // namespace platform
