#pragma once

#include <QLabel>
#include <QString>

namespace platform {

// A caption shown as plain text, so file names and tag texts never turn into markup. The caption
// is kept whole; NUL fill inside it shows as nothing.
class Label : public QLabel {
    Q_OBJECT
public:
    explicit Label(QWidget* parent = nullptr);

    QString Caption() const { return caption_; }
    void setCaption(const QString& text);

private:
    QString caption_;
};

} // namespace platform
