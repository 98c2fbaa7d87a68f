#pragma once

#include <QAccessibleWidget>

#include "platform/picture_box.h"

namespace platform {

// The drawing surface to a screen reader: a graphic, whose description says what it draws, with
// a press action that does what a click does.
class AccessibleSurface : public QAccessibleWidget {
public:
    explicit AccessibleSurface(PictureBox* surface);

    QStringList actionNames() const override;
    void doAction(const QString& action) override;

private:
    PictureBox* surface() const { return static_cast<PictureBox*>(widget()); }
};

} // namespace platform
