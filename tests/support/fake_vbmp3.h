// The fake engine's script and call log. Tests set what the engine answers, run the program's
// code, and read back which C functions were called, in order, with their arguments.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "vbmp3.h"

namespace fake {

struct Engine {
    // One entry per call: the function's name, then its arguments in brackets, e.g.
    // "vbmp3_open(/music/a.mp3)", "vbmp3_seek(12)", "vbmp3_setVolume(30,30)", "vbmp3_play()".
    std::vector<std::string> calls;

    int32_t openResult = 1;                                   // unless openResultFor answers
    std::function<int32_t(const std::string&)> openResultFor; // per path, if set
    vbmp3_InputInfo inputInfo{}; // copied into the caller's record on open
    bool writeInputInfo = true;

    vbmp3_TagInfo tagInfo{}; // copied out by getFileTagInfo when writeTagInfo
    bool writeTagInfo = true;
    int32_t tagResult = 1;

    std::string picture;                // what getFilePicture hands over; none when empty
    std::function<void()> afterPicture; // if set, run after each getFilePicture (a file changing)

    vbmp3_MpegInfo mpegInfo{}; // copied out by getMpegInfo when mpegResult is non-zero
    int32_t mpegResult = 1;

    int32_t volume1 = 50, volume2 = 50; // set by setVolume, written by getVolume
    int32_t state = 0;                  // returned by getState
    int32_t seconds = 0;                // written by getState when writeSeconds
    bool writeSeconds = true;

    std::array<int32_t, VBMP3_BUFFER_LENGTH> wave1{}, wave2{}, spectrum1{}, spectrum2{};

    // The calls whose names start with `prefix`, in order (e.g. all "vbmp3_open").
    std::vector<std::string> callsNamed(const std::string& prefix) const;
    // The calls without the status polls (vbmp3_getState with the vbmp3_getMpegInfo right after
    // it, vbmp3_getVolume), which a timer makes every tick.
    std::vector<std::string> callsWithoutPolls() const;
};

// The one fake engine of the process; reset() puts it back to its defaults with an empty log.
Engine& engine();
void reset();

} // namespace fake
