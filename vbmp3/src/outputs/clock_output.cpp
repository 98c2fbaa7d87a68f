// The output used when no sound device plays: it consumes frames in real time at the track's rate
// and drops them, so state, elapsed time and the visual data behave as if a device played them.
//
// It renders what is due in pieces of a fixed size. After a stall (the process stopped, the
// machine suspended) it does not render the whole stall: what is owed beyond a short span is
// skipped, as a device that stalled would not play it either.
#include "outputs/output_drivers.h"
#include "shared/output_format.h"

#include <algorithm>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>

namespace vbmp3 {
namespace {

using Clock = std::chrono::steady_clock;

constexpr auto kTick = std::chrono::milliseconds(10);
constexpr int kPiecesPerSecond = 20; // 50 ms each
// A second behind is caught up, more skipped.
constexpr auto kMostOwed = std::chrono::seconds(1);

int64_t framesIn(Clock::duration span, int rate) {
    return std::chrono::duration_cast<std::chrono::microseconds>(span).count() * rate / 1000000;
}

class ClockOutput : public Output {
public:
    explicit ClockOutput(std::chrono::milliseconds after) : after_(after) {}

    bool start(Renderer& renderer) override {
        quit_ = false;
        thread_ = std::thread([this, &renderer] { run(renderer); });
        return true;
    }

    void stop() override {
        {
            std::lock_guard lock(mutex_);
            quit_ = true;
        }
        wake_.notify_all();
        if (thread_.joinable())
            thread_.join();
    }

    ~ClockOutput() override { stop(); }

private:
    void run(Renderer& renderer) {
        std::vector<float> piece;
        std::unique_lock lock(mutex_);
        if (wake_.wait_for(lock, after_, [this] { return quit_; }))
            return;
        int rate = renderer.cues().rate;
        auto begin = Clock::now();
        int64_t rendered = 0;
        while (!wake_.wait_for(lock, kTick, [this] { return quit_; })) {
            const int64_t due = framesIn(Clock::now() - begin, rate);
            rendered = std::max(rendered, due - framesIn(kMostOwed, rate));
            while (rendered < due && !quit_) {
                const int64_t frames = std::min<int64_t>(due - rendered, rate / kPiecesPerSecond);
                piece.resize(static_cast<size_t>(frames) * kOutputChannels);
                lock.unlock();
                const RenderResult result =
                    renderer.render(piece.data(), static_cast<size_t>(frames), rate);
                lock.lock();
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

    const std::chrono::milliseconds after_;
    std::mutex mutex_;
    std::condition_variable wake_;
    bool quit_ = false;
    std::thread thread_;
};

} // namespace

std::unique_ptr<Output> makeClockOutput(std::chrono::milliseconds after) {
    return std::make_unique<ClockOutput>(after);
}

} // namespace vbmp3
