#pragma once

#include <QImage>
#include <QWidget>
#include <cstdint>
#include <memory>

#include "gdi.h"

namespace platform {

// A drawing surface keeping what was drawn in a persistent image, repainted on screen from it.
// Colours are COLORREFs; geometry that it reports is in twips. A left click raises clicked, and
// so do Space and Return while it has the focus.
class PictureBox : public QWidget {
    Q_OBJECT
public:
    explicit PictureBox(QWidget* parent = nullptr);

    // Setting the background repaints the whole surface in it, erasing any drawing.
    void setBackColor(uint32_t colorref);
    uint32_t BackColor() const { return backColor_; }
    // The pen colour; system colours allowed.
    void setForeColor(uint32_t colorref);
    uint32_t ForeColor() const { return foreColor_; }
    void setDrawWidth(int width);
    int DrawWidth() const { return drawWidth_; }

    // Clears the surface to the background colour.
    void Cls();
    // Pixel height * 15.
    float Height() const;

    // The surface's device context; what is drawn through it shows at the next repaint.
    DeviceContext* hDC();

    // What the surface holds, pixel for pixel.
    const QImage& image() const { return image_; }

signals:
    void clicked();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void updatePen();

    uint32_t backColor_;
    uint32_t foreColor_;
    int drawWidth_ = 1;
    bool pressed_ = false;
    QImage image_;
    DeviceContext dc_;
};

} // namespace platform
