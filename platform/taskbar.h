#pragma once

#include <QWidget>

namespace platform {

// Asks the window manager to leave a top-level window out of the taskbar. Qt has no flag for it on
// X11, where a taskbar may list a tool window without an owner; on other platforms this does
// nothing. Call it before the window is first shown.
void keepOutOfTaskbar(QWidget& window);

} // namespace platform
