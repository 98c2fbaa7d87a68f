// A file open in the decoder process, seen as a Source: each read and seek is a call on the
// file's own socket, and the frames come back in the window both processes map.
#pragma once

#include "decoders/source.h"
#include "sandbox/wire.h"

#include <chrono>
#include <cstdint>
#include <memory>

namespace vbmp3 {

class RemoteSource final : public Source {
public:
    // Takes `socket`, the engine's end of the file's socket, served by decoder process number
    // `servedBy`.
    RemoteSource(int socket, std::shared_ptr<wire::FrameWindow> window, StreamFacts facts,
                 uint64_t servedBy);
    ~RemoteSource() override; // the decoder process then closes the file

    RemoteSource(const RemoteSource&) = delete;
    RemoteSource& operator=(const RemoteSource&) = delete;

    const StreamFacts& facts() const override { return facts_; }
    // A file whose decoder process died or overran its time reads as the end.
    size_t read(float* out, size_t frames) override;
    const float* readFrames(float* scratch, size_t frames, size_t& got) override;
    bool seek(int64_t frame) override;

private:
    // The answer to one call, or nullopt once the file's decoder process has gone.
    std::optional<int64_t> call(wire::Call what, int64_t argument);

    int socket_;
    std::shared_ptr<wire::FrameWindow> window_;
    StreamFacts facts_;
    uint64_t servedBy_;
    bool gone_ = false;
};

// Maps a new shared window for a file's frames; nullptr when memory is short. `memfd` is set to
// its descriptor, for the decoder process to map too (the caller closes it).
std::shared_ptr<wire::FrameWindow> newFrameWindow(int& memfd);

} // namespace vbmp3
