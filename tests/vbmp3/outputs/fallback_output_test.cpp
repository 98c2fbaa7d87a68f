// The fallback output against scripted devices: which device plays, and when the silent clock
// covers for one that is gone. The scripted devices render nothing, so every render the renderer
// sees is the clock's.
#include "outputs/fallback_output.h"
#include "shared/output_format.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;
using vbmp3::DeviceWatch;
using vbmp3::FallbackOutput;

// Counts the clock's renders and when each began; a render may take a while, as the engine's
// does while its lock is held elsewhere.
class CountingRenderer : public vbmp3::Renderer {
public:
    explicit CountingRenderer(std::chrono::milliseconds takes) : takes_(takes) {}

    vbmp3::RenderResult render(float*, size_t, int rate) override {
        ++underWay_;
        {
            std::lock_guard lock(mutex_);
            began_.push_back(Clock::now());
        }
        std::this_thread::sleep_for(takes_);
        --underWay_;
        return {.rate = rate};
    }
    vbmp3::Cues cues() const override { return {}; }

    size_t renders() const {
        std::lock_guard lock(mutex_);
        return began_.size();
    }
    std::optional<Clock::time_point> firstSince(Clock::time_point since) const {
        std::lock_guard lock(mutex_);
        for (Clock::time_point began : began_) {
            if (began >= since)
                return began;
        }
        return std::nullopt;
    }
    int underWay() const { return underWay_; }

private:
    const std::chrono::milliseconds takes_;
    mutable std::mutex mutex_;
    std::vector<Clock::time_point> began_;
    std::atomic<int> underWay_{0};
};

// What a device does at its start, and what it answers; every call is logged by its number.
struct Script {
    bool starts = true;
    std::optional<std::chrono::milliseconds> lostWhileStarting; // as a sound server reports
};

struct DeviceLog {
    std::mutex mutex;
    std::vector<std::string> calls;
    DeviceWatch* watch = nullptr; // of the device that started

    void add(std::string call) {
        std::lock_guard lock(mutex);
        calls.push_back(std::move(call));
    }
};

class ScriptedDevice : public vbmp3::Output {
public:
    ScriptedDevice(int number, Script script, DeviceWatch& watch, DeviceLog& log)
        : name_(std::to_string(number)), script_(script), watch_(watch), log_(log) {}

    bool start(vbmp3::Renderer&) override {
        log_.add(name_ + " start");
        if (script_.lostWhileStarting)
            watch_.deviceLost(*script_.lostWhileStarting);
        if (script_.starts)
            log_.watch = &watch_;
        return script_.starts;
    }
    void stop() override { log_.add(name_ + " stop"); }
    void wake() override { log_.add(name_ + " wake"); }
    int64_t latencyFrames(uint64_t epoch) const override { return static_cast<int64_t>(epoch); }
    bool heardAll(uint64_t epoch) const override { return epoch == 0; }
    bool appliesVolume() const override { return true; }

private:
    const std::string name_;
    const Script script_;
    DeviceWatch& watch_;
    DeviceLog& log_;
};

// What the device reports, on the test's thread as on a device's own, or the output's stop.
enum class Act { None, Lost, Back, Stop };
// What the clock does after an act: renders within a generous bound; renders nothing (none
// under way once the act returns, none begun for a while after); renders, but none begun
// sooner than the step's `after` from the act's beginning.
enum class Clockwise { Renders, Silent, RendersOnlyAfter };

struct Step {
    Act act;
    std::chrono::milliseconds after; // for Lost, and for RendersOnlyAfter
    Clockwise expect;
};

struct Case {
    const char* what;
    std::vector<Script> devices;
    std::vector<Step> steps;
    std::vector<std::string> calls; // the devices' log after the steps
    std::chrono::milliseconds renderTakes = 0ms;
};

constexpr auto kRendersWithin = 5s;
constexpr auto kSilentFor = 200ms;

bool waitForRender(const CountingRenderer& renderer, Clock::time_point since) {
    const auto deadline = Clock::now() + kRendersWithin;
    while (!renderer.firstSince(since) && Clock::now() < deadline)
        std::this_thread::sleep_for(5ms);
    return renderer.firstSince(since).has_value();
}

void check(const CountingRenderer& renderer, const Step& step, Clock::time_point began) {
    switch (step.expect) {
    case Clockwise::Renders:
        EXPECT_TRUE(waitForRender(renderer, Clock::now())) << "the clock covers";
        break;
    case Clockwise::Silent: {
        EXPECT_EQ(renderer.underWay(), 0) << "a render of the clock's is under way";
        const size_t renders = renderer.renders();
        std::this_thread::sleep_for(kSilentFor);
        EXPECT_EQ(renderer.renders(), renders) << "the clock renders on";
        break;
    }
    case Clockwise::RendersOnlyAfter:
        ASSERT_TRUE(waitForRender(renderer, began)) << "the clock covers";
        EXPECT_GE(*renderer.firstSince(began) - began, step.after) << "the clock began early";
        break;
    }
}

