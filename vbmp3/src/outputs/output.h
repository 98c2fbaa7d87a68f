// The sound output as the engine core sees it. Each driver (the sound server, SDL2, the silent
// clock, the tests' pull output) fills this one interface; the core never includes a driver's
// headers.
//
// The engine's threads: who starts each, who joins it.
//   caller     the host's, in the vbmp3_* functions, one at a time behind the API lock.
//   decoder    one per file (core/engine.h): started by the open, on the caller's; joined by the
//              next open once it has ended, or by vbmp3_free within a bound, else let go.
//   scan       an MP3's frame count (decoders/mpeg_scan.h): started by its open, on the caller's;
//              joined as its file closes, on the file's decoder thread.
//   soundfont  the SoundFont's load: started by the first MIDI open; joined by vbmp3_free.
//   clock      the silent clock (clock_output.h): started and joined by the fallback output's
//              start and stop (vbmp3_init, vbmp3_free); it waits while a device plays.
//   libpulse   the sound server connection's main loop (pulse_connection.h): started by its
//              open (vbmp3_init); joined by the closer.
//   closer     ends that connection (pulse_output.cpp): started by the output's stop
//              (vbmp3_free), which joins it, or lets it go if the server does not let go.
//   SDL        SDL's callback: started by SDL_OpenAudioDevice, joined by SDL_CloseAudioDevice, in
//              the SDL output's start and stop (vbmp3_init, vbmp3_free).
//   OpenMP     FluidSynth's workers, which load a SoundFont's samples for the thread that asks
//              (soundfont or decoder); libgomp's own, and they take none of the locks below.
//
// Their locks, each taken only while holding those to its left:
//   caller     API -> libpulse loop -> switch -> clock   (the connection opens, reports it lost)
//              API -> switch                             (the connection is detached)
//              API -> engine -> crew                     (an open starts its decoder)
//              API -> engine -> backlog                  (status and visuals: what is unheard)
//   libpulse   libpulse loop -> switch -> engine -> backlog   (it renders; the end is settled)
//              libpulse loop -> switch -> clock               (the device is lost, or back)
//              libpulse loop -> backlog                       (the server's figures)
//   clock      clock, released before it renders: engine -> backlog
//   SDL        SDL's device lock -> engine
//   decoder    engine; crew, once it has let go of the engine, as it ends
//   closer     libpulse loop
//   scan, soundfont: each its own lock only.
// "switch" is the detachable engine's (detachable_engine.h), "backlog" the connection's count of
// what the server holds. No thread is joined while one of these locks is held, but for two: the
// API lock, which only the caller's thread takes (vbmp3_free joins them all); and an open that
// joins, under the engine's and the crew's lock, decoder threads that have ended and have only
// their return left. A device that comes back waits for one render of the clock's at most.
#pragma once

#include "shared/output_format.h"

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace vbmp3 {

struct RenderResult {
    size_t played = 0;    // frames of the track written; the rest of the request is silence
    bool starved = false; // playing, but the decoder has not caught up yet
    bool drained = false; // the track has no more: the output must play out what it holds
    uint64_t epoch = 0;   // see Cues::epoch
    int rate = kIdleRate; // the rate the track wants; frames are given only at that rate
};

// What an output that keeps frames of its own must follow.
struct Cues {
    // Changes whenever what was rendered before is no longer wanted (open, seek, stop, play
    // after stop): an output drops what it holds of an older epoch.
    uint64_t epoch = 0;
    bool playing = false; // false: hold what is buffered (pause) or nothing is due
    int rate = kIdleRate; // of the epoch's frames: an output plays them at this rate
    float gainLeft = 1.0f;
    float gainRight = 1.0f;
    // What is playing, for a sound server's list of streams (UTF-8); null while nothing is open.
    // A new pointer for each file, once its name is known: the last file's name until then.
    std::shared_ptr<const std::string> mediaName;
};

// What an output pulls its frames from. render() runs on the output's own thread.
class Renderer {
public:
    virtual ~Renderer() = default;
    // Fills `frames` interleaved stereo float frames into `out` for an output running at `rate`.
    // They are the track's only where `rate` is the one it wants (RenderResult::rate); otherwise
    // silence, and the output must change its rate before the track plays on.
    // Volume is applied unless the output applies it itself (Output::appliesVolume).
    virtual RenderResult render(float* out, size_t frames, int rate) = 0;
    // The current cues; cheap, callable from any thread.
    virtual Cues cues() const = 0;
    // The device's own volume control (a sound server's panel) set this volume, 0 to 100 per
    // channel on the renderer's curve; the cues follow it. Callable from any thread.
    virtual void volumeSetOnDevice(int32_t /*left*/, int32_t /*right*/) {}
};

// What an output whose device comes and goes tells whoever started it. Called on the output's own
// thread, never after the output's stop() has returned.
class DeviceWatch {
public:
    virtual ~DeviceWatch() = default;
    // Frames no longer leave through the device (not there yet, or gone): someone else must
    // consume them in real time, beginning `after` from now (while what the device held runs
    // out, or while it is expected to come). A later call may bring the beginning forward.
    virtual void deviceLost(std::chrono::milliseconds after) = 0;
    // The device plays again; when this returns, nobody else renders.
    virtual void deviceBack() = 0;
};

class Output {
public:
    virtual ~Output() = default;
    // Begins pulling from `renderer`; false if the output cannot run (no device).
    virtual bool start(Renderer& renderer) = 0;
    // After it returns, render() is never called again. Returns in bounded time, whatever the
    // device does.
    virtual void stop() = 0;
    // The renderer's cues have changed. Must not block: the engine calls it from the C functions.
    virtual void wake() {}
    // Frames of `epoch` rendered but not heard yet: what the output and the device still hold.
    virtual int64_t latencyFrames(uint64_t /*epoch*/) const { return 0; }
    // Every frame of `epoch` that render() has given the output has been heard. An output that
    // keeps frames must also answer false while a render() call of its own is under way, and for
    // what it has taken but not yet counted: the engine ends a track on this answer alone.
    virtual bool heardAll(uint64_t epoch) const { return latencyFrames(epoch) == 0; }
    // True if the output sets the volume itself (on the device), so render() must not.
    virtual bool appliesVolume() const { return false; }
};

// Starts an output pulling from the renderer; the engine is given one when it is made.
using OutputStarter = std::function<std::shared_ptr<Output>(Renderer&)>;

} // namespace vbmp3
