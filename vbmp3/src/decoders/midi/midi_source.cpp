#include "decoders/midi/midi_source.h"
#include "decoders/midi/midi_file.h"
#include "decoders/midi/midi_synth.h"
#include "decoders/midi/peak_limiter.h"
#include "decoders/midi/soundfont.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <iterator>

namespace vbmp3 {

namespace {

// FluidSynth renders in blocks of this many frames; rendering whole blocks keeps nothing of an
// old position inside the synthesizer after a seek.
constexpr int kBlockFrames = 64;
// After the last event, voices that have faded under -80 dBFS for 20 ms are taken as ended:
// FluidSynth keeps some alive far below hearing for seconds.
constexpr float kTailSilence = 1e-4f;
constexpr int kQuietBlocksToEnd = kMidiRate / 50 / kBlockFrames;

int64_t frameAt(const TempoMap& tempo, int64_t tick) {
    return std::llround(tempo.seconds(tick) * kMidiRate);
}

bool isNoteMessage(uint8_t status) {
    const uint8_t kind = status & 0xF0;
    return kind == 0x80 || kind == 0x90 || kind == 0xA0;
}

class MidiSource final : public Source {
public:
    MidiSource(MidiFile file, std::shared_ptr<MidiSynth> synth)
        : file_(std::move(file)), synth_(std::move(synth)) {
        eventFrames_.reserve(file_.events.size());
        for (const MidiEvent& event : file_.events)
            eventFrames_.push_back(frameAt(file_.tempo, event.tick));
        facts_.formatName = "Standard MIDI File";
        facts_.codecName = "General MIDI (FluidSynth)";
        facts_.fileKind = kKindMidi;
        facts_.sampleRate = kMidiRate;
        facts_.channels = kOutputChannels;
        facts_.trackCount = file_.trackCount;
        facts_.hasTag =
            !file_.firstTrackName.empty() || !file_.firstText.empty() || !file_.copyright.empty();
        facts_.totalFrames = frameAt(file_.tempo, file_.endTick);
        tailEnd_ = facts_.totalFrames + static_cast<int64_t>(kMaxTailSeconds * kMidiRate);
    }

    ~MidiSource() override {
        std::lock_guard lock(synth_->mutex);
        if (synth_->holder == this) {
            silenceAndReset(*synth_); // nothing of this file goes on sounding
            synth_->holder = nullptr;
        }
    }

    const StreamFacts& facts() const override { return facts_; }

    size_t read(float* out, size_t frames) override {
        std::lock_guard lock(synth_->mutex);
        if (synth_->holder != this)
            restoreStateAt(renderFrame_);
        size_t written = 0;
        while (written < frames) {
            if (blockPos_ == blockLength_ && !renderBlock())
                break;
            const size_t count = std::min<size_t>(frames - written, blockLength_ - blockPos_);
            std::memcpy(out + written * kOutputChannels, block_ + blockPos_ * kOutputChannels,
                        count * kOutputChannels * sizeof(float));
            blockPos_ += static_cast<int>(count);
            written += count;
        }
        return written;
    }

    bool seek(int64_t frame) override {
        std::lock_guard lock(synth_->mutex);
        frame = std::max<int64_t>(frame, 0);
        blockPos_ = blockLength_ = 0;
        restoreStateAt(std::min(frame, facts_.totalFrames));
        ended_ = frame >= facts_.totalFrames;
        return true;
    }

private:
    // Silences the synthesizer and gives it this file's channel state as it stands at `frame`
    // (programs, controllers, pitch bends, system exclusive setup; no notes), so that rendering
    // continues from exactly there. Caller holds the synthesizer's lock.
    void restoreStateAt(int64_t frame) {
        silenceAndReset(*synth_);
        synth_->holder = this;
        nextEvent_ = 0;
        while (nextEvent_ < file_.events.size() && eventFrames_[nextEvent_] < frame) {
            const MidiEvent& event = file_.events[nextEvent_++];
            if (!isNoteMessage(event.status))
                send(event);
        }
        renderFrame_ = frame;
        ended_ = false;
        quietBlocks_ = 0;
        limiter_.reset();
    }

