// The sound output as the engine core sees it. Each driver (SDL2, the silent clock, the tests'
// pull output) fills this one interface; the core never includes a driver's headers.
#pragma once

#include <cstddef>
#include <memory>

namespace vbmp3 {

struct RenderResult {
    size_t played = 0;    // frames of the track written; the rest of the request is silence
    bool starved = false; // playing, but the decoder has not caught up yet
};

// What an output pulls its frames from. render() runs on the output's own thread.
class Renderer {
public:
    virtual ~Renderer() = default;
    // Fills `frames` interleaved stereo float frames at kOutputRate into `out`.
    virtual RenderResult render(float* out, size_t frames) = 0;
};

class Output {
public:
    virtual ~Output() = default;
    // Begins pulling from `renderer`; false if the output cannot run (no device).
    virtual bool start(Renderer& renderer) = 0;
    // After it returns, render() is never called again.
    virtual void stop() = 0;
};

// The drivers, tried in order by the engine; each returns an output that is not yet started.
std::unique_ptr<Output> makeSdlOutput();
std::unique_ptr<Output> makeClockOutput();

namespace testing {
// Makes the next vbmp3_init use `output` instead of the drivers (once; not exported).
void useOutput(std::shared_ptr<Output> output);
} // namespace testing

} // namespace vbmp3
