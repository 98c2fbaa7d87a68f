#pragma once

#include <QAccessibleWidget>

#include "platform/h_scroll_bar.h"

namespace platform {

// The seek bar to a screen reader: a slider whose value, set by the reader, seeks as a thumb
// drag released there does (the position follows and Scroll is raised once). Stepping actions
// are left out: the keys step it. Only the user's own moves are told as changes of its value:
// the position that playback writes every second would otherwise be read out every second.
class AccessibleSeekBar : public QAccessibleWidget, public QAccessibleValueInterface {
public:
    explicit AccessibleSeekBar(HScrollBar* bar);

    void* interface_cast(QAccessible::InterfaceType type) override;

    QVariant currentValue() const override;
    void setCurrentValue(const QVariant& value) override;
    QVariant maximumValue() const override;
    QVariant minimumValue() const override;
    QVariant minimumStepSize() const override;

private:
    HScrollBar* bar() const { return static_cast<HScrollBar*>(widget()); }
};

} // namespace platform
