#include "mpris/root_adaptor.h"

#include "platform/modal_box.h"
#include "player/form1.h"

namespace mpris {

RootAdaptor::RootAdaptor(QObject* parent, player::Form1& form)
    : QDBusAbstractAdaptor(parent), form_(form) {}

void RootAdaptor::Raise() {
    form_.setWindowState(form_.windowState() & ~Qt::WindowMinimized);
    form_.show();
    form_.raise();
    form_.activateWindow();
}

void RootAdaptor::Quit() {
    // Not from inside the window's modal box, whose close box takes no input either.
    if (platform::modalBoxShown()) {
        return;
    }
    // As the close box does: the window's close handling releases the engine and ends the program.
    form_.close();
}

} // namespace mpris
