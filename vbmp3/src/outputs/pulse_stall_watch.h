// Tells a stalled stream from one that plays, from looks at it at a fixed interval: the server
// answers no timing request (it hangs), or its timing shows frames waiting in the stream that the
// sink does not take (the stream leads nowhere). A corked stream is not stalled.
#pragma once

#include <pulse/pulseaudio.h>

#include <cstdint>

namespace vbmp3 {

class PulseStallWatch {
public:
    // For this many looks in a row the server may leave the stream without an answer (it asks
    // for frames a few times a second) or its frames untaken. A sink that renders ahead takes a
    // new stream's first frames only after what it rendered already, up to two seconds on.
    static constexpr int kDeafLooks = 3;
    static constexpr int kStuckLooks = 7;

    // A stream begins to play.
    void begin() { deafLooks_ = stuckLooks_ = 0; }
    // The server asked for frames or sent a timing update.
    void answered() { answered_ = true; }
    // One look at the stream (`timing`: its latest, or null); true once it counts as stalled.
    bool stalled(const pa_timing_info* timing, bool corked);

private:
    bool answered_ = false; // since the last look
    int64_t takenUpTo_ = 0; // the stream's read index at the last look
    int deafLooks_ = 0;     // in a row without an answer
    int stuckLooks_ = 0;    // in a row that found frames waiting, none taken
};

} // namespace vbmp3
