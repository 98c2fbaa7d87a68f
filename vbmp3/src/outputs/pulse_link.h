// One connection to the desktop's sound server (PulseAudio, or PipeWire through pipewire-pulse) on
// libpulse's threaded main loop, with its one playback stream.
//
// A second waits in the server and the link writes only when the server asks for a quarter of
// it, so both wake a few times a second. A new epoch (open, seek, stop, play after stop)
// flushes the server's buffer, pause corks the stream and the volume is the stream's own volume
// on the server, so each of them is heard at once. The stream runs at the track's own rate, and
// the server converts it where it mixes; a track at another rate gets a stream of its own. What the
// server still holds is the backlog, so that the engine tells the time and shows the frames being
// heard, not those written.
//
// Whenever no stream plays (not connected yet, the server gone or hanging, the stream killed,
// no sink to play to) the link tells its watch, which has the frames consumed in real time, and
// tries again: once a second, at each wake, and at once when a sink appears. The stream names no
// sink, so it follows the default sink.
#pragma once

#include "outputs/backlog.h"
#include "outputs/gate.h"
#include "outputs/output.h"
#include "shared/output_format.h"

#include <pulse/pulseaudio.h>

#include <chrono>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

namespace vbmp3 {

class Link {
public:
    explicit Link(Renderer& renderer, DeviceWatch& watch);
    ~Link();
    Link(const Link&) = delete;
    Link& operator=(const Link&) = delete;

    // Starts the main loop, which then connects; false if libpulse cannot run at all.
    bool open();
    // After it returns, the engine is never called again.
    void detach() { gate_.cut(); }
    // Ends the connection and the main loop; may wait as long as a libpulse call takes.
    void close();
    // The engine's cues have changed; never blocks.
    void wake();
    int64_t unheardFrames(uint64_t epoch) const { return backlog_.unheard(epoch); }
    bool heardAll(uint64_t epoch) const { return backlog_.heardAll(epoch); }

private:
    void connect();
    void retry();
    void subscribe();
    void openStream();
    void reopenStream();
    void streamReady();
    void streamLost();
    void lose(const char* why = "no sound server; playing silently until one answers");
    void cover(const char* why);
    void dropStream();
    void dropConnection();
    bool streamPlays() const;
    void play();
    bool follow(const Cues& cues);
    void setVolume(const Cues& cues);
    void rename(const Cues& cues);
    void flush(uint64_t epoch);
    void fill();
    void pad();
    int64_t heardWithPaddingLeft() const;
    void askForTail();
    void watchStream();
    void askVolume();
    void takeVolume(const pa_cvolume& volume);
    void schedule(pa_time_event*& event, pa_usec_t after, pa_time_event_cb_t callback);

    static void onWake(pa_mainloop_api*, pa_io_event*, int fd, pa_io_event_flags_t, void* self);
    static void onContextState(pa_context* context, void* self);
    static void onEvent(pa_context* context, pa_subscription_event_type_t type, uint32_t index,
                        void* self);
    static void onStreamState(pa_stream* stream, void* self);
    static void onWrite(pa_stream* stream, size_t, void* self);
    static void onLatency(pa_stream* stream, void* self);
    static void onVolumeSet(pa_context* context, int, void* self);
    static void onStreamInfo(pa_context* context, const pa_sink_input_info* info, int end,
                             void* self);
    static void onStarved(pa_mainloop_api*, pa_time_event*, const timeval*, void* self);
    static void onRetry(pa_mainloop_api*, pa_time_event*, const timeval*, void* self);
    static void onWatch(pa_mainloop_api*, pa_time_event*, const timeval*, void* self);
    static void onTail(pa_mainloop_api*, pa_time_event*, const timeval*, void* self);

    Gate gate_;
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
    bool covered_ = false;          // the watch was told the device is lost
    bool lost_ = false;             // said so on stderr
    std::chrono::steady_clock::time_point lastAttempt_;
    uint64_t epoch_ = 0;               // of what the stream holds
    std::optional<uint64_t> paddedOf_; // the epoch whose last frames silence follows
    bool corked_ = true;
    float gainLeft_ = 1.0f; // as last followed
    float gainRight_ = 1.0f;
    std::shared_ptr<const std::string> mediaName_; // as the server shows it
    int volumeSetsPending_ = 0;                    // the server's echo of our own volume is no news
    bool answered_ = false; // a request or a timing update came since the last watch
    int64_t takenUpTo_ = 0; // the stream's read index at the last watch
    int deafWatches_ = 0;   // watches in a row without a timing update
    int stuckWatches_ = 0;  // watches in a row that found frames waiting, none taken
};

} // namespace vbmp3
