// A decoder that reads its file's own samples (float, at the file's rate and channel count) and
// has them turned into the output format here: both channels of a mono file play it at its own
// level, and of more channels the front pair plays. The rate stays the file's own.
#pragma once

#include "decoders/source.h"

#include <vector>

namespace vbmp3 {

class ConvertedSource : public Source {
public:
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
    int channels_ = 0;
    std::vector<float> native_;
    bool ended_ = false; // a seek at or past the end
};

} // namespace vbmp3
