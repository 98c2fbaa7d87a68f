#include "player/track_start.h"

#include "engine/calls.h"
#include "platform/caption.h"
#include "platform/codepage.h"
#include "player/rules.h"

#include <QDir>
#include <chrono>
#include <random>
#include <utility>

namespace player {

TrackStart::TrackStart(QWidget& window, platform::FileListBox& list, platform::HScrollBar& seekBar,
                       PlayerState& state, platform::MsgBoxPresenter presentBox)
    : window_(window), list_(list), seekBar_(seekBar), state_(state),
      presentBox_(std::move(presentBox)) {}

void TrackStart::pickRandomEntry() {
    std::mt19937 generator(static_cast<std::mt19937::result_type>(
        std::chrono::system_clock::now().time_since_epoch().count()));
    // 24 random bits give every float step of [0, 1) and never 1 itself.
    const float r = static_cast<float>(generator() >> 8) / static_cast<float>(1u << 24);
    list_.setListIndex(randomIndex(list_.ListCount(), r));
}

void TrackStart::takeSelectedFile() {
    state_.currentFile = list_.Path() + QDir::separator() + list_.FileName();
}

void TrackStart::start() {
    ++started_;
    open();
    readInfo();
    fitSeekBar();
    engine::vbmp3_play();
}

void TrackStart::startPicked() {
    failedInRow_ = 0;
    engine::vbmp3_close();
    takeSelectedFile();
    start();
    showCaption();
}

void TrackStart::fitSeekBar() {
    const SeekRange range = seekRangeFor(state_.mpegInfo.totalSeconds);
    seekBar_.setMax(range.max);
    seekBar_.setLargeChange(range.largeChange);
}

bool TrackStart::endsAtOnce() const {
    return failedInRow_ > 0 && failedInRow_ < list_.ListCount();
}

void TrackStart::open() {
    const int32_t result = engine::vbmp3_open(state_.currentFile, state_.inputInfo);
    if (!engine::succeeded(result)) {
        ++failedInRow_;
        platform::MsgBox(QStringLiteral("Open Error"), QStringLiteral("Tonalisk"), presentBox_);
    } else {
        failedInRow_ = 0;
    }
}

void TrackStart::readInfo() {
    engine::vbmp3_getFileTagInfo(state_.currentFile, state_.tagInfo);
    if (engine::succeeded(engine::vbmp3_getMpegInfo(state_.mpegInfo))) {
        state_.infoStep = TickerStep::Artist;
    }
}

void TrackStart::showCaption() {
    // The name as the list shows it: one in a legacy code page carries escaped bytes.
    platform::setCaption(window_, trackCaption(platform::displayName(list_.FileName())));
}

} // namespace player
