// The desktop's sound server: one libpulse playback stream (PulseAudio, or PipeWire through
// pipewire-pulse) on libpulse's threaded main loop.
//
// About half a second waits in the server and the output writes only when the server asks for a
// large piece, so both wake a few times a second. A new epoch (open, seek, stop, play after stop)
// flushes the server's buffer, pause corks the stream and the volume is the stream's own volume
// on the server, so each of them is heard at once. What the server still holds is reported as the
// backlog, so that the engine tells the time and shows the frames being heard, not those written.
//
// When the server goes away, the silent clock consumes the frames in real time while the output
// reconnects, once a second and at each wake; a server that appears later is taken up the same
// way. The stream names no sink, so it follows the default sink. Nothing here waits for the
// server: a stop that does not finish within half a second abandons the connection.
#include "outputs/output.h"
#include "shared/output_format.h"

#include <pulse/pulseaudio.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <future>
#include <mutex>
#include <sys/eventfd.h>
#include <thread>
#include <unistd.h>

namespace vbmp3 {
namespace {

using Clock = std::chrono::steady_clock;

constexpr size_t kFrameBytes = sizeof(float) * kOutputChannels;
constexpr uint32_t kBufferMs = 500; // kept in the server
// The smallest piece the server asks for. PulseAudio sizes the sink's own latency from what is
// left of the buffer beyond it; at half the buffer it stops asking altogether.
constexpr uint32_t kRequestMs = 100;
constexpr uint32_t kPrebufMs = 20; // played as soon as this much is there
constexpr pa_usec_t kReconnectUsec = 1000000;
constexpr pa_usec_t kStarvedUsec = 10000; // the decoder is catching up after an open or seek
constexpr auto kReconnectAtWakeAfter = std::chrono::milliseconds(200);
constexpr auto kAbandonAfter = std::chrono::milliseconds(500);

void release(pa_operation* operation) {
    if (operation)
        pa_operation_unref(operation);
}

uint32_t bytesOf(uint32_t ms) {
    return static_cast<uint32_t>(kOutputRate / 1000 * ms * kFrameBytes);
}

int64_t framesOf(pa_usec_t usec) {
    return static_cast<int64_t>(usec * kOutputRate / PA_USEC_PER_SEC);
}

// A sound server is configured, or one has run in this session. Without either the system has
// none, and the next driver gets its turn.
bool serverExpected() {
    if (const char* server = std::getenv("PULSE_SERVER"); server && *server)
        return true;
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    std::error_code error;
    return runtime &&
           std::filesystem::is_directory(std::filesystem::path(runtime) / "pulse", error);
}

// Everything the main loop touches. Shared with the teardown, which outlives the output when the
// server hangs. Members below `loop_` belong to the main loop thread (or to whoever holds the
// loop's lock).
class Link : public Renderer {
public:
    explicit Link(Renderer& renderer) : renderer_(&renderer) {}
    ~Link() override {
        if (wakeFd_ >= 0)
            ::close(wakeFd_);
    }
    Link(const Link&) = delete;
    Link& operator=(const Link&) = delete;

    bool open() {
        wakeFd_ = ::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
        loop_ = pa_threaded_mainloop_new();
        if (wakeFd_ < 0 || !loop_ || pa_threaded_mainloop_start(loop_) < 0) {
            if (loop_)
                pa_threaded_mainloop_free(loop_);
            loop_ = nullptr;
            return false;
        }
        pa_threaded_mainloop_lock(loop_);
        api_ = pa_threaded_mainloop_get_api(loop_);
        wakeEvent_ = api_->io_new(api_, wakeFd_, PA_IO_EVENT_INPUT, &Link::onWake, this);
        connect();
        pa_threaded_mainloop_unlock(loop_);
        return true;
    }

    // After it returns, the engine's renderer is never called again.
    void detach() {
        std::lock_guard lock(rendererMutex_);
        renderer_ = nullptr;
    }

    // Ends the connection and the main loop; may wait as long as the server makes it.
    void close() {
        pa_threaded_mainloop_lock(loop_);
        for (pa_time_event* event : {reconnectEvent_, starvedEvent_}) {
            if (event)
                api_->time_free(event);
        }
        api_->io_free(wakeEvent_);
        dropConnection();
        if (clock_)
            clock_->stop();
        pa_threaded_mainloop_unlock(loop_);
        pa_threaded_mainloop_stop(loop_);
        pa_threaded_mainloop_free(loop_);
    }

