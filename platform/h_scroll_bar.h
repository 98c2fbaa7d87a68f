#pragma once

#include <QScrollBar>
#include <cstdint>

namespace platform {

// A horizontal scroll bar whose range holds any track length in seconds. Scroll is raised for each
// move by the user that changes the position, after the position has followed it (Qt's
// sliderMoved comes before it): each move of a thumb drag, and each key that moves it as on a
// slider (Right and Up a step on, Left and Down a step back, Page Up and Page Down a large step,
// Home and End to the ends). GotFocus when the user gives it the focus (click, Tab, Shift+Tab).
// Changes made from code raise nothing, and neither do arrow or trough clicks or the window coming
// back to the front. While the user holds the thumb, positions written from code are dropped, so
// the thumb stays under the hand. It has no menu. A position from code that leaves the thumb on
// the same pixels repaints nothing.
class HScrollBar : public QScrollBar {
    Q_OBJECT
public:
    explicit HScrollBar(QWidget* parent = nullptr);

    int32_t Max() const { return maximum(); }
    void setMax(int32_t max);
    int32_t LargeChange() const { return pageStep(); }
    void setLargeChange(int32_t step) { setPageStep(step); }
    int32_t Value() const { return value(); }
    // A position written by the program: it raises nothing, is dropped while the user holds the
    // thumb, and one outside the bar's range shows as its nearest end.
    void setValueFromCode(int32_t position);
    // True while the program writes the bar (setValueFromCode, setMax), not the user.
    bool writtenByCode() const { return fromCode_; }

signals:
    void Scroll();
    void GotFocus();

protected:
    void focusInEvent(QFocusEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void sliderChange(SliderChange change) override;

private:
    void onValueChanged();
    SliderAction keyAction(const QKeyEvent& event) const;
    QRect thumbRect() const;

    bool fromCode_ = false;
    bool movedByKey_ = false;
    // Where the thumb was drawn last.
    QRect paintedThumb_;
};

} // namespace platform
