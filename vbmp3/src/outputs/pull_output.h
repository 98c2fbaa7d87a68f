// An output without a device for tests and benchmarks: frames leave only when pulled, as fast as
// the caller likes, so a test decides exactly how much has been played.
#pragma once

#include "outputs/output.h"
#include "shared/output_format.h"

#include <cstddef>
#include <mutex>
#include <vector>

namespace vbmp3 {

class PullOutput : public Output {
public:
    bool start(Renderer& renderer) override;
    void stop() override;

    // Plays `frames` frames and returns them (interleaved stereo). While the engine plays it waits
    // for the decoder rather than inserting silence, so the result does not depend on timing;
    // what is not playing comes back as silence, as a device would play it. It runs at the rate
    // the track wants, as a sound server's stream would.
    std::vector<float> pull(size_t frames);
    // The rate of the frames pulled last.
    int rate() const;

private:
    mutable std::mutex mutex_;
    Renderer* renderer_ = nullptr;
    int rate_ = kIdleRate;
};

} // namespace vbmp3