    void send(const MidiEvent& event) {
        const FluidSynthLibrary& fluid = synth_->fluid;
        fluid_synth_t* synth = synth_->synth;
        const int channel = event.status & 0x0F;
        switch (event.status & 0xF0) {
        case 0x80:
            fluid.noteOff(synth, channel, event.data1);
            break;
        case 0x90:
            fluid.noteOn(synth, channel, event.data1, event.data2);
            break;
        case 0xA0:
            fluid.keyPressure(synth, channel, event.data1, event.data2);
            break;
        case 0xB0:
            fluid.cc(synth, channel, event.data1, event.data2);
            break;
        case 0xC0:
            fluid.programChange(synth, channel, event.data1);
            break;
        case 0xD0:
            fluid.channelPressure(synth, channel, event.data1);
            break;
        case 0xE0:
            fluid.pitchBend(synth, channel, event.data2 << 7 | event.data1);
            break;
        default: {
            const std::string& data = file_.sysexData[event.sysex];
            fluid.sysex(synth, data.data(), static_cast<int>(data.size()), nullptr, nullptr,
                        nullptr, 0);
            break;
        }
        }
    }

    // Renders the next block into block_, starting its events at the block's start; false at
    // the end of the stream. Caller holds the synthesizer's lock.
    bool renderBlock() {
        const int64_t total = facts_.totalFrames;
        const bool eventsDone = nextEvent_ == file_.events.size();
        if (ended_ || (renderFrame_ >= total && eventsDone &&
                       (synth_->fluid.activeVoiceCount(synth_->synth) == 0 ||
                        quietBlocks_ >= kQuietBlocksToEnd || renderFrame_ >= tailEnd_))) {
            ended_ = true;
            return false;
        }
        while (nextEvent_ < file_.events.size() &&
               eventFrames_[nextEvent_] < renderFrame_ + kBlockFrames)
            send(file_.events[nextEvent_++]);
        synth_->fluid.writeFloat(synth_->synth, kBlockFrames, block_, 0, kOutputChannels, block_, 1,
                                 kOutputChannels);
        limiter_.process(block_, kBlockFrames * kOutputChannels);
        blockPos_ = 0;
        blockLength_ = kBlockFrames;
        const float peak =
            *std::max_element(std::begin(block_), std::end(block_),
                              [](float a, float b) { return std::abs(a) < std::abs(b); });
        quietBlocks_ = std::abs(peak) < kTailSilence ? quietBlocks_ + 1 : 0;
        // The block that reaches the end stops there unless notes still ring out.
        if (renderFrame_ < total && renderFrame_ + kBlockFrames >= total &&
            nextEvent_ == file_.events.size() && synth_->fluid.activeVoiceCount(synth_->synth) == 0)
            blockLength_ = static_cast<int>(total - renderFrame_);
        renderFrame_ += kBlockFrames;
        return blockLength_ > 0;
    }

    MidiFile file_;
    std::shared_ptr<MidiSynth> synth_;
    StreamFacts facts_;
    std::vector<int64_t> eventFrames_; // parallel to file_.events
    int64_t tailEnd_ = 0;

    // Decoder-thread state.
    size_t nextEvent_ = 0;
    int64_t renderFrame_ = 0; // the frame at which the next block starts
    bool ended_ = false;
    int quietBlocks_ = 0; // blocks in a row under kTailSilence
    PeakLimiter limiter_;
    float block_[kBlockFrames * kOutputChannels] = {};
    int blockPos_ = 0;
    int blockLength_ = 0;
};

std::unique_ptr<Source> playable(std::optional<MidiFile> file, std::shared_ptr<MidiSynth> synth) {
    if (!file || !synth)
        return nullptr;
    return std::make_unique<MidiSource>(std::move(*file), std::move(synth));
}

} // namespace

std::unique_ptr<Source> openMidiSourceWith(const std::string& path,
                                           std::shared_ptr<MidiSynth> synth) {
    return playable(loadMidiFile(path), std::move(synth));
}

std::unique_ptr<Source> openMidiSource(const std::string& path) {
    std::optional<MidiFile> file = loadMidiFile(path);
    // Only a file that parses waits for the SoundFont.
    return file ? playable(std::move(file), engineMidiSynth()) : nullptr;
}

} // namespace vbmp3
