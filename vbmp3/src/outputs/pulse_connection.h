// One connection to the desktop's sound server (PulseAudio, or PipeWire through pipewire-pulse)
// on libpulse's threaded main loop, with its one playback stream.
//
// A second waits in the server and the connection writes only when the server asks for a quarter
// of it, so both wake a few times a second. A new epoch (open, seek, stop, play after stop)
// flushes the server's buffer, pause corks the stream and the volume is the stream's own volume
// on the server, so each of them is heard at once. The stream runs at the track's own rate, and
// the server converts it where it mixes; a track at another rate gets a stream of its own. What
// the server still holds is the backlog, so that the engine tells the time and shows the frames
// being heard, not those written.
//
// Whenever no stream plays (not connected yet, the server gone or hanging, the stream killed,
// no sink to play to) the connection tells its watch, which has the frames consumed in real time,
// and tries again: once a second, at each wake, and at once when a sink appears. The stream names
// no sink, so it follows the default sink.
//
// Two side jobs have files of their own: the volume both ways (pulse_volume_sync.h), and the
// watch for a stalled server (pulse_stall_watch.h), which the connection then takes for lost.
#pragma once

#include "outputs/backlog.h"
#include "outputs/detachable_engine.h"
#include "outputs/output.h"
#include "outputs/pulse_stall_watch.h"
#include "outputs/pulse_volume_sync.h"
#include "shared/output_format.h"

#include <pulse/pulseaudio.h>

#include <chrono>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

namespace vbmp3 {

class PulseConnection {
public:
    explicit PulseConnection(Renderer& renderer, DeviceWatch& watch);
    ~PulseConnection();
    PulseConnection(const PulseConnection&) = delete;
    PulseConnection& operator=(const PulseConnection&) = delete;

    // Starts the main loop, which then connects; false if libpulse cannot run at all.
    bool open();
    // After it returns, the engine is never called again.
    void detach() { engine_.detach(); }
    // Ends the connection and the main loop; may wait as long as a libpulse call takes.
    void close();
    // The engine's cues have changed; never blocks.
    void wake();
    int64_t latencyFrames(uint64_t epoch) const { return backlog_.latencyFrames(epoch); }
    bool heardAll(uint64_t epoch) const { return backlog_.heardAll(epoch); }

private:
    void connect();
    void retry();
    void subscribe();
    void openStream();
    void reopenStream();
    void streamReady();
    void streamLost();
    void reconnectLater(const char* why = "no sound server; playing silently until one answers");
    void fallBackToClock(const char* why);
    void dropStream();
    void dropConnection();
    bool streamPlays() const;
    void syncAndFill();
    bool sync(const Cues& cues);
    void rename(const Cues& cues);
    void flush(uint64_t epoch);
    void fill();
    void pad();
    int64_t heardWithPaddingLeft() const;
    void askForTail();
    void watchStream();
    void schedule(pa_time_event*& event, pa_usec_t after, pa_time_event_cb_t callback);

    static void onWake(pa_mainloop_api*, pa_io_event*, int fd, pa_io_event_flags_t, void* self);
    static void onContextState(pa_context* context, void* self);
    static void onEvent(pa_context* context, pa_subscription_event_type_t type, uint32_t index,
                        void* self);
    static void onStreamState(pa_stream* stream, void* self);
    static void onWrite(pa_stream* stream, size_t, void* self);
    static void onLatency(pa_stream* stream, void* self);
    static void onStarved(pa_mainloop_api*, pa_time_event*, const timeval*, void* self);
    static void onRetry(pa_mainloop_api*, pa_time_event*, const timeval*, void* self);
    static void onWatch(pa_mainloop_api*, pa_time_event*, const timeval*, void* self);
    static void onTail(pa_mainloop_api*, pa_time_event*, const timeval*, void* self);

    DetachableEngine engine_;
    Backlog backlog_;

    // The main loop's own: touched on its thread, or by whoever holds its lock.
    int wakeFd_ = -1;
    pa_threaded_mainloop* loop_ = nullptr;
    pa_mainloop_api* api_ = nullptr;
    pa_io_event* wakeEvent_ = nullptr;
    pa_time_event* retryEvent_ = nullptr;
    pa_time_event* starvedEvent_ = nullptr;
    pa_time_event* watchEvent_ = nullptr;
    pa_time_event* tailEvent_ = nullptr;
    pa_context* context_ = nullptr; // the current connection; callbacks of any other are stale
    pa_stream* stream_ = nullptr;   // the current stream; likewise
    int streamRate_ = kIdleRate;    // of the current stream
    bool onClock_ = false;          // the watch was told the device is lost
    bool lossReported_ = false;     // said so on stderr
    std::chrono::steady_clock::time_point lastAttempt_;
    uint64_t epoch_ = 0;               // of what the stream holds
    std::optional<uint64_t> paddedOf_; // the epoch whose last frames silence follows
    bool corked_ = true;
    std::shared_ptr<const std::string> mediaName_; // as the server shows it
    PulseVolumeSync volume_{engine_, context_, stream_};
    PulseStallWatch stall_;
};

} // namespace vbmp3
