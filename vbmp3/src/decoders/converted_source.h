// A decoder that reads its file's own samples (float, at the file's rate and channel count) and
// has them turned into the output format here: both channels of a mono file play it at its own
// level, and libsoxr converts the rate.
#pragma once

#include "decoders/source.h"

#include <vector>

struct soxr;

namespace vbmp3 {

class ConvertedSource : public Source {
public:
    ConvertedSource() = default;
    ~ConvertedSource() override;
    ConvertedSource(const ConvertedSource&) = delete;
    ConvertedSource& operator=(const ConvertedSource&) = delete;

    const StreamFacts& facts() const override { return facts_; }
    size_t read(float* out, size_t frames) override;
    bool seek(int64_t frame) override;

protected:
    // After the file opened: the rate and channels that readNative gives. False for a rate or a
    // channel count that no recording has (a damaged header).
    bool startConversion(int rate, int channels);
    // Up to `frames` frames of the file's own samples at the current position; 0 at the end.
    virtual size_t readNative(float* out, size_t frames) = 0;
    // Positions the file at its own frame `frame`, exactly.
    virtual bool seekNative(int64_t frame) = 0;

    StreamFacts facts_;

private:
    void convert(size_t frames); // native_ into pending_
    void append(const float* stereo, size_t frames);
    void finish();

    soxr* resampler_ = nullptr; // none where the file's rate is the output's
    int rate_ = 0;
    int channels_ = 0;
    std::vector<float> native_, stereo_, resampled_;
    std::vector<float> pending_; // converted frames not yet read
    size_t pendingRead_ = 0;
    int64_t nextFrame_ = 0;    // output frame of the next converted frame
    int64_t discardUntil_ = 0; // a seek's target: earlier frames are dropped
    bool ended_ = false;
};

} // namespace vbmp3
