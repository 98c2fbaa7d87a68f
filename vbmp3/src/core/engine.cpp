#include "core/engine.h"

#include "core/volume.h"

#include <algorithm>
#include <pthread.h>
#include <utility>
#include <vector>

namespace vbmp3 {
namespace {

constexpr size_t kRingFrames = 16384; // about a third of a second decoded ahead
constexpr size_t kChunkFrames = 2048;
// Rendered frames kept for the visual data: the output's backlog (a sound server holds up to
// about 1.3 s) and one transform's worth before it.
constexpr int kHistoryQuarterSeconds = 6;
// The visual data follow what is heard in steps of this many frames.
constexpr int64_t kHeardStep = 256;
constexpr int32_t kStartVolume = 50;

} // namespace

Engine::Engine(const OutputStarter& startOutput)
    : ring_(kRingFrames, kOutputChannels), volumeLeft_(kStartVolume), volumeRight_(kStartVolume),
      gainLeft_(volumeGain(kStartVolume)), gainRight_(volumeGain(kStartVolume)) {
    sizeHistory(rate_);
    std::shared_ptr<Output> output = startOutput(*this);
    {
        std::lock_guard lock(mutex_);
        output_ = std::move(output);
        outputAppliesVolume_ = output_->appliesVolume();
    }
}

Engine::~Engine() {
    stopThreads(); // decoders_ then waits for the decoder threads as it goes
}

bool Engine::shutDown(std::chrono::milliseconds bound) {
    stopThreads();
    return decoders_.waitFor(bound);
}

void Engine::stopThreads() {
    output_->stop();
    {
        std::lock_guard lock(mutex_);
        decoder_ = 0;
    }
    decoderWake_.notify_all();
}

void Engine::replace(std::unique_ptr<Source> source, std::function<std::string()> mediaName) {
    {
        std::lock_guard lock(mutex_);
        if (source)
            facts_ = source->facts();
        else
            facts_.reset();
        // Without a file the output keeps its rate: the next file may well have the same.
        if (facts_ && facts_->sampleRate != rate_) {
            rate_ = facts_->sampleRate;
            sizeHistory(rate_);
        }
        if (!source)
            mediaName_ = nullptr;
        state_ = PlayState::Stopped;
        endHeld_ = false;
        restartDecodingAt(0);
        seekTo_.reset(); // a new source starts at its beginning
        // The old decoder thread, if any, ends once it sees it is no longer the current one.
        decoder_ = source ? ++decodersStarted_ : 0;
        if (decoder_ != 0)
            decoders_.start([this, id = decoder_, source = std::move(source),
                             mediaName = std::move(mediaName)]() mutable {
                decodeLoop(id, std::move(source), std::move(mediaName));
            });
    }
    decoderWake_.notify_all();
    output_->wake();
}

std::optional<StreamFacts> Engine::facts() const {
    std::lock_guard lock(mutex_);
    std::optional<StreamFacts> facts = facts_;
    if (facts)
        facts->totalFrames = facts->framesNow(); // as a scan has corrected it since open
    return facts;
}

void Engine::play() {
    {
        std::lock_guard lock(mutex_);
        if (!facts_)
            return;
        if (state_ == PlayState::Playing)
            return;
        if (state_ == PlayState::Stopped) {
            if (!atStart_)
                restartDecodingAt(0);
            endHeld_ = false;
        }
        state_ = PlayState::Playing;
    }
    decoderWake_.notify_all();
    output_->wake();
}

void Engine::pause() {
    {
        std::lock_guard lock(mutex_);
        if (state_ != PlayState::Playing)
            return;
        state_ = PlayState::Paused;
    }
    output_->wake();
}

void Engine::restart() {
    {
        std::lock_guard lock(mutex_);
        if (state_ != PlayState::Paused)
            return;
        state_ = PlayState::Playing;
    }
    output_->wake();
}

void Engine::stop() {
    {
        std::lock_guard lock(mutex_);
        if (!facts_)
            return;
        state_ = PlayState::Stopped;
        endHeld_ = false;
        if (!atStart_)
            restartDecodingAt(0);
    }
    decoderWake_.notify_all();
    output_->wake();
}

void Engine::seek(int32_t seconds) {
    {
        std::lock_guard lock(mutex_);
        if (!facts_)
            return;
        endHeld_ = false;
        if (state_ == PlayState::Stopped) {
            // Play starts from the beginning anyway; a seek here only leaves the ended track.
            if (!atStart_)
                restartDecodingAt(0);
            return;
        }
        int64_t frame = int64_t{std::max(seconds, 0)} * rate_;
        if (frame >= facts_->framesNow())
            endTrack();
        else
            restartDecodingAt(frame);
    }
    decoderWake_.notify_all();
    output_->wake();
}

void Engine::setVolume(int32_t left, int32_t right) {
    keepVolume(left, right);
    output_->wake();
}

void Engine::volumeSetOnDevice(int32_t left, int32_t right) {
    keepVolume(left, right); // the device has it already
}

void Engine::keepVolume(int32_t left, int32_t right) {
    volumeLeft_ = std::clamp(left, 0, 100);
    volumeRight_ = std::clamp(right, 0, 100);
    gainLeft_ = volumeGain(left);
    gainRight_ = volumeGain(right);
}

Engine::Volume Engine::volume() const {
    return {volumeLeft_, volumeRight_};
}

Engine::Status Engine::status() {
    std::lock_guard lock(mutex_);
    settleEnd();
    if (endHeld_)
        return {PlayState::Stopped, std::max(totalSeconds() - 1, 0)};
    int32_t seconds = static_cast<int32_t>((position_ - unheard()) / rate_);
    // Until the last frame has played, the track's last second is not reached.
    if (facts_)
        seconds = std::min(seconds, totalSeconds() - 2);
    return {state_, std::max(seconds, 0)};
}

void Engine::wave(int32_t* left, int32_t* right) {
    float frames[kFftLength * kOutputChannels];
    if (!latestFrames(frames, left, right, kWaveLength))
        return;
    const float* last = frames + (kFftLength - kWaveLength) * kOutputChannels;
    waveOf(last, 0, left);
    waveOf(last, 1, right);
}

void Engine::spectrum(int32_t* left, int32_t* right) {
    float frames[kFftLength * kOutputChannels];
    const std::optional<HeardWindow> heard = latestFrames(frames, left, right, kSpectrumBins);
    if (!heard)
        return;
    if (heard != spectrumOf_) {
        analyzer_.spectrumOf(frames, 0, spectrum_[0]);
        analyzer_.spectrumOf(frames, 1, spectrum_[1]);
        spectrumOf_ = heard;
    }
    std::copy_n(spectrum_[0], kSpectrumBins, left);
    std::copy_n(spectrum_[1], kSpectrumBins, right);
}

void Engine::sizeHistory(int rate) {
    history_.resize(static_cast<size_t>(rate) * kHistoryQuarterSeconds / 4 + kFftLength);
}

std::optional<Engine::HeardWindow> Engine::latestFrames(float* out, int32_t* left, int32_t* right,
                                                        size_t length) {
    {
        std::lock_guard lock(mutex_);
        settleEnd();
        if (state_ == PlayState::Playing) {
            const int64_t kept = static_cast<int64_t>(history_.frames() - kFftLength);
            int64_t end = position_ - std::min(unheard(), kept);
            end = std::max(end - end % kHeardStep, position_ - kept);
            history_.copyEnding(static_cast<size_t>(position_ - end), kFftLength, out);
            return HeardWindow{epoch_, end};
        }
    }
    std::fill_n(left, length, 0);
    std::fill_n(right, length, 0);
    return std::nullopt;
}

RenderResult Engine::render(float* out, size_t frames, int rate) {
    RenderResult result;
    bool applyVolume = true;
    bool wakeDecoder = false;
    {
        std::lock_guard lock(mutex_);
        result.epoch = epoch_;
        result.rate = rate_;
        applyVolume = !outputAppliesVolume_;
        if (state_ == PlayState::Playing && !drained_ && rate == rate_) {
            result.played = ring_.pop(out, frames);
            position_ += static_cast<int64_t>(result.played);
            atStart_ = atStart_ && result.played == 0;
            history_.append(out, result.played);
            if (result.played < frames) {
                if (decodeDone_) {
                    drained_ = true;
                    settleEnd();
                } else {
                    result.starved = true;
                }
            }
            // The decoder tops the ring up in one go once half of it has been played.
            wakeDecoder = result.starved || (result.played > 0 && ring_.space() >= kRingFrames / 2);
        }
        result.drained = state_ == PlayState::Playing && drained_;
    }
    std::fill(out + result.played * kOutputChannels, out + frames * kOutputChannels, 0.0f);
    const float left = applyVolume ? gainLeft_.load() : 1.0f;
    const float right = applyVolume ? gainRight_.load() : 1.0f;
    for (size_t i = 0; i < result.played && applyVolume; ++i) {
        out[i * kOutputChannels] *= left;
        out[i * kOutputChannels + 1] *= right;
    }
    if (wakeDecoder)
        decoderWake_.notify_one();
    return result;
}

Cues Engine::cues() const {
    std::lock_guard lock(mutex_);
    return {epoch_, state_ == PlayState::Playing, rate_, gainLeft_, gainRight_, mediaName_};
}

int64_t Engine::unheard() const {
    return output_ ? output_->latencyFrames(epoch_) : 0;
}

void Engine::settleEnd() {
    if (state_ == PlayState::Playing && drained_ && (!output_ || output_->heardAll(epoch_)))
        endTrack();
}

void Engine::restartDecodingAt(int64_t frame) {
    ++epoch_;
    ring_.clear();
    seekTo_ = frame;
    decodeDone_ = false;
    drained_ = false;
    position_ = frame;
    atStart_ = frame == 0;
    // What was rendered for the old position will never be heard.
    history_.silence();
}

void Engine::endTrack() {
    ++epoch_; // nothing of the old position is heard after the end
    state_ = PlayState::Stopped;
    endHeld_ = true;
    atStart_ = false;
    drained_ = false;
    ring_.clear();
}

int32_t Engine::totalSeconds() const {
    return facts_ ? secondsEntered(facts_->framesNow(), rate_) : 0;
}

void Engine::decodeLoop(uint64_t id, std::unique_ptr<Source> source,
                        std::function<std::string()> mediaName) {
    // Named, so that a profile or /proc tells the engine's decoding from its host's own work.
    pthread_setname_np(pthread_self(), "vbmp3-decoder");
    std::vector<float> chunk(kChunkFrames * kOutputChannels);
    std::unique_lock lock(mutex_);
    while (id == decoder_) {
        const bool ahead = decodeDone_ || ring_.space() < kChunkFrames;
        if (ahead && mediaName) {
            // Once there is sound to play: the name may wait for the file's tags.
            lock.unlock();
            auto name = std::make_shared<const std::string>(std::exchange(mediaName, {})());
            lock.lock();
            if (id == decoder_) {
                mediaName_ = std::move(name);
                output_->wake();
            }
            continue;
        }
        if (ahead) {
            decoderWake_.wait(lock);
            continue;
        }
        const uint64_t epoch = epoch_;
        std::optional<int64_t> seekTo = std::exchange(seekTo_, std::nullopt);
        lock.unlock();
        bool ok = !seekTo || source->seek(*seekTo);
        size_t got = 0;
        const float* frames = ok ? source->readFrames(chunk.data(), kChunkFrames, got) : nullptr;
        lock.lock();
        if (id != decoder_ || epoch != epoch_)
            continue; // a seek, stop or open came meanwhile: this chunk is stale
        if (got == 0)
            decodeDone_ = true;
        else
            ring_.push(frames, got); // the one copy of the frames on this side
    }
    lock.unlock();
    source.reset(); // closing a file may take a while, or hang: on this thread alone
}

} // namespace vbmp3
