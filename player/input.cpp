#include "player/form1.h"

#include "platform/press_keys.h"

#include <QKeyEvent>
#include <array>

namespace player {

namespace {

// The keys that act anywhere in the window, each through its button's handler, as in desktop
// players: Space and Ctrl+P play and pause; a keyboard's media keys, when the desktop leaves them
// to the window, do what their buttons do.
struct WindowKey {
    Qt::Key key;
    Qt::KeyboardModifiers modifiers;
    void (Form1::*handler)();
};

const std::array<WindowKey, 6> kWindowKeys{{
    {Qt::Key_Space, Qt::NoModifier, &Form1::PlayBtn_Click},
    {Qt::Key_P, Qt::ControlModifier, &Form1::PlayBtn_Click},
    {Qt::Key_MediaTogglePlayPause, Qt::NoModifier, &Form1::PlayBtn_Click},
    {Qt::Key_MediaPlay, Qt::NoModifier, &Form1::PlayBtn_Click},
    {Qt::Key_MediaStop, Qt::NoModifier, &Form1::StopBtn_Click},
    {Qt::Key_MediaNext, Qt::NoModifier, &Form1::Image1_Click},
}};

} // namespace

void Form1::keyPressEvent(QKeyEvent* event) {
    for (const WindowKey& windowKey : kWindowKeys) {
        if (event->key() == windowKey.key &&
            platform::heldModifiers(*event) == windowKey.modifiers) {
            // A key held down acts once.
            if (!event->isAutoRepeat())
                (this->*windowKey.handler)();
            return;
        }
    }
    QWidget::keyPressEvent(event);
}

void Form1::File1_MenuKey() {
    File1_MouseDown(platform::FileListBox::MouseButton::Right, {}, 0, 0);
}

} // namespace player
