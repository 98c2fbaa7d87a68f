// The sound device: one SDL2 stream of stereo float at the engine's rate, opened once per engine
// life and fed by SDL's callback thread. SDL converts to whatever the device takes. A device that
// is lost later keeps its callback running at the device's rate, so playback time goes on.
#include "decoders/source.h"
#include "outputs/output.h"

#include <SDL.h>

namespace vbmp3 {
namespace {

class SdlOutput : public Output {
public:
    bool start(Renderer& renderer) override {
        // SDL would turn SIGINT and SIGTERM into quit events that nobody reads, and the program
        // could then not be ended by a signal.
        SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
        if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0)
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
        device_ = SDL_OpenAudioDevice(nullptr, 0, &want, &have, 0);
        if (device_ == 0) {
            stop();
            return false;
        }
        SDL_PauseAudioDevice(device_, 0);
        return true;
    }

    void stop() override {
        if (device_ != 0)
            SDL_CloseAudioDevice(device_); // waits for a running callback to return
        device_ = 0;
        if (initialised_)
            SDL_QuitSubSystem(SDL_INIT_AUDIO);
        initialised_ = false;
    }

    ~SdlOutput() override { stop(); }

private:
    static void callback(void* self, Uint8* stream, int bytes) {
        auto* out = reinterpret_cast<float*>(stream);
        size_t frames = static_cast<size_t>(bytes) / (sizeof(float) * kOutputChannels);
        static_cast<SdlOutput*>(self)->renderer_->render(out, frames);
    }

    Renderer* renderer_ = nullptr;
    SDL_AudioDeviceID device_ = 0;
    bool initialised_ = false;
};

} // namespace

std::unique_ptr<Output> makeSdlOutput() {
    return std::make_unique<SdlOutput>();
}

} // namespace vbmp3
