#include "platform/accessible_image.h"

namespace platform {

AccessibleImage::AccessibleImage(ImageControl* image)
    : QAccessibleWidget(image, QAccessible::Graphic) {}

bool AccessibleImage::pressable() const {
    return image()->handlesClick();
}

QAccessible::Role AccessibleImage::role() const {
    return pressable() ? QAccessible::Button : QAccessible::Graphic;
}

QAccessible::State AccessibleImage::state() const {
    QAccessible::State state = QAccessibleWidget::state();
    const QWidget* window = image()->parentWidget();
    if (window && !window->rect().intersects(image()->geometry())) {
        state.invisible = true;
        state.offscreen = true;
    }
    return state;
}

QString AccessibleImage::text(QAccessible::Text kind) const {
    if (kind == QAccessible::Name && image()->accessibleName().isEmpty())
        return image()->Picture().meaning();
    return QAccessibleWidget::text(kind);
}

QStringList AccessibleImage::actionNames() const {
    QStringList names = QAccessibleWidget::actionNames();
    if (pressable())
        names.prepend(pressAction());
    return names;
}

void AccessibleImage::doAction(const QString& action) {
    if (action == pressAction() && pressable()) {
        emit image()->Click();
        return;
    }
    QAccessibleWidget::doAction(action);
}

} // namespace platform
