#include "platform/x11_window.h"

#include <QByteArray>
#include <QGuiApplication>
#include <cstdlib>
#include <cstring>
#include <xcb/xcb.h>

namespace platform {

namespace {

xcb_atom_t atom(xcb_connection_t* connection, const char* name) {
    const xcb_intern_atom_cookie_t cookie =
        xcb_intern_atom(connection, 0, static_cast<uint16_t>(strlen(name)), name);
    xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(connection, cookie, nullptr);
    const xcb_atom_t found = reply != nullptr ? reply->atom : xcb_atom_t{XCB_ATOM_NONE};
    free(reply);
    return found;
}

xcb_connection_t* x11Connection() {
    const auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    // The offscreen platform answers as X11 without an xcb connection.
    return x11 != nullptr ? x11->connection() : nullptr;
}

} // namespace

void keepOutOfTaskbar(QWidget& window) {
    xcb_connection_t* connection = x11Connection();
    if (connection == nullptr) {
        return;
    }
    const xcb_atom_t state = atom(connection, "_NET_WM_STATE");
    const xcb_atom_t skipTaskbar = atom(connection, "_NET_WM_STATE_SKIP_TASKBAR");
    if (state == XCB_ATOM_NONE || skipTaskbar == XCB_ATOM_NONE) {
        return;
    }
    // A window not yet mapped states its own initial state; Qt keeps the atoms it finds there
    // when it adds its own at showing.
    const auto id = static_cast<xcb_window_t>(window.winId());
    xcb_change_property(connection, XCB_PROP_MODE_APPEND, id, state, XCB_ATOM_ATOM, 32, 1,
                        &skipTaskbar);
    xcb_flush(connection);
}

void setWindowClass(QWidget& window, const char* name) {
    xcb_connection_t* connection = x11Connection();
    if (connection == nullptr) {
        return;
    }
    // Two NUL-terminated strings: the instance, then the class.
    QByteArray both(name);
    both.append('\0').append(name).append('\0');
    xcb_change_property(connection, XCB_PROP_MODE_REPLACE,
                        static_cast<xcb_window_t>(window.winId()), XCB_ATOM_WM_CLASS,
                        XCB_ATOM_STRING, 8, static_cast<uint32_t>(both.size()), both.constData());
    xcb_flush(connection);
}

void clearShownTitle(QWidget& window) {
    xcb_connection_t* connection = x11Connection();
    // Before the window exists Qt titles it when it creates it; the program never starts empty.
    if (connection == nullptr || !window.testAttribute(Qt::WA_WState_Created)) {
        return;
    }
    const auto id = static_cast<xcb_window_t>(window.winId());
    for (const char* name : {"_NET_WM_NAME", "_NET_WM_VISIBLE_NAME"}) {
        const xcb_atom_t property = atom(connection, name);
        if (property != XCB_ATOM_NONE) {
            xcb_delete_property(connection, id, property);
        }
    }
    // Left without a UTF-8 title, the window manager shows the legacy one, which Qt wrote empty.
    xcb_change_property(connection, XCB_PROP_MODE_REPLACE, id, XCB_ATOM_WM_NAME, XCB_ATOM_STRING, 8,
                        0, nullptr);
    xcb_flush(connection);
}

} // namespace platform
