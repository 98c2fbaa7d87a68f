// The desktop's sound server as the engine's output: a PulseConnection (see pulse_connection.h)
// that stops in bounded time.
#include "outputs/output_drivers.h"
#include "outputs/pulse_connection.h"
#include "shared/keep_loaded.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <future>
#include <thread>

namespace vbmp3 {
namespace {

// A stop waits this long for the connection to close. Only a libpulse call that blocks (a connect
// that looks up an unreachable server) takes longer; a hanging server does not.
constexpr auto kCloseWithin = std::chrono::milliseconds(1500);

// A sound server is configured, or one has run in this session. Without either the system has
// none, and the next driver gets its turn.
bool serverExpected() {
    if (const char* server = std::getenv("PULSE_SERVER"); server && *server)
        return true;
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    std::error_code error;
    return runtime &&
           std::filesystem::is_directory(std::filesystem::path(runtime) / "pulse", error);
}

class PulseOutput : public Output {
public:
    explicit PulseOutput(DeviceWatch& watch) : watch_(watch) {}

    bool start(Renderer& renderer) override {
        if (!serverExpected())
            return false;
        auto connection = std::make_shared<PulseConnection>(renderer, watch_);
        if (!connection->open())
            return false;
        connection_ = std::move(connection);
        return true;
    }

    void stop() override {
        if (!connection_)
            return;
        connection_->detach();
        std::shared_ptr<PulseConnection> connection = std::move(connection_);
        auto closed = std::make_shared<std::promise<void>>();
        std::future<void> done = closed->get_future();
        std::thread closer([connection, closed] {
            connection->close();
            closed->set_value();
        });
        if (done.wait_for(kCloseWithin) == std::future_status::ready) {
            closer.join();
            return;
        }
        std::fprintf(stderr, "vbmp3: the sound server does not let go; connection abandoned\n");
        keepThisLibraryLoaded();
        closer.detach();
    }

    ~PulseOutput() override { stop(); }

    void wake() override {
        if (connection_)
            connection_->wake();
    }

    int64_t latencyFrames(uint64_t epoch) const override {
        return connection_ ? connection_->latencyFrames(epoch) : 0;
    }

    bool heardAll(uint64_t epoch) const override {
        return !connection_ || connection_->heardAll(epoch);
    }

    bool appliesVolume() const override { return true; }

private:
    DeviceWatch& watch_;
    std::shared_ptr<PulseConnection> connection_;
};

} // namespace

std::unique_ptr<Output> makePulseOutput(DeviceWatch& watch) {
    return std::make_unique<PulseOutput>(watch);
}

} // namespace vbmp3
