#include "platform/modal_box.h"

#include <QMessageBox>

namespace platform {

namespace {

bool boxShown = false;
MsgBoxPresenter presenter;

void showRealBox(const QString& text, const QString& caption) {
    QMessageBox box(QMessageBox::NoIcon, caption, text, QMessageBox::Ok);
    box.setTextFormat(Qt::PlainText);
    box.setWindowModality(Qt::ApplicationModal);
    box.exec();
}

} // namespace

void MsgBox(const QString& text, const QString& caption) {
    if (boxShown) {
        return;
    }
    boxShown = true;
    if (presenter) {
        presenter(text, caption);
    } else {
        showRealBox(text, caption);
    }
    boxShown = false;
}

bool modalBoxShown() {
    return boxShown;
}

void setMsgBoxPresenter(MsgBoxPresenter replacement) {
    presenter = std::move(replacement);
}

} // namespace platform