    void wake() {
        const uint64_t one = 1;
        [[maybe_unused]] ssize_t written = ::write(wakeFd_, &one, sizeof one);
    }

    int64_t unheardFrames(uint64_t epoch) const {
        std::lock_guard lock(backlogMutex_);
        return backlog_.epoch == epoch ? backlogNow() : 0;
    }

    // The engine's renderer until detached: writes and the clock both go through here.
    RenderResult render(float* out, size_t frames) override {
        std::lock_guard lock(rendererMutex_);
        if (renderer_)
            return renderer_->render(out, frames);
        std::fill(out, out + frames * kOutputChannels, 0.0f);
        return {};
    }

    Cues cues() const override {
        std::lock_guard lock(rendererMutex_);
        return renderer_ ? renderer_->cues() : Cues{};
    }

private:
    // Measured at each timing update and counted on from there: written frames add to it, and
    // it runs down in real time while the stream is not corked. (libpulse's own interpolation
    // runs down even before the sink has started reading.)
    struct Backlog {
        uint64_t epoch = 0;
        int64_t frames = 0; // at `at`
        Clock::time_point at;
        bool running = false;
    };

    int64_t backlogNow() const { // backlogMutex_ held
        int64_t frames = backlog_.frames;
        if (backlog_.running) {
            const auto elapsed =
                std::chrono::duration_cast<std::chrono::microseconds>(Clock::now() - backlog_.at);
            frames -= elapsed.count() * kOutputRate / 1000000;
        }
        return std::max<int64_t>(frames, 0);
    }

    void noteBacklog(int64_t frames) {
        std::lock_guard lock(backlogMutex_);
        backlog_ = {epoch_, frames, Clock::now(), !corked_};
    }

    int64_t currentBacklog() const {
        std::lock_guard lock(backlogMutex_);
        return backlog_.epoch == epoch_ ? backlogNow() : 0;
    }

    // The server's figure, fresh from a timing update: what the stream and the sink still hold.
    void measureBacklog() {
        pa_usec_t usec = 0;
        int negative = 0;
        if (stream_ && pa_stream_get_latency(stream_, &usec, &negative) == 0)
            noteBacklog(negative ? 0 : framesOf(usec));
    }

    void connect() {
        lastAttempt_ = Clock::now();
        context_ = pa_context_new(api_, nullptr); // named after the program by libpulse
        if (!context_) {
            lose();
            return;
        }
        pa_context_set_state_callback(context_, &Link::onContextState, this);
        if (pa_context_connect(context_, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) < 0)
            lose();
    }

    void openStream() {
        const pa_sample_spec format{PA_SAMPLE_FLOAT32NE, kOutputRate, kOutputChannels};
        stream_ = pa_stream_new(context_, "Playback", &format, nullptr);
        if (!stream_) {
            lose();
            return;
        }
        pa_stream_set_state_callback(stream_, &Link::onStreamState, this);
        pa_stream_set_write_callback(stream_, &Link::onWrite, this);
        pa_stream_set_latency_update_callback(stream_, &Link::onLatency, this);
        const Cues cues = this->cues();
        epoch_ = cues.epoch; // a new stream holds nothing
        corked_ = !cues.playing;
        gainLeft_ = cues.gainLeft;
        gainRight_ = cues.gainRight;
        const pa_cvolume volume = volumeOf(cues);
        const pa_buffer_attr attr{static_cast<uint32_t>(-1), bytesOf(kBufferMs), bytesOf(kPrebufMs),
                                  bytesOf(kRequestMs), static_cast<uint32_t>(-1)};
        const auto flags = static_cast<pa_stream_flags_t>(
            PA_STREAM_AUTO_TIMING_UPDATE | (corked_ ? PA_STREAM_START_CORKED : PA_STREAM_NOFLAGS));
        if (pa_stream_connect_playback(stream_, nullptr, &attr, flags, &volume, nullptr) < 0)
            lose();
    }

