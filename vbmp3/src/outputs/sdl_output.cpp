// The sound device: one SDL2 stream of stereo float at the engine's rate, opened once per engine
// life and fed by SDL's callback thread. SDL converts to whatever the device takes. A device that
// is lost later keeps its callback running at the device's rate, so playback time goes on.
//
// SDL2 is the fallback for systems without a sound server, so it is loaded only when it is tried:
// linked, it and the video and input libraries it needs would sit in every player's memory.
#include "outputs/output_drivers.h"
#include "shared/library_symbol.h"
#include "shared/output_format.h"

#include <SDL.h>
#include <dlfcn.h>

namespace vbmp3 {
namespace {

// The SDL functions this driver calls, from the library loaded at start.
struct SdlLibrary {
    void* handle = nullptr;
    decltype(&SDL_SetHint) setHint = nullptr;
    decltype(&SDL_InitSubSystem) initSubSystem = nullptr;
    decltype(&SDL_QuitSubSystem) quitSubSystem = nullptr;
    decltype(&SDL_OpenAudioDevice) openAudioDevice = nullptr;
    decltype(&SDL_PauseAudioDevice) pauseAudioDevice = nullptr;
    decltype(&SDL_CloseAudioDevice) closeAudioDevice = nullptr;

    bool load() {
        // Kept loaded once opened: SDL's threads may outlive one driver, and a second driver
        // finds it at once.
        handle = dlopen("libSDL2-2.0.so.0", RTLD_NOW | RTLD_LOCAL | RTLD_NODELETE);
        return handle && findSymbol(handle, setHint, "SDL_SetHint") &&
               findSymbol(handle, initSubSystem, "SDL_InitSubSystem") &&
               findSymbol(handle, quitSubSystem, "SDL_QuitSubSystem") &&
               findSymbol(handle, openAudioDevice, "SDL_OpenAudioDevice") &&
               findSymbol(handle, pauseAudioDevice, "SDL_PauseAudioDevice") &&
               findSymbol(handle, closeAudioDevice, "SDL_CloseAudioDevice");
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
        want.freq = kOutputRate;
        want.format = AUDIO_F32SYS;
        want.channels = kOutputChannels;
        want.samples = 1024;
        want.callback = &SdlOutput::callback;
        want.userdata = this;
        SDL_AudioSpec have{};
        device_ = sdl_.openAudioDevice(nullptr, 0, &want, &have, 0);
        if (device_ == 0) {
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
    static void callback(void* self, Uint8* stream, int bytes) {
        auto* out = reinterpret_cast<float*>(stream);
        size_t frames = static_cast<size_t>(bytes) / (sizeof(float) * kOutputChannels);
        static_cast<SdlOutput*>(self)->renderer_->render(out, frames);
    }

    SdlLibrary sdl_;
    Renderer* renderer_ = nullptr;
    SDL_AudioDeviceID device_ = 0;
    bool initialised_ = false;
};

} // namespace

std::unique_ptr<Output> makeSdlOutput() {
    return std::make_unique<SdlOutput>();
}

} // namespace vbmp3
