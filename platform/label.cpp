#include "platform/label.h"

namespace platform {

Label::Label(QWidget* parent) : QLabel(parent) {
    setTextFormat(Qt::PlainText);
}

void Label::setCaption(const QString& text) {
    caption_ = text;
    QString shown = text;
    shown.remove(QChar(u'\0'));
    setText(shown);
}

} // namespace platform
