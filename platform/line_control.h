#pragma once

#include <QWidget>
#include <cstdint>

namespace platform {

class PictureBox;

// A line laid over a picture box, in the box's twips. It covers the whole box and lets every
// mouse event through, so a click on the line reaches the surface below.
class LineControl : public QWidget {
    Q_OBJECT
public:
    explicit LineControl(PictureBox* parent);

    void setLine(int x1, int y1, int x2, int y2);
    void setColor(uint32_t colorref);
    uint32_t Color() const { return color_; }

protected:
    void paintEvent(QPaintEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    int x1_ = 0, y1_ = 0, x2_ = 0, y2_ = 0;
    uint32_t color_ = 0;
};

} // namespace platform
