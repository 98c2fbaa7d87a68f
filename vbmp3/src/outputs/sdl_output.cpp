// The sound device: one SDL2 device of stereo float at the device's own rate, opened once per
// engine life and fed by SDL's callback thread. An SDL audio stream converts each track's rate to
// the device's, as SDL does for any program. A device that is lost later keeps its callback
// running at the device's rate, so playback time goes on.
//
// SDL2 is the fallback for systems without a sound server, so it is loaded only when it is tried:
// linked, it and the video and input libraries it needs would sit in every player's memory.
#include "outputs/output_drivers.h"
#include "shared/library_symbol.h"
#include "shared/output_format.h"

#include <SDL.h>
#include <algorithm>
#include <dlfcn.h>
#include <vector>

namespace vbmp3 {
namespace {

constexpr int kFrameBytes = sizeof(float) * kOutputChannels;
constexpr int kMostRounds = 8;

// The SDL functions this driver calls, from the library loaded at start.
struct SdlLibrary {
    void* handle = nullptr;
    decltype(&SDL_SetHint) setHint = nullptr;
    decltype(&SDL_InitSubSystem) initSubSystem = nullptr;
    decltype(&SDL_QuitSubSystem) quitSubSystem = nullptr;
    decltype(&SDL_OpenAudioDevice) openAudioDevice = nullptr;
    decltype(&SDL_PauseAudioDevice) pauseAudioDevice = nullptr;
    decltype(&SDL_CloseAudioDevice) closeAudioDevice = nullptr;
    decltype(&SDL_NewAudioStream) newStream = nullptr;
    decltype(&SDL_AudioStreamPut) streamPut = nullptr;
    decltype(&SDL_AudioStreamGet) streamGet = nullptr;
    decltype(&SDL_AudioStreamAvailable) streamAvailable = nullptr;
    decltype(&SDL_AudioStreamClear) streamClear = nullptr;
    decltype(&SDL_FreeAudioStream) freeStream = nullptr;

    bool load() {
        // Kept loaded once opened: SDL's threads may outlive one driver, and a second driver
        // finds it at once.
        handle = dlopen("libSDL2-2.0.so.0", RTLD_NOW | RTLD_LOCAL | RTLD_NODELETE);
        return handle && findSymbol(handle, setHint, "SDL_SetHint") &&
               findSymbol(handle, initSubSystem, "SDL_InitSubSystem") &&
               findSymbol(handle, quitSubSystem, "SDL_QuitSubSystem") &&
               findSymbol(handle, openAudioDevice, "SDL_OpenAudioDevice") &&
               findSymbol(handle, pauseAudioDevice, "SDL_PauseAudioDevice") &&
               findSymbol(handle, closeAudioDevice, "SDL_CloseAudioDevice") &&
               findSymbol(handle, newStream, "SDL_NewAudioStream") &&
               findSymbol(handle, streamPut, "SDL_AudioStreamPut") &&
               findSymbol(handle, streamGet, "SDL_AudioStreamGet") &&
               findSymbol(handle, streamAvailable, "SDL_AudioStreamAvailable") &&
               findSymbol(handle, streamClear, "SDL_AudioStreamClear") &&
               findSymbol(handle, freeStream, "SDL_FreeAudioStream");
    }
};

class SdlOutput : public Output {
public:
    bool start(Renderer& renderer) override {
        if (!sdl_.load())
            return false;
        // SDL would turn SIGINT and SIGTERM into quit events that nobody reads, and the program
        // could then not be ended by a signal.
        sdl_.setHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
        if (sdl_.initSubSystem(SDL_INIT_AUDIO) != 0)
            return false;
        initialised_ = true;
        renderer_ = &renderer;
        SDL_AudioSpec want{};
        want.freq = kIdleRate;
        want.format = AUDIO_F32SYS;
        want.channels = kOutputChannels;
        want.samples = 1024;
        want.callback = &SdlOutput::callback;
        want.userdata = this;
        SDL_AudioSpec have{};
        device_ = sdl_.openAudioDevice(nullptr, 0, &want, &have, SDL_AUDIO_ALLOW_FREQUENCY_CHANGE);
        deviceRate_ = have.freq;
        if (device_ == 0 || !convertFrom(renderer.cues().rate)) {
            stop();
            return false;
        }
        sdl_.pauseAudioDevice(device_, 0);
        return true;
    }

    void stop() override {
        if (device_ != 0)
            sdl_.closeAudioDevice(device_); // waits for a running callback to return
        device_ = 0;
        if (stream_)
            sdl_.freeStream(stream_);
        stream_ = nullptr;
        if (initialised_)
            sdl_.quitSubSystem(SDL_INIT_AUDIO);
        initialised_ = false;
    }

    ~SdlOutput() override {
        stop();
        if (sdl_.handle)
            dlclose(sdl_.handle);
    }

private:
    // A stream from the track's rate to the device's.
    bool convertFrom(int rate) {
        if (stream_)
            sdl_.freeStream(stream_);
        stream_ = sdl_.newStream(AUDIO_F32SYS, kOutputChannels, rate, AUDIO_F32SYS, kOutputChannels,
                                 deviceRate_);
        rate_ = rate; // out of memory: silence, and another try at the next callback
        return stream_ != nullptr;
    }

    static void callback(void* self, Uint8* stream, int bytes) {
        static_cast<SdlOutput*>(self)->fill(stream, bytes);
    }

    // Renders at the track's rate until the stream holds what the device asks for. What the
    // stream holds of an older epoch is dropped, and a new rate makes the stream anew.
    void fill(Uint8* out, int bytes) {
        // The converter holds a few frames back, so a round may come short.
        for (int round = 0; round < kMostRounds && (stream_ || convertFrom(rate_)); ++round) {
            const int missing = bytes - sdl_.streamAvailable(stream_);
            if (missing <= 0)
                break;
            const int64_t frames = int64_t{missing} / kFrameBytes * rate_ / deviceRate_ + 1;
            rendered_.resize(static_cast<size_t>(frames) * kOutputChannels);
            const RenderResult result =
                renderer_->render(rendered_.data(), static_cast<size_t>(frames), rate_);
            if (result.epoch != epoch_ && stream_)
                sdl_.streamClear(stream_);
            epoch_ = result.epoch;
            if (result.rate != rate_)
                convertFrom(result.rate);
            else
                sdl_.streamPut(stream_, rendered_.data(), static_cast<int>(frames * kFrameBytes));
        }
        const int got = stream_ ? sdl_.streamGet(stream_, out, bytes) : 0;
        std::fill(out + std::max(got, 0), out + bytes, Uint8{0});
    }

    SdlLibrary sdl_;
    Renderer* renderer_ = nullptr;
    SDL_AudioDeviceID device_ = 0;
    SDL_AudioStream* stream_ = nullptr;
    int deviceRate_ = kIdleRate;
    int rate_ = kIdleRate; // of the track, what the stream converts from
    uint64_t epoch_ = 0;
    std::vector<float> rendered_;
    bool initialised_ = false;
};

} // namespace

std::unique_ptr<Output> makeSdlOutput() {
    return std::make_unique<SdlOutput>();
}

} // namespace vbmp3
