#include "outputs/pull_output.h"

#include "shared/output_format.h"

#include <chrono>
#include <thread>

namespace vbmp3 {

bool PullOutput::start(Renderer& renderer) {
    std::lock_guard lock(mutex_);
    renderer_ = &renderer;
    return true;
}

void PullOutput::stop() {
    std::lock_guard lock(mutex_);
    renderer_ = nullptr;
}

std::vector<float> PullOutput::pull(size_t frames) {
    std::vector<float> out(frames * kOutputChannels, 0.0f);
    std::lock_guard lock(mutex_);
    if (!renderer_)
        return out;
    // A decoder that makes no progress for this long is stuck; give up rather than hang a test.
    constexpr auto patience = std::chrono::seconds(10);
    auto lastProgress = std::chrono::steady_clock::now();
    for (size_t done = 0; done < frames;) {
        RenderResult r =
            renderer_->render(out.data() + done * kOutputChannels, frames - done, rate_);
        if (r.rate != rate_) {
            rate_ = r.rate; // the stream is made anew at the track's rate
            continue;
        }
        done += r.played;
        if (r.played > 0)
            lastProgress = std::chrono::steady_clock::now();
        if (!r.starved) {
            if (r.played == 0)
                break; // not playing: the rest stays silent
            continue;
        }
        if (std::chrono::steady_clock::now() - lastProgress > patience)
            break;
        std::this_thread::sleep_for(std::chrono::microseconds(200));
    }
    return out;
}

int PullOutput::rate() const {
    std::lock_guard lock(mutex_);
    return rate_;
}

} // namespace vbmp3
