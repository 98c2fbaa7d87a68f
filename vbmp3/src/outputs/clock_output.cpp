// The output used when no sound device opens: it consumes frames at the real-time rate and
// drops them, so state, elapsed time and the visual data behave as if a device played them.
#include "outputs/output.h"
#include "shared/output_format.h"

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>

namespace vbmp3 {
namespace {

class ClockOutput : public Output {
public:
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
        using clock = std::chrono::steady_clock;
        constexpr auto tick = std::chrono::milliseconds(10);
        std::vector<float> scratch;
        const auto begin = clock::now();
        int64_t rendered = 0;
        std::unique_lock lock(mutex_);
        while (!wake_.wait_for(lock, tick, [this] { return quit_; })) {
            auto elapsed =
                std::chrono::duration_cast<std::chrono::microseconds>(clock::now() - begin);
            int64_t due = elapsed.count() * kOutputRate / 1000000 - rendered;
            if (due <= 0)
                continue;
            scratch.resize(static_cast<size_t>(due) * kOutputChannels);
            lock.unlock();
            renderer.render(scratch.data(), static_cast<size_t>(due));
            lock.lock();
            rendered += due;
        }
    }

    std::mutex mutex_;
    std::condition_variable wake_;
    bool quit_ = false;
    std::thread thread_;
};

} // namespace

std::unique_ptr<Output> makeClockOutput() {
    return std::make_unique<ClockOutput>();
}

} // namespace vbmp3
