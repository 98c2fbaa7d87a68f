#pragma once

#include <QWidget>

namespace platform {

// The id of the player's menu entry (io.github.tonalisk.Tonalisk.desktop, less ".desktop"), by
// which docks, task switchers and "now playing" panels match its windows and its bus player to
// the entry's name and icon.
inline constexpr char kDesktopFileId[] = "io.github.tonalisk.Tonalisk";

// Gives a top-level window that identity: the application's desktop file name, which Qt hands a
// Wayland compositor as the app_id, and on X11 the window class. Call it before the window is
// first shown.
void claimDesktopIdentity(QWidget& window);

} // namespace platform
