#pragma once

#include <QLabel>

#include "platform/picture.h"

namespace platform {

// An image control: shows a picture at its own size, at the screen's pixel density, and raises
// Click when clicked, or when Space or Return is pressed while it has the focus (it takes none
// unless given a focus policy).
class ImageControl : public QLabel {
    Q_OBJECT
public:
    explicit ImageControl(QWidget* parent = nullptr);

    platform::Picture Picture() const { return picture_; }
    // Only a picture other than the one shown repaints: the status tick sets the play button's
    // picture five times a second.
    void setPicture(const platform::Picture& picture);
    // Whether anything handles its Click: a button then, otherwise a picture holder.
    bool handlesClick() const;

signals:
    void Click();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    platform::Picture picture_;
    bool pressed_ = false;
};

} // namespace platform
