#pragma once

#include <QLabel>
#include <QPixmap>

namespace platform {

// An image control: shows a picture at its own size and raises Click when clicked.
class ImageControl : public QLabel {
    Q_OBJECT
public:
    explicit ImageControl(QWidget* parent = nullptr);

    QPixmap Picture() const { return pixmap(); }
    void setPicture(const QPixmap& picture) { setPixmap(picture); }

signals:
    void Click();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    bool pressed_ = false;
};

} // namespace platform
