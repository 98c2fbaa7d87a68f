#include "platform/press_keys.h"

#include <QPainter>
#include <QStyle>
#include <QStyleOptionFocusRect>

namespace platform {

Qt::KeyboardModifiers heldModifiers(const QKeyEvent& event) {
    return event.modifiers() & ~Qt::KeypadModifier;
}

bool isReturn(const QKeyEvent& event) {
    return (event.key() == Qt::Key_Return || event.key() == Qt::Key_Enter) &&
           heldModifiers(event) == Qt::NoModifier && !event.isAutoRepeat();
}

bool pressesButton(const QKeyEvent& event) {
    const bool space = event.key() == Qt::Key_Space && heldModifiers(event) == Qt::NoModifier &&
                       !event.isAutoRepeat();
    return space || isReturn(event);
}

bool asksForMenu(const QKeyEvent& event) {
    return (event.key() == Qt::Key_Menu && heldModifiers(event) == Qt::NoModifier) ||
           (event.key() == Qt::Key_F10 && heldModifiers(event) == Qt::ShiftModifier);
}

void paintFocusFrame(QWidget& control) {
    if (!control.hasFocus())
        return;
    QStyleOptionFocusRect option;
    option.initFrom(&control);
    option.backgroundColor = control.palette().color(QPalette::Window);
    QPainter painter(&control);
    control.style()->drawPrimitive(QStyle::PE_FrameFocusRect, &option, &painter, &control);
}

} // namespace platform
