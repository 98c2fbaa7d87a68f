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
    // QLabel lays out and repaints on every pixmap set, even the one it shows already; the
    // status tick sets the play button's picture five times a second.
    void setPicture(const QPixmap& picture) {
        if (pixmap().cacheKey() != picture.cacheKey())
            setPixmap(picture);
    }

signals:
    void Click();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    bool pressed_ = false;
};

} // namespace platform
