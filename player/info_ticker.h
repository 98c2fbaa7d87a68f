// The information ticker: the label that shows the track's tags and bit rate in turn.
#pragma once

#include "platform/file_list_box.h"
#include "platform/label.h"
#include "player/player_state.h"

namespace player {

class InfoTicker {
public:
    InfoTicker(const platform::FileListBox& list, platform::Label& label, PlayerState& state);

    // One tick of the ticker's timer: the next item, while the list has an entry selected.
    void tick();

private:
    const platform::FileListBox& list_;
    platform::Label& label_;
    PlayerState& state_;
};

} // namespace player
