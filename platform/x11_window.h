#pragma once

#include <QWidget>

namespace platform {

// What Qt does not tell an X11 window manager the way the program means it. On other platforms
// (and offscreen) these do nothing.

// Asks the window manager to leave a top-level window out of the taskbar. Qt has no flag for it on
// X11, where a taskbar may list a tool window without an owner. Call it before the window is first
// shown.
void keepOutOfTaskbar(QWidget& window);

// Sets a top-level window's class (WM_CLASS, its instance and class names both) to `name`; Qt
// names it after the executable. Call it before the window is first shown.
void setWindowClass(QWidget& window, const char* name);

// Empties the title that the window manager shows: for an empty caption Qt hands it the
// application's name instead. Call it after each empty caption is set.
void clearShownTitle(QWidget& window);

} // namespace platform