    void streamReady() {
        if (clock_) {
            clock_->stop();
            clock_.reset();
        }
        if (lost_)
            std::fprintf(stderr, "vbmp3: sound server back\n");
        lost_ = false;
        noteBacklog(0);
        follow(cues());
        fill();
    }

    // The server is gone or never answered: play on the clock and try again in a while.
    void lose() {
        dropConnection();
        if (!clock_) {
            clock_ = makeClockOutput();
            clock_->start(*this);
        }
        if (!lost_)
            std::fprintf(stderr, "vbmp3: no sound server; playing silently until one answers\n");
        lost_ = true;
        noteBacklog(0);
        schedule(reconnectEvent_, kReconnectUsec, &Link::onReconnect);
    }

    void dropConnection() {
        if (stream_) {
            pa_stream_set_state_callback(stream_, nullptr, nullptr);
            pa_stream_set_write_callback(stream_, nullptr, nullptr);
            pa_stream_set_latency_update_callback(stream_, nullptr, nullptr);
            pa_stream_disconnect(stream_);
            pa_stream_unref(stream_);
            stream_ = nullptr;
        }
        if (context_) {
            pa_context_set_state_callback(context_, nullptr, nullptr);
            pa_context_disconnect(context_);
            pa_context_unref(context_);
            context_ = nullptr;
        }
    }

    bool streamPlays() const { return stream_ && pa_stream_get_state(stream_) == PA_STREAM_READY; }

    static pa_cvolume volumeOf(const Cues& cues) {
        pa_cvolume volume;
        volume.channels = kOutputChannels;
        volume.values[0] = pa_sw_volume_from_linear(cues.gainLeft);
        volume.values[1] = pa_sw_volume_from_linear(cues.gainRight);
        return volume;
    }

    // Brings the stream in line with the engine: a new epoch flushes, pause corks, volume.
    void follow(const Cues& cues) {
        if (cues.epoch != epoch_)
            flush(cues.epoch);
        if (cues.playing == corked_) {
            const int64_t backlog = currentBacklog();
            corked_ = !cues.playing;
            noteBacklog(backlog); // held while corked
            release(pa_stream_cork(stream_, corked_, nullptr, nullptr));
        }
        if (cues.gainLeft != gainLeft_ || cues.gainRight != gainRight_) {
            gainLeft_ = cues.gainLeft;
            gainRight_ = cues.gainRight;
            const pa_cvolume volume = volumeOf(cues);
            release(pa_context_set_sink_input_volume(context_, pa_stream_get_index(stream_),
                                                     &volume, nullptr, nullptr));
        }
    }

    void flush(uint64_t epoch) {
        release(pa_stream_flush(stream_, nullptr, nullptr));
        epoch_ = epoch;
        noteBacklog(0);
    }

    // Writes as much as the server asked for and the decoder has.
    void fill() {
        if (!streamPlays())
            return;
        int64_t written = 0;
        bool starved = false;
        for (size_t wanted = pa_stream_writable_size(stream_);
             wanted >= kFrameBytes && wanted != static_cast<size_t>(-1);
             wanted = pa_stream_writable_size(stream_)) {
            void* data = nullptr;
            size_t bytes = wanted - wanted % kFrameBytes;
            if (pa_stream_begin_write(stream_, &data, &bytes) < 0 || bytes < kFrameBytes)
                break;
            const size_t frames = bytes / kFrameBytes;
            const RenderResult result = render(static_cast<float*>(data), frames);
            if (result.epoch != epoch_) {
                flush(result.epoch);
                written = 0;
            }
            if (result.played == 0) {
                pa_stream_cancel_write(stream_);
            } else {
                pa_stream_write(stream_, data, result.played * kFrameBytes, nullptr, 0,
                                PA_SEEK_RELATIVE);
                written += static_cast<int64_t>(result.played);
            }
            starved = result.starved;
            if (result.played < frames)
                break;
        }
        if (written > 0)
            noteBacklog(currentBacklog() + written);
        if (starved)
            schedule(starvedEvent_, kStarvedUsec, &Link::onStarved);
    }

    void schedule(pa_time_event*& event, pa_usec_t after, pa_time_event_cb_t callback) {
        timeval when{};
        pa_timeval_add(pa_gettimeofday(&when), after);
        if (event)
            api_->time_restart(event, &when);
        else
            event = api_->time_new(api_, &when, callback, this);
    }

