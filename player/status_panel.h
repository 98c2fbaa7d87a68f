// The status bar's panels, by position.
#pragma once

namespace player {

enum StatusPanel : int { StatePanel = 1, TimePanel = 2 };

} // namespace player
