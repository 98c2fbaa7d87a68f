#pragma once

#include <QScrollBar>
#include <cstdint>

namespace platform {

// A horizontal scroll bar with 16-bit range. Scroll is raised for each move of a thumb drag by the
// user that changes the position, after the position has followed the thumb (Qt's sliderMoved
// comes before it); GotFocus when the user gives it the focus (click, Tab, Shift+Tab). Changes made
// from code raise nothing, and neither do arrow or trough clicks, arrow keys or the window coming
// back to the front. While the user holds the thumb, positions written from code are dropped, so
// the thumb stays under the hand. It has no menu.
class HScrollBar : public QScrollBar {
    Q_OBJECT
public:
    explicit HScrollBar(QWidget* parent = nullptr);

    int16_t Max() const { return static_cast<int16_t>(maximum()); }
    void setMax(int16_t max);
    int16_t LargeChange() const { return static_cast<int16_t>(pageStep()); }
    void setLargeChange(int16_t step) { setPageStep(step); }
    int16_t Value() const { return static_cast<int16_t>(value()); }
    // Positions outside the bar's range show as its nearest end.
    void setValue(int32_t position);

signals:
    void Scroll();
    void GotFocus();

protected:
    void focusInEvent(QFocusEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void onValueChanged();

    bool fromCode_ = false;
};

} // namespace platform