    static void onWake(pa_mainloop_api*, pa_io_event*, int fd, pa_io_event_flags_t, void* self) {
        uint64_t count = 0;
        [[maybe_unused]] ssize_t got = ::read(fd, &count, sizeof count);
        auto* link = static_cast<Link*>(self);
        if (!link->context_) {
            // An open, a play, a seek: worth another try if the last was not just now.
            if (Clock::now() - link->lastAttempt_ >= kReconnectAtWakeAfter)
                link->connect();
            return;
        }
        if (link->streamPlays()) {
            link->follow(link->cues());
            link->fill();
        }
    }

    static void onContextState(pa_context* context, void* self) {
        auto* link = static_cast<Link*>(self);
        switch (pa_context_get_state(context)) {
        case PA_CONTEXT_READY:
            link->openStream();
            break;
        case PA_CONTEXT_FAILED:
        case PA_CONTEXT_TERMINATED:
            link->lose();
            break;
        default:
            break;
        }
    }

    static void onStreamState(pa_stream* stream, void* self) {
        auto* link = static_cast<Link*>(self);
        switch (pa_stream_get_state(stream)) {
        case PA_STREAM_READY:
            link->streamReady();
            break;
        case PA_STREAM_FAILED:
        case PA_STREAM_TERMINATED:
            link->lose();
            break;
        default:
            break;
        }
    }

    static void onWrite(pa_stream*, size_t, void* self) { static_cast<Link*>(self)->fill(); }

    static void onLatency(pa_stream*, void* self) { static_cast<Link*>(self)->measureBacklog(); }

    static void onStarved(pa_mainloop_api*, pa_time_event*, const timeval*, void* self) {
        static_cast<Link*>(self)->fill();
    }

    static void onReconnect(pa_mainloop_api*, pa_time_event*, const timeval*, void* self) {
        auto* link = static_cast<Link*>(self);
        if (!link->context_)
            link->connect();
    }

    mutable std::mutex rendererMutex_;
    Renderer* renderer_;

    mutable std::mutex backlogMutex_;
    Backlog backlog_;

    int wakeFd_ = -1;
    pa_threaded_mainloop* loop_ = nullptr;
    pa_mainloop_api* api_ = nullptr;
    pa_io_event* wakeEvent_ = nullptr;
    pa_time_event* reconnectEvent_ = nullptr;
    pa_time_event* starvedEvent_ = nullptr;
    pa_context* context_ = nullptr;
    pa_stream* stream_ = nullptr;
    std::unique_ptr<Output> clock_; // runs while no stream plays
    bool lost_ = false;             // said so on stderr
    Clock::time_point lastAttempt_;
    uint64_t epoch_ = 0; // of what the stream holds
    bool corked_ = true;
    float gainLeft_ = 1.0f; // set on the server
    float gainRight_ = 1.0f;
};

class PulseOutput : public Output {
public:
    bool start(Renderer& renderer) override {
        if (!serverExpected())
            return false;
        auto link = std::make_shared<Link>(renderer);
        if (!link->open())
            return false;
        link_ = std::move(link);
        return true;
    }

    void stop() override {
        if (!link_)
            return;
        link_->detach();
        std::shared_ptr<Link> link = std::move(link_);
        auto closed = std::make_shared<std::promise<void>>();
        std::future<void> done = closed->get_future();
        std::thread closer([link, closed] {
            link->close();
            closed->set_value();
        });
        if (done.wait_for(kAbandonAfter) == std::future_status::ready) {
            closer.join();
        } else {
            std::fprintf(stderr, "vbmp3: the sound server does not answer; connection abandoned\n");
            closer.detach();
        }
    }

    ~PulseOutput() override { stop(); }

    void wake() override {
        if (link_)
            link_->wake();
    }

    int64_t unheardFrames(uint64_t epoch) const override {
        return link_ ? link_->unheardFrames(epoch) : 0;
    }

    bool appliesVolume() const override { return true; }

private:
    std::shared_ptr<Link> link_;
};

} // namespace

std::unique_ptr<Output> makePulseOutput() {
    return std::make_unique<PulseOutput>();
}

} // namespace vbmp3
