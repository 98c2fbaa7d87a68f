#include "platform/modal_box.h"

#include <QMessageBox>

namespace platform {

namespace {

// Application-modal: one flag for the whole program, as the box stops all of its windows.
bool boxShown = false;

} // namespace

void presentMsgBox(const QString& text, const QString& caption) {
    QMessageBox box(QMessageBox::NoIcon, caption, text, QMessageBox::Ok);
    box.setTextFormat(Qt::PlainText);
    box.setWindowModality(Qt::ApplicationModal);
    box.exec();
}

void MsgBox(const QString& text, const QString& caption, const MsgBoxPresenter& present) {
    if (boxShown) {
        return;
    }
    boxShown = true;
    present(text, caption);
    boxShown = false;
}

bool modalBoxShown() {
    return boxShown;
}

} // namespace platform
