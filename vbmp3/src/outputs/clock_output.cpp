#include "outputs/clock_output.h"

#include "shared/output_format.h"

#include <algorithm>

namespace vbmp3 {
namespace {

constexpr auto kTick = std::chrono::milliseconds(10);
constexpr int kPiecesPerSecond = 20; // 50 ms each
// A second behind is caught up, more skipped.
constexpr auto kMostOwed = std::chrono::seconds(1);

int64_t framesIn(std::chrono::steady_clock::duration span, int rate) {
    return std::chrono::duration_cast<std::chrono::microseconds>(span).count() * rate / 1000000;
}

} // namespace

bool ClockOutput::start(Renderer& renderer) {
    {
        std::lock_guard lock(mutex_);
        quit_ = false;
        if (after_)
            begins_ = Clock::now() + *after_;
    }
    thread_ = std::thread([this, &renderer] { loop(renderer); });
    return true;
}

void ClockOutput::stop() {
    {
        std::lock_guard lock(mutex_);
        quit_ = true;
    }
    changed_.notify_all();
    if (thread_.joinable())
        thread_.join();
}

void ClockOutput::runWithin(std::chrono::milliseconds after) {
    {
        std::lock_guard lock(mutex_);
        const Clock::time_point begins = Clock::now() + after;
        if (begins_ && *begins_ <= begins)
            return;
        begins_ = begins;
    }
    changed_.notify_all();
}

void ClockOutput::halt() {
    std::unique_lock lock(mutex_);
    begins_.reset();
    changed_.notify_all();
    changed_.wait(lock, [this] { return !rendering_; });
}

void ClockOutput::loop(Renderer& renderer) {
    std::unique_lock lock(mutex_);
    while (!quit_) {
        if (!begins_)
            changed_.wait(lock);
        else if (Clock::now() < *begins_)
            changed_.wait_until(lock, *begins_);
        else
            run(renderer, lock);
    }
}

template <typename Call> auto ClockOutput::unlocked(std::unique_lock<std::mutex>& lock, Call call) {
    rendering_ = true;
    lock.unlock();
    auto result = call();
    lock.lock();
    rendering_ = false;
    changed_.notify_all();
    return result;
}

// Renders what is due from now on, until halted or stopped.
void ClockOutput::run(Renderer& renderer, std::unique_lock<std::mutex>& lock) {
    int rate = unlocked(lock, [&renderer] { return renderer.cues().rate; });
    auto begin = Clock::now();
    int64_t rendered = 0;
    while (!changed_.wait_for(lock, kTick, [this] { return !running(); })) {
        const int64_t due = framesIn(Clock::now() - begin, rate);
        rendered = std::max(rendered, due - framesIn(kMostOwed, rate));
        while (rendered < due && running()) {
            const int64_t frames = std::min<int64_t>(due - rendered, rate / kPiecesPerSecond);
            piece_.resize(static_cast<size_t>(frames) * kOutputChannels);
            const RenderResult result = unlocked(lock, [&] {
                return renderer.render(piece_.data(), static_cast<size_t>(frames), rate);
            });
            rendered += frames;
            if (result.rate != rate) {
                // Time goes on at the new track's rate from here.
                rate = result.rate;
                begin = Clock::now();
                rendered = 0;
                break;
            }
        }
    }
}

bool ClockOutput::running() const {
    return !quit_ && begins_ && *begins_ <= Clock::now();
}

} // namespace vbmp3