void act(FallbackOutput& output, DeviceLog& log, const Step& step) {
    switch (step.act) {
    case Act::None:
        break;
    case Act::Lost:
        log.watch->deviceLost(step.after);
        break;
    case Act::Back:
        log.watch->deviceBack();
        break;
    case Act::Stop:
        output.stop();
        break;
    }
}

TEST(FallbackOutput, TheClockCoversExactlyWhileNoDevicePlays) {
    const Script fails{.starts = false, .lostWhileStarting = std::nullopt};
    const Script plays{};
    const Script lostAtOpen{.starts = true, .lostWhileStarting = 300ms};
    const Script lostAtOpenForLong{.starts = true, .lostWhileStarting = 10s};
    const std::vector<Case> cases{
        {"no device starts: the clock plays at once",
         {fails, fails},
         {{Act::None, 0ms, Clockwise::Renders}, {Act::Stop, 0ms, Clockwise::Silent}},
         {"1 start", "2 start"}},
        {"the first device that starts plays, and the clock is silent",
         {fails, plays, plays},
         {{Act::None, 0ms, Clockwise::Silent}, {Act::Stop, 0ms, Clockwise::Silent}},
         {"1 start", "2 start", "2 stop"}},
        {"device gone: the clock covers; back: it is silent again",
         {plays},
         {{Act::Lost, 0ms, Clockwise::Renders},
          {Act::Back, 0ms, Clockwise::Silent},
          {Act::Lost, 0ms, Clockwise::Renders},
          {Act::Back, 0ms, Clockwise::Silent}},
         {"1 start"}},
        {"device back while a long render is under way: none is once back returns",
         {plays},
         {{Act::Lost, 0ms, Clockwise::Renders}, {Act::Back, 0ms, Clockwise::Silent}},
         {"1 start"},
         40ms},
        {"gone during open: the clock waits for as long as the device was expected within",
         {lostAtOpen},
         {{Act::None, 300ms, Clockwise::RendersOnlyAfter}, {Act::Back, 0ms, Clockwise::Silent}},
         {"1 start"}},
        {"gone during open, back in time: the clock never plays",
         {lostAtOpenForLong},
         {{Act::Back, 0ms, Clockwise::Silent}, {Act::None, 0ms, Clockwise::Silent}},
         {"1 start"}},
        {"a sooner loss brings a clock that has not begun forward",
         {lostAtOpenForLong},
         {{Act::Lost, 0ms, Clockwise::Renders}},
         {"1 start"}},
        {"a clock that plays goes on when told of a later loss",
         {plays},
         {{Act::Lost, 0ms, Clockwise::Renders},
          {Act::Lost, 10s, Clockwise::Renders},
          {Act::Stop, 0ms, Clockwise::Silent}},
         {"1 start", "1 stop"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        CountingRenderer renderer(c.renderTakes);
        DeviceLog log;
        std::vector<FallbackOutput::Driver> drivers;
        for (size_t i = 0; i < c.devices.size(); ++i)
            drivers.emplace_back([&log, number = int(i + 1), script = c.devices[i]](
                                     DeviceWatch& watch) -> std::unique_ptr<vbmp3::Output> {
                return std::make_unique<ScriptedDevice>(number, script, watch, log);
            });
        FallbackOutput output(std::move(drivers));
        Clock::time_point began = Clock::now();
        ASSERT_TRUE(output.start(renderer));
        for (const Step& step : c.steps) {
            if (step.act != Act::None)
                began = Clock::now();
            act(output, log, step);
            check(renderer, step, began);
        }
        EXPECT_EQ(log.calls, c.calls);
    }
}

// What the engine asks of its output reaches the device that plays, and has the clock's answers
// (nothing held, all heard, the volume left to the engine) where none does.
TEST(FallbackOutput, AnswersForTheDeviceThatPlays) {
    for (const bool devicePlays : {true, false}) {
        SCOPED_TRACE(devicePlays ? "a device plays" : "no device starts");
        CountingRenderer renderer(0ms);
        DeviceLog log;
        const Script script{.starts = devicePlays, .lostWhileStarting = std::nullopt};
        FallbackOutput output(
            {[&log, script](DeviceWatch& watch) -> std::unique_ptr<vbmp3::Output> {
                return std::make_unique<ScriptedDevice>(1, script, watch, log);
            }});
        ASSERT_TRUE(output.start(renderer));
        output.wake();
        EXPECT_EQ(output.latencyFrames(7), devicePlays ? 7 : 0);
        EXPECT_EQ(output.heardAll(7), !devicePlays);
        EXPECT_EQ(output.appliesVolume(), devicePlays);
        output.stop();
        output.stop(); // as the engine's end and then the output's own do
        const std::vector<std::string> played{"1 start", "1 wake", "1 stop", "1 stop"};
        EXPECT_EQ(log.calls, devicePlays ? played : std::vector<std::string>{"1 start"});
    }
}

} // namespace
