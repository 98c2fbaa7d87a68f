// The start of a track: the file list's entry picked, opened in the engine, its facts read, the
// seek bar fitted to it and played.
#pragma once

#include <QWidget>
#include <cstdint>

#include "platform/file_list_box.h"
#include "platform/h_scroll_bar.h"
#include "platform/modal_box.h"
#include "player/player_state.h"

namespace player {

class TrackStart {
public:
    // window: whose caption names a picked track; presentBox: how an "Open Error" box is shown.
    TrackStart(QWidget& window, platform::FileListBox& list, platform::HScrollBar& seekBar,
               PlayerState& state, platform::MsgBoxPresenter presentBox);

    // Selects an entry of the list at random (none of an empty list).
    void pickRandomEntry();
    // The selected entry, as a path, becomes the current file.
    void takeSelectedFile();
    // Starts the current file: every start, failed ones too, counts as a new track.
    void start();
    // What a pick by the user does: the engine's file closed, the picked entry started, captioned.
    void startPicked();
    // The seek bar's range for the current track's length.
    void fitSeekBar();
    // True while the last starts failed and the list still has entries not yet tried in a row:
    // a file that would not open ends at once, but a folder of such files must not keep the user
    // in a round of "Open Error" boxes.
    bool endsAtOnce() const;
    uint64_t started() const { return started_; }

private:
    void open();
    void readInfo();
    void showCaption();

    QWidget& window_;
    platform::FileListBox& list_;
    platform::HScrollBar& seekBar_;
    PlayerState& state_;
    const platform::MsgBoxPresenter presentBox_;
    // Starts in a row that the engine could not open.
    int failedInRow_ = 0;
    uint64_t started_ = 0;
};

} // namespace player
