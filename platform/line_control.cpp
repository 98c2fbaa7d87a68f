#include "line_control.h"

#include <QEvent>
#include <QPainter>

#include "picture_box.h"
#include "system_colors.h"
#include "twips.h"

namespace platform {

LineControl::LineControl(PictureBox* parent) : QWidget(parent) {
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_NoSystemBackground);
    setGeometry(parent->rect());
    parent->installEventFilter(this);
}

void LineControl::setLine(int x1, int y1, int x2, int y2) {
    x1_ = x1;
    y1_ = y1;
    x2_ = x2;
    y2_ = y2;
    update();
}

void LineControl::setColor(uint32_t colorref) {
    color_ = colorref;
    update();
}

void LineControl::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setPen(QPen(colorFromColorref(color_), 0));
    painter.drawLine(twipsToPixels(x1_), twipsToPixels(y1_), twipsToPixels(x2_),
                     twipsToPixels(y2_));
}

bool LineControl::eventFilter(QObject* watched, QEvent* event) {
    // The line's coordinates are the box's, so it always spans the box.
    if (watched == parent() && event->type() == QEvent::Resize)
        setGeometry(parentWidget()->rect());
    return QWidget::eventFilter(watched, event);
}

} // namespace platform
