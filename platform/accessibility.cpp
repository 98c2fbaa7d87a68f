#include "platform/accessibility.h"

#include "platform/accessible_image.h"
#include "platform/accessible_seek_bar.h"
#include "platform/accessible_surface.h"
#include "platform/accessible_text.h"
#include "platform/status_bar.h"

#include <QAccessible>

namespace platform {

namespace {

template <typename Control> bool is(const QString& className) {
    return className == QLatin1String(Control::staticMetaObject.className());
}

QAccessibleInterface* accessibleControl(const QString& className, QObject* object) {
    if (is<ImageControl>(className))
        return new AccessibleImage(static_cast<ImageControl*>(object));
    if (is<HScrollBar>(className))
        return new AccessibleSeekBar(static_cast<HScrollBar*>(object));
    if (is<PictureBox>(className))
        return new AccessibleSurface(static_cast<PictureBox*>(object));
    if (is<Label>(className))
        return new AccessibleText(static_cast<Label*>(object), QAccessible::StaticText);
    if (is<StatusBar>(className))
        return new AccessibleText(static_cast<StatusBar*>(object), QAccessible::StatusBar);
    // A plain top-level widget is a window named by its caption (Qt makes it a nameless filler),
    // so that readers find the active window, its title and its status bar.
    if (className == QLatin1String("QWidget") && static_cast<QWidget*>(object)->isWindow())
        return new QAccessibleWidget(static_cast<QWidget*>(object), QAccessible::Window);
    return nullptr;
}

} // namespace

void installAccessibility() {
    QAccessible::installFactory(accessibleControl);
}

} // namespace platform
