#include "platform/accessible_surface.h"

namespace platform {

AccessibleSurface::AccessibleSurface(PictureBox* surface)
    : QAccessibleWidget(surface, QAccessible::Graphic) {}

QStringList AccessibleSurface::actionNames() const {
    return QStringList{pressAction()} + QAccessibleWidget::actionNames();
}

void AccessibleSurface::doAction(const QString& action) {
    if (action == pressAction()) {
        emit surface()->clicked();
        return;
    }
    QAccessibleWidget::doAction(action);
}

} // namespace platform
