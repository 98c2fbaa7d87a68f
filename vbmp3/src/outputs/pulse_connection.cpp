#include "outputs/pulse_connection.h"

#include "outputs/pulse_terms.h"
#include "shared/output_format.h"

#include <algorithm>
#include <cstdio>
#include <sys/eventfd.h>
#include <unistd.h>
#include <utility>
#include <vector>

namespace vbmp3 {
namespace {

using Clock = std::chrono::steady_clock;

constexpr size_t kFrameBytes = sizeof(float) * kOutputChannels;
// Kept in the server: a second, so that it asks for a quarter of a second at a time and the
// connection wakes a few times a second, not ten. Seek, stop, pause and volume flush, cork or
// rewind what it holds, so they are heard at once all the same.
constexpr uint32_t kBufferMs = 1000;
// The smallest piece the server asks for. PulseAudio sizes the sink's own latency from what is
// left of the buffer beyond two of them; at half the buffer it stops asking altogether.
constexpr uint32_t kRequestMs = 250;
constexpr uint32_t kPrebufMs = 20; // played as soon as this much is there
// Silence after a track's last frames: longer than any server's period. The track counts as heard
// once no more than the padding less two periods is left: the server takes its frames a period at
// a time, so the backlog, counted down smoothly, runs ahead of it by up to one.
constexpr uint32_t kPaddingMs = 250;
constexpr uint32_t kHeardWithPaddingLeftMs = kPaddingMs - 50;
constexpr pa_usec_t kRetryUsec = 1000000;
constexpr pa_usec_t kStarvedUsec = 10000; // the decoder is catching up after an open or seek
constexpr pa_usec_t kTailAskUsec = 10000; // between figures asked for at a track's end
constexpr auto kRetryAtWakeAfter = std::chrono::milliseconds(200);
// How often a playing stream is looked at for a stall.
constexpr pa_usec_t kWatchUsec = 500000;
// A server that answers has a stream playing within this; the clock does not cut it short.
constexpr std::chrono::milliseconds kStreamExpectedWithin{500};

void release(pa_operation* operation) {
    if (operation)
        pa_operation_unref(operation);
}

uint32_t bytesOf(uint32_t ms, int rate) {
    return static_cast<uint32_t>(int64_t{rate} * ms / 1000 * kFrameBytes);
}

int64_t framesOf(pa_usec_t usec, int rate) {
    return static_cast<int64_t>(usec * static_cast<pa_usec_t>(rate) / PA_USEC_PER_SEC);
}

} // namespace

PulseConnection::PulseConnection(Renderer& renderer, DeviceWatch& watch)
    : engine_(renderer, watch), backlog_(kIdleRate) {}

PulseConnection::~PulseConnection() {
    if (wakeFd_ >= 0)
        ::close(wakeFd_);
}

bool PulseConnection::open() {
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
    wakeEvent_ = api_->io_new(api_, wakeFd_, PA_IO_EVENT_INPUT, &PulseConnection::onWake, this);
    onClock_ = true; // until a stream plays
    engine_.deviceLost(kStreamExpectedWithin);
    pa_threaded_mainloop_unlock(loop_);
    wake(); // connects on the loop's thread: the caller never waits for the server
    return true;
}

void PulseConnection::close() {
    pa_threaded_mainloop_lock(loop_);
    for (pa_time_event* event : {retryEvent_, starvedEvent_, watchEvent_, tailEvent_}) {
        if (event)
            api_->time_free(event);
    }
    api_->io_free(wakeEvent_);
    dropConnection();
    pa_threaded_mainloop_unlock(loop_);
    pa_threaded_mainloop_stop(loop_);
    pa_threaded_mainloop_free(loop_);
}

void PulseConnection::wake() {
    const uint64_t one = 1;
    [[maybe_unused]] ssize_t written = ::write(wakeFd_, &one, sizeof one);
}

void PulseConnection::connect() {
    context_ = pa_context_new_with_proplist(api_, nullptr, Properties().list);
    if (!context_) {
        reconnectLater();
        return;
    }
    pa_context_set_state_callback(context_, &PulseConnection::onContextState, this);
    if (pa_context_connect(context_, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) < 0)
        reconnectLater();
}

// Another try at whatever is missing: the connection, or the stream on it.
void PulseConnection::retry() {
    lastAttempt_ = Clock::now();
    if (!context_)
        connect();
    else if (!stream_ && pa_context_get_state(context_) == PA_CONTEXT_READY)
        openStream();
}

// Sinks that appear (a stream waits for one) and changes to our stream (its volume in a panel).
void PulseConnection::subscribe() {
    pa_context_set_subscribe_callback(context_, &PulseConnection::onEvent, this);
    const auto mask = static_cast<pa_subscription_mask_t>(PA_SUBSCRIPTION_MASK_SINK |
                                                          PA_SUBSCRIPTION_MASK_SINK_INPUT);
    release(pa_context_subscribe(context_, mask, nullptr, nullptr));
}

void PulseConnection::openStream() {
    const Cues cues = engine_.cues();
    streamRate_ = cues.rate;
    const pa_sample_spec format{PA_SAMPLE_FLOAT32NE, static_cast<uint32_t>(streamRate_),
                                kOutputChannels};
    stream_ = pa_stream_new_with_proplist(context_, nullptr, &format, nullptr,
                                          Properties().forStream(nullptr).list);
    if (!stream_) {
        streamLost();
        return;
    }
    pa_stream_set_state_callback(stream_, &PulseConnection::onStreamState, this);
    pa_stream_set_write_callback(stream_, &PulseConnection::onWrite, this);
    pa_stream_set_latency_update_callback(stream_, &PulseConnection::onLatency, this);
    epoch_ = cues.epoch; // a new stream holds nothing
    paddedOf_.reset();
    backlog_.setRate(streamRate_);
    corked_ = !cues.playing;
    mediaName_ = nullptr; // named once it plays
    const pa_cvolume volume = volume_.begin(cues);
    const pa_buffer_attr attr{static_cast<uint32_t>(-1), bytesOf(kBufferMs, streamRate_),
                              bytesOf(kPrebufMs, streamRate_), bytesOf(kRequestMs, streamRate_),
                              static_cast<uint32_t>(-1)};
    const auto flags = static_cast<pa_stream_flags_t>(
        PA_STREAM_AUTO_TIMING_UPDATE | (corked_ ? PA_STREAM_START_CORKED : PA_STREAM_NOFLAGS));
    if (pa_stream_connect_playback(stream_, nullptr, &attr, flags, &volume, nullptr) < 0)
        streamLost();
}

// A track at another rate: what the old stream holds is of an older epoch anyway. Should the
// server not give the new stream, the clock takes over as at the first connection.
void PulseConnection::reopenStream() {
    dropStream();
    onClock_ = true;
    engine_.deviceLost(kStreamExpectedWithin);
    openStream();
}

void PulseConnection::streamReady() {
    if (std::exchange(onClock_, false))
        engine_.deviceBack();
    if (std::exchange(lossReported_, false))
        std::fprintf(stderr, "vbmp3: sound server back\n");
    backlog_.measured(epoch_, 0, 0, !corked_);
    stall_.begin();
    schedule(watchEvent_, kWatchUsec, &PulseConnection::onWatch);
    syncAndFill();
}

// The stream ended (killed, its sink gone, none to play to) but the connection may live on.
void PulseConnection::streamLost() {
    dropStream();
    if (!context_ || pa_context_get_state(context_) != PA_CONTEXT_READY) {
        reconnectLater();
        return;
    }
    fallBackToClock("the sound server ended the stream; playing silently until it takes one again");
    schedule(retryEvent_, kRetryUsec, &PulseConnection::onRetry);
}

// The server is gone, hangs, or never answered.
void PulseConnection::reconnectLater(const char* why) {
    dropConnection();
    fallBackToClock(why);
    schedule(retryEvent_, kRetryUsec, &PulseConnection::onRetry);
}

// What the server held runs down as if it played, and the clock takes over when it has run out.
void PulseConnection::fallBackToClock(const char* why) {
    backlog_.lost();
    const auto held =
        std::chrono::milliseconds(backlog_.latencyFrames(epoch_) * 1000 / streamRate_);
    onClock_ = true;
    engine_.deviceLost(held);
    if (!std::exchange(lossReported_, true))
        std::fprintf(stderr, "vbmp3: %s\n", why);
}

// Takes the stream out before libpulse is called, so that a callback that libpulse makes meanwhile
// finds it is no longer current; a failed stream's callbacks cannot be cleared.
void PulseConnection::dropStream() {
    pa_stream* stream = std::exchange(stream_, nullptr);
    if (!stream)
        return;
    pa_stream_set_state_callback(stream, nullptr, nullptr);
    pa_stream_set_write_callback(stream, nullptr, nullptr);
    pa_stream_set_latency_update_callback(stream, nullptr, nullptr);
    pa_stream_disconnect(stream);
    pa_stream_unref(stream);
}

void PulseConnection::dropConnection() {
    dropStream();
    pa_context* context = std::exchange(context_, nullptr);
    volume_.connectionDropped();
    if (!context)
        return;
    pa_context_set_state_callback(context, nullptr, nullptr);
    pa_context_set_subscribe_callback(context, nullptr, nullptr);
    pa_context_disconnect(context);
    pa_context_unref(context);
}

bool PulseConnection::streamPlays() const {
    return stream_ && pa_stream_get_state(stream_) == PA_STREAM_READY;
}

// Brings the stream in line with the engine: a new rate makes a new stream, a new epoch flushes,
// pause corks, volume. False when the stream is being made anew.
bool PulseConnection::sync(const Cues& cues) {
    if (cues.rate != streamRate_) {
        reopenStream();
        return false;
    }
    if (cues.epoch != epoch_)
        flush(cues.epoch);
    if (cues.playing == corked_) {
        corked_ = !cues.playing;
        backlog_.setRunning(!corked_);
        release(pa_stream_cork(stream_, corked_, nullptr, nullptr));
    }
    volume_.follow(cues);
    return true;
}

// Follows the engine and writes what the server wants; then names the stream.
void PulseConnection::syncAndFill() {
    const Cues cues = engine_.cues();
    if (!sync(cues))
        return;
    fill();
    if (streamPlays() && cues.mediaName != mediaName_)
        rename(cues);
}

void PulseConnection::rename(const Cues& cues) {
    mediaName_ = cues.mediaName;
    release(pa_stream_proplist_update(stream_, PA_UPDATE_REPLACE,
                                      Properties().forStream(mediaName_).list, nullptr, nullptr));
}

void PulseConnection::flush(uint64_t epoch) {
    release(pa_stream_flush(stream_, nullptr, nullptr));
    epoch_ = epoch;
    backlog_.measured(epoch, 0, 0, !corked_);
}

// Writes as much as the server asked for and the decoder has. Each piece counts as held from
// before the engine renders it, so the engine never takes it for heard in between.
void PulseConnection::fill() {
    if (!streamPlays())
        return;
    bool starved = false;
    bool drained = false;
    for (size_t wanted = pa_stream_writable_size(stream_);
         wanted >= kFrameBytes && wanted != static_cast<size_t>(-1);
         wanted = pa_stream_writable_size(stream_)) {
        void* data = nullptr;
        size_t bytes = wanted - wanted % kFrameBytes;
        if (pa_stream_begin_write(stream_, &data, &bytes) < 0 || bytes < kFrameBytes)
            break;
        const size_t frames = bytes / kFrameBytes;
        backlog_.rendering();
        const RenderResult result = engine_.render(static_cast<float*>(data), frames, streamRate_);
        if (result.rate != streamRate_) {
            // Not in the middle of the server's own callback: the stream is made anew from the
            // loop's wake.
            pa_stream_cancel_write(stream_);
            backlog_.wrote(0);
            wake();
            break;
        }
        if (result.epoch != epoch_)
            flush(result.epoch);
        if (result.played == 0)
            pa_stream_cancel_write(stream_);
        else
            pa_stream_write(stream_, data, result.played * kFrameBytes, nullptr, 0,
                            PA_SEEK_RELATIVE);
        backlog_.wrote(static_cast<int64_t>(result.played));
        starved = result.starved;
        drained = result.drained;
        if (result.played < frames)
            break;
    }
    if (starved)
        schedule(starvedEvent_, kStarvedUsec, &PulseConnection::onStarved);
    if (drained && paddedOf_ != epoch_)
        pad();
}

// The track's last frames are written: silence after them has a server that plays whole periods
// only play them too (PipeWire holds back a last part shorter than its period, a short track
// whole), and its next figure tells when they have been heard. The next epoch's flush drops it.
void PulseConnection::pad() {
    const std::vector<char> silence(bytesOf(kPaddingMs, streamRate_), 0);
    if (pa_stream_write(stream_, silence.data(), silence.size(), nullptr, 0, PA_SEEK_RELATIVE) < 0)
        return;
    paddedOf_ = epoch_;
    backlog_.padded(static_cast<int64_t>(silence.size() / kFrameBytes), heardWithPaddingLeft());
    release(pa_stream_update_timing_info(stream_, nullptr, nullptr));
}

int64_t PulseConnection::heardWithPaddingLeft() const {
    return bytesOf(kHeardWithPaddingLeftMs, streamRate_) / kFrameBytes;
}

// The end is heard only on a figure that says the server has taken the track's last frames: one is
// asked for when the backlog, running down, says it should have, and again until one does.
void PulseConnection::askForTail() {
    if (paddedOf_ != epoch_ || backlog_.heardAll(epoch_))
        return;
    const int64_t above = backlog_.latencyFrames(epoch_) - heardWithPaddingLeft();
    const auto after = static_cast<pa_usec_t>(std::max<int64_t>(above, 0)) * PA_USEC_PER_SEC /
                       static_cast<pa_usec_t>(streamRate_);
    schedule(tailEvent_, std::max(after, kTailAskUsec), &PulseConnection::onTail);
}

void PulseConnection::watchStream() {
    if (!streamPlays())
        return;
    schedule(watchEvent_, kWatchUsec, &PulseConnection::onWatch);
    if (stall_.stalled(pa_stream_get_timing_info(stream_), corked_))
        reconnectLater("the sound server takes no sound; playing silently until it does");
}

void PulseConnection::schedule(pa_time_event*& event, pa_usec_t after,
                               pa_time_event_cb_t callback) {
    timeval when{};
    pa_timeval_add(pa_gettimeofday(&when), after);
    if (event)
        api_->time_restart(event, &when);
    else
        event = api_->time_new(api_, &when, callback, this);
}

void PulseConnection::onWake(pa_mainloop_api*, pa_io_event*, int fd, pa_io_event_flags_t,
                             void* self) {
    uint64_t count = 0;
    [[maybe_unused]] ssize_t got = ::read(fd, &count, sizeof count);
    auto* connection = static_cast<PulseConnection*>(self);
    if (connection->streamPlays()) {
        connection->syncAndFill();
    } else if (!connection->stream_ &&
               Clock::now() - connection->lastAttempt_ >= kRetryAtWakeAfter) {
        connection
            ->retry(); // an open, a play, a seek: worth another try if the last was not just now
    }
}

void PulseConnection::onContextState(pa_context* context, void* self) {
    auto* connection = static_cast<PulseConnection*>(self);
    if (context != connection->context_)
        return;
    switch (pa_context_get_state(context)) {
    case PA_CONTEXT_READY:
        connection->subscribe();
        connection->openStream();
        break;
    case PA_CONTEXT_FAILED:
    case PA_CONTEXT_TERMINATED:
        connection->reconnectLater();
        break;
    default:
        break;
    }
}

void PulseConnection::onEvent(pa_context* context, pa_subscription_event_type_t type,
                              uint32_t index, void* self) {
    auto* connection = static_cast<PulseConnection*>(self);
    if (context != connection->context_)
        return;
    const auto facility = type & PA_SUBSCRIPTION_EVENT_FACILITY_MASK;
    const auto kind = type & PA_SUBSCRIPTION_EVENT_TYPE_MASK;
    if (facility == PA_SUBSCRIPTION_EVENT_SINK && kind == PA_SUBSCRIPTION_EVENT_NEW &&
        !connection->stream_) {
        connection->openStream();
    } else if (facility == PA_SUBSCRIPTION_EVENT_SINK_INPUT &&
               kind == PA_SUBSCRIPTION_EVENT_CHANGE) {
        connection->volume_.streamChanged(index);
    }
}

void PulseConnection::onStreamState(pa_stream* stream, void* self) {
    auto* connection = static_cast<PulseConnection*>(self);
    if (stream != connection->stream_)
        return;
    switch (pa_stream_get_state(stream)) {
    case PA_STREAM_READY:
        connection->streamReady();
        break;
    case PA_STREAM_FAILED:
    case PA_STREAM_TERMINATED:
        connection->streamLost();
        break;
    default:
        break;
    }
}

void PulseConnection::onWrite(pa_stream* stream, size_t, void* self) {
    auto* connection = static_cast<PulseConnection*>(self);
    if (stream != connection->stream_)
        return;
    connection->stall_.answered();
    connection->fill();
}

// The server's figure, fresh from a timing update: what the stream holds (written, not taken by
// the sink) and what the sink has taken and not played. Taken from the indices as the server
// sent them: libpulse's own latency counts the request's time on its way to the server as
// played, which a busy server makes hundreds of milliseconds, and never lets its stream time
// run back, so one such figure makes tracks after it end at once. No figure while a flush after
// the request leaves the write index unknown.
void PulseConnection::onLatency(pa_stream* stream, void* self) {
    auto* connection = static_cast<PulseConnection*>(self);
    if (stream != connection->stream_)
        return;
    connection->stall_.answered();
    const pa_timing_info* timing = pa_stream_get_timing_info(stream);
    if (!timing || timing->write_index_corrupt || timing->read_index_corrupt)
        return;
    const int64_t waiting = (timing->write_index - timing->read_index) / int64_t{kFrameBytes};
    // The sink's latency counts what it rendered before the stream's first frames as well.
    const int64_t playingOut = std::min(framesOf(timing->sink_usec, connection->streamRate_),
                                        timing->read_index / int64_t{kFrameBytes});
    connection->backlog_.measured(connection->epoch_, waiting, playingOut, !connection->corked_);
    connection->askForTail();
}

void PulseConnection::onStarved(pa_mainloop_api*, pa_time_event*, const timeval*, void* self) {
    static_cast<PulseConnection*>(self)->fill();
}

void PulseConnection::onRetry(pa_mainloop_api*, pa_time_event*, const timeval*, void* self) {
    static_cast<PulseConnection*>(self)->retry();
}

void PulseConnection::onWatch(pa_mainloop_api*, pa_time_event*, const timeval*, void* self) {
    static_cast<PulseConnection*>(self)->watchStream();
}

void PulseConnection::onTail(pa_mainloop_api*, pa_time_event*, const timeval*, void* self) {
    auto* connection = static_cast<PulseConnection*>(self);
    if (connection->streamPlays() && connection->paddedOf_ == connection->epoch_)
        release(pa_stream_update_timing_info(connection->stream_, nullptr, nullptr));
}

} // namespace vbmp3
