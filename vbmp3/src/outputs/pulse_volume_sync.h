// The volume both ways between the engine and its stream on the sound server: the engine's volume
// is set as the stream's own, and a volume set on the server (a panel) becomes the engine's. The
// server tells of every change to the stream, our own sets among them; those echoes are no news.
//
// Runs on the main loop's thread, like the connection whose context and stream it reads.
#pragma once

#include "outputs/detachable_engine.h"
#include "outputs/output.h"

#include <pulse/pulseaudio.h>

#include <cstdint>

namespace vbmp3 {

class PulseVolumeSync {
public:
    // `context` and `stream` are the connection's current ones (null while there is none):
    // callbacks for any other are stale.
    PulseVolumeSync(DetachableEngine& engine, pa_context* const& context, pa_stream* const& stream)
        : engine_(engine), context_(context), stream_(stream) {}

    // A new stream begins at the engine's volume; returns it in the server's terms.
    pa_cvolume begin(const Cues& cues);
    // Sets the engine's volume on the stream if it changed.
    void follow(const Cues& cues);
    // The server tells that its stream `index` changed.
    void streamChanged(uint32_t index);
    // The connection ends: its operations end with it, unanswered.
    void connectionDropped() { setsPending_ = 0; }

private:
    void set(const Cues& cues);
    void ask();
    void take(const pa_cvolume& volume);

    static void onSet(pa_context* context, int, void* self);
    static void onInfo(pa_context* context, const pa_sink_input_info* info, int end, void* self);

    DetachableEngine& engine_;
    pa_context* const& context_;
    pa_stream* const& stream_;
    float gainLeft_ = 1.0f; // as last followed
    float gainRight_ = 1.0f;
    int setsPending_ = 0; // until they are answered, the server's changes are our own echo
};

} // namespace vbmp3
