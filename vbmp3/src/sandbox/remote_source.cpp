#include "sandbox/remote_source.h"

#include "sandbox/decoder_process.h"

#include <algorithm>
#include <new>
#include <sys/mman.h>
#include <unistd.h>

namespace vbmp3 {
namespace {

// A read decodes a few thousand frames; a seek may read through a long file without an index.
constexpr std::chrono::milliseconds kCallBudget{10000};

} // namespace

std::shared_ptr<wire::FrameWindow> newFrameWindow(int& memfd) {
    memfd = ::memfd_create("vbmp3-frames", MFD_CLOEXEC);
    void* memory = MAP_FAILED;
    if (memfd >= 0 && ::ftruncate(memfd, sizeof(wire::FrameWindow)) == 0)
        memory = ::mmap(nullptr, sizeof(wire::FrameWindow), PROT_READ | PROT_WRITE, MAP_SHARED,
                        memfd, 0);
    if (memory == MAP_FAILED) {
        if (memfd >= 0)
            ::close(memfd);
        memfd = -1;
        return nullptr;
    }
    return std::shared_ptr<wire::FrameWindow>(new (memory) wire::FrameWindow,
                                              [](wire::FrameWindow* window) {
                                                  window->~FrameWindow();
                                                  ::munmap(window, sizeof *window);
                                              });
}

RemoteSource::RemoteSource(int socket, std::shared_ptr<wire::FrameWindow> window, StreamFacts facts,
                           uint64_t servedBy)
    : socket_(socket), window_(std::move(window)), facts_(std::move(facts)), servedBy_(servedBy) {}

RemoteSource::~RemoteSource() {
    ::close(socket_);
}

std::optional<int64_t> RemoteSource::call(wire::Call what, int64_t argument) {
    if (gone_)
        return std::nullopt;
    wire::Writer request;
    request.number(static_cast<int64_t>(what)).number(argument);
    bool timedOut = false;
    std::optional<wire::Message> answer;
    if (wire::send(socket_, request.bytes()))
        answer = wire::receive(socket_, static_cast<int>(kCallBudget.count()), &timedOut);
    wire::Reader reader(answer ? answer->bytes : std::string_view());
    const int64_t result = reader.number();
    if (answer && reader.whole())
        return result;
    gone_ = true;
    DecoderProcess::ofEngine().replace(servedBy_, timedOut ? "a file's decoding overran its time"
                                                           : "it ended while a file played");
    return std::nullopt;
}

const float* RemoteSource::readFrames(float*, size_t frames, size_t& got) {
    const std::optional<int64_t> read =
        call(wire::Call::Read, static_cast<int64_t>(std::min(frames, wire::kWindowFrames)));
    got = read ? static_cast<size_t>(std::clamp<int64_t>(*read, 0, wire::kWindowFrames)) : 0;
    return window_->frames;
}

size_t RemoteSource::read(float* out, size_t frames) {
    size_t got = 0;
    const float* window = readFrames(out, frames, got);
    std::copy_n(window, got * kOutputChannels, out);
    return got;
}

bool RemoteSource::seek(int64_t frame) {
    const std::optional<int64_t> done = call(wire::Call::Seek, frame);
    return done && *done != 0;
}

} // namespace vbmp3
