#pragma once

#include <QPixmap>
#include <QString>

namespace platform {

// A picture as an image control shows it: its design at its own size, the same drawn with twice
// the pixels for screens that have them, and what it stands for, in words, for screen readers.
// As a QPixmap it is the design.
class Picture : public QPixmap {
public:
    Picture() = default;
    // A picture with neither a sharper drawing nor words.
    Picture(const QPixmap& design) : QPixmap(design) {}
    Picture(const QPixmap& design, const QPixmap& doubled, const QString& meaning);

    // The drawing to show where a logical pixel has `devicePixelRatio` device pixels.
    QPixmap forRatio(qreal devicePixelRatio) const;
    const QString& meaning() const { return meaning_; }

private:
    QPixmap doubled_;
    QString meaning_;
};

} // namespace platform
