#include "player/form1.h"

#include "engine/calls.h"
#include "platform/caption.h"
#include "platform/codepage.h"
#include "platform/modal_box.h"
#include "player/seek_range.h"
#include "player/track_caption.h"

#include <QDir>

namespace player {

void Form1::openTrack() {
    const int32_t result = engine::vbmp3_open(state_.currentFile, state_.inputInfo);
    if (!engine::succeeded(result)) {
        ++failedStartsInRow_;
        platform::MsgBox(QStringLiteral("Open Error"), QStringLiteral("Tonalisk"),
                         surroundings_.presentBox);
    } else {
        failedStartsInRow_ = 0;
    }
}

void Form1::readTrackInfo() {
    engine::vbmp3_getFileTagInfo(state_.currentFile, state_.tagInfo);
    if (engine::succeeded(engine::vbmp3_getMpegInfo(state_.mpegInfo))) {
        state_.infoStep = TickerStep::Artist;
    }
}

void Form1::setSeekRange() {
    const SeekRange range = seekRangeFor(state_.mpegInfo.totalSeconds);
    scSeek.setMax(range.max);
    scSeek.setLargeChange(range.largeChange);
}

void Form1::startTrack() {
    ++tracksStarted_;
    openTrack();
    readTrackInfo();
    setSeekRange();
    engine::vbmp3_play();
}

void Form1::takeSelectedFile() {
    state_.currentFile = File1.Path() + QDir::separator() + File1.FileName();
}

void Form1::showTrackCaption() {
    // The name as the list shows it: one in a legacy code page carries escaped bytes.
    platform::setCaption(*this, trackCaption(platform::displayName(File1.FileName())));
}

} // namespace player
