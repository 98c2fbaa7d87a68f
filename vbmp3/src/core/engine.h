// The engine core: the current source, the decoder thread that feeds the ring buffer, and the
// one locked snapshot (state, position, the latest played frames) that every C call reads.
// Positions count the current track's frames at its own rate; the output plays at that rate.
#pragma once

#include "core/analysis.h"
#include "core/crew.h"
#include "core/frame_history.h"
#include "core/ring_buffer.h"
#include "decoders/source.h"
#include "outputs/output.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

namespace vbmp3 {

// Playback state, as vbmp3_getState reports it.
//   Stopped: no file is current (at start, after a failed open, after close); after stop (the
//            position goes back to 0); after the natural end of the track, where the elapsed time
//            is held at totalSeconds - 1 until the next open, play, seek or stop; after a seek at
//            or past the end, which ends the track the same way. A file that will not open
//            leaves no file current, so play does nothing.
//   Playing: after play (from the start when stopped) or restart, until the last frame has been
//            heard (an output that buffers holds it back by its backlog). A device that fails
//            later does not leave this state.
//   Paused:  after pause while playing; the output plays silence (or holds what it buffered)
//            and the position is kept.
enum class PlayState : int32_t { Stopped = 0, Playing = 1, Paused = 2 };

// Each file is decoded on a thread of its own, which owns its Source: a file whose reads hang (a
// stalled network share) holds that thread alone. A file that replaces it gets a new thread, and
// the old one ends on its own once its read returns, closing its file itself.
class Engine : private Renderer {
public:
    // Starts the output that `startOutput` gives.
    explicit Engine(const OutputStarter& startOutput);
    ~Engine() override; // stops the output and waits for every decoder thread, however long

    Engine(const Engine&) = delete;
    Engine& operator=(const Engine&) = delete;

    // Stops the output and the decoder threads. False if a decoder thread still hangs in a
    // file's read or close after `bound`: it is let go, and uses the engine once it returns, so
    // the engine must then never be destroyed.
    bool shutDown(std::chrono::milliseconds bound);

    // Makes `source` the current file (nullptr: none), stopped at its start. `mediaName` works out
    // what plays, for the sound server's list of streams (UTF-8); the file's decoder thread calls
    // it once it has decoded ahead, since it may wait on the file.
    void replace(std::unique_ptr<Source> source, std::function<std::string()> mediaName = {});
    // The current file's facts; nullopt without one.
    std::optional<StreamFacts> facts() const;

    void play();
    void pause();
    void restart();
    void stop();
    void seek(int32_t seconds);
    void setVolume(int32_t left, int32_t right);
    struct Volume {
        int32_t left;
        int32_t right;
    };
    // As last set, here or on the device (a sound server's panel); 0 to 100.
    Volume volume() const;

    struct Status {
        PlayState state;
        int32_t seconds;
    };
    Status status();
    // The wave and spectrum of the frames heard now, zeros unless playing. Each array holds
    // kWaveLength or kSpectrumBins entries. The spectrum is worked out once for each step of
    // kHeardStep frames heard: polls within one step get the same.
    void wave(int32_t* left, int32_t* right);
    void spectrum(int32_t* left, int32_t* right);

private:
    RenderResult render(float* out, size_t frames, int rate) override;
    Cues cues() const override;
    void volumeSetOnDevice(int32_t left, int32_t right) override;
    void keepVolume(int32_t left, int32_t right);
    // Frames rendered but not heard yet (caller holds the lock).
    int64_t unheard() const;
    // Ends the track once its last rendered frame has been heard (caller holds the lock).
    void settleEnd();
    // The decoder thread `id` of `source`: decodes ahead into the ring while it is the engine's
    // current decoder, then closes the file.
    void decodeLoop(uint64_t id, std::unique_ptr<Source> source,
                    std::function<std::string()> mediaName);
    // Stops the output and has the decoder threads end.
    void stopThreads();
    // Drops whatever was decoded ahead and has the decoder go on from `frame` (caller holds the
    // lock).
    void restartDecodingAt(int64_t frame);
    void endTrack(); // natural end (caller holds the lock)
    int32_t totalSeconds() const;
    // Has the history hold the latest frames at `rate` (caller holds the lock).
    void sizeHistory(int rate);
    // Which frames are heard now: the kFftLength frames of an epoch that end at a frame of
    // the track, rounded down to a whole step.
    struct HeardWindow {
        uint64_t epoch;
        int64_t end;
        bool operator==(const HeardWindow&) const = default;
    };
    // Copies the kFftLength frames heard last, oldest first, into `out`; or zeros `length`
    // entries of `left` and `right` and returns nullopt if not playing.
    std::optional<HeardWindow> latestFrames(float* out, int32_t* left, int32_t* right,
                                            size_t length);

    mutable std::mutex mutex_;
    std::condition_variable decoderWake_;

    // Guarded by mutex_.
    uint64_t decoder_ = 0; // the decoder thread that feeds the ring; 0: none
    uint64_t decodersStarted_ = 0;
    std::optional<StreamFacts> facts_;
    // The current file's, once its decoder has worked it out; the last file's until then.
    std::shared_ptr<const std::string> mediaName_;
    PlayState state_ = PlayState::Stopped;
    bool endHeld_ = false;          // the elapsed time reads totalSeconds - 1
    bool atStart_ = true;           // the decoder's output begins at frame 0
    uint64_t epoch_ = 0;            // bumped whenever decoded-ahead frames become stale
    std::optional<int64_t> seekTo_; // for the decoder, before its next read
    bool decodeDone_ = false;       // the source has no more frames for this epoch
    bool drained_ = false;          // all of the track has been rendered; ends once heard
    int64_t position_ = 0;          // frame of the track that render() gives next
    int rate_ = kIdleRate;          // of the current track (of the last one while none is open)
    RingBuffer ring_;
    FrameHistory history_; // the latest rendered frames, pre-volume; the newest is position_ - 1

    std::atomic<int32_t> volumeLeft_;
    std::atomic<int32_t> volumeRight_;
    std::atomic<float> gainLeft_;
    std::atomic<float> gainRight_;

    // Used by the polling thread only.
    SpectrumAnalyzer analyzer_;
    std::optional<HeardWindow> spectrumOf_; // what spectrum_ was worked out from
    int32_t spectrum_[2][kSpectrumBins] = {};
    std::shared_ptr<Output> output_;
    bool outputAppliesVolume_ = false;
    Crew decoders_; // last: the decoder threads use all of the above
};

} // namespace vbmp3
