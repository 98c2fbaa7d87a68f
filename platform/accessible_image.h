#pragma once

#include <QAccessibleWidget>

#include "platform/image_control.h"

namespace platform {

// An image control to a screen reader. One whose Click is handled is a button named after what
// its picture stands for (what a press does now), with a press action that raises Click; one
// that only holds a picture is a graphic. An image outside its window's client area is hidden.
class AccessibleImage : public QAccessibleWidget {
public:
    explicit AccessibleImage(ImageControl* image);

    QAccessible::Role role() const override;
    QAccessible::State state() const override;
    QString text(QAccessible::Text kind) const override;
    QStringList actionNames() const override;
    void doAction(const QString& action) override;

private:
    ImageControl* image() const { return static_cast<ImageControl*>(widget()); }
    bool pressable() const;
};

} // namespace platform
