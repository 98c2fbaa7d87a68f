// Opening a file and reading its tags and picture, as the engine asks for them: the file is opened
// here, read only, and handed to the decoder process, which parses it.
#include "sandbox/decoder_process.h"
#include "sandbox/remote_source.h"
#include "shared/readable_file.h"
#include "tags/pictures.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vbmp3 {
namespace {

// A file's open reads its start and, for some kinds, scans it.
constexpr std::chrono::milliseconds kOpenBudget{5000};

// Closes the descriptors it holds when it goes.
struct Descriptors {
    std::vector<int> all;
    ~Descriptors() {
        for (const int fd : all)
            if (fd >= 0)
                ::close(fd);
    }
};

} // namespace

std::unique_ptr<Source> openSource(const std::string& path) {
    Descriptors sent; // the file, the decoder's end of the file's socket, the window
    sent.all.push_back(openRegularNonEmpty(path));
    if (sent.all[0] < 0)
        return nullptr;
    int sockets[2];
    if (::socketpair(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0, sockets) != 0)
        return nullptr;
    Descriptors kept{{sockets[0]}};
    sent.all.push_back(sockets[1]);
    int memfd = -1;
    std::shared_ptr<wire::FrameWindow> window = newFrameWindow(memfd);
    sent.all.push_back(memfd);
    if (!window)
        return nullptr;
    wire::Writer request;
    request.number(static_cast<int64_t>(wire::Call::Open));
    const std::optional<DecoderProcess::Answer> answer =
        DecoderProcess::ofEngine().call(request.bytes(), sent.all, kOpenBudget);
    if (!answer)
        return nullptr;
    wire::Reader reader(answer->message.bytes);
    const bool opened = reader.number() != 0;
    StreamFacts facts = wire::takeFacts(reader);
    if (!opened || !reader.whole() || facts.sampleRate <= 0)
        return nullptr;
    facts.laterLength = std::shared_ptr<const LaterLength>(window, &window->later);
    kept.all.clear(); // the source's now
    return std::make_unique<RemoteSource>(sockets[0], std::move(window), std::move(facts),
                                          answer->servedBy);
}

bool readTags(const std::string& path, Tags& out) {
    out = Tags{};
    Descriptors sent{{openRegularNonEmpty(path)}};
    if (sent.all[0] < 0)
        return false;
    wire::Writer request;
    request.number(static_cast<int64_t>(wire::Call::Tags));
    const std::optional<DecoderProcess::Answer> answer =
        DecoderProcess::ofEngine().call(request.bytes(), sent.all, kOpenBudget);
    if (!answer)
        return false;
    wire::Reader reader(answer->message.bytes);
    const bool read = reader.number() != 0;
    Tags tags = wire::takeTags(reader);
    if (!read || !reader.whole())
        return false;
    out = std::move(tags);
    return true;
}

std::string readPicture(const std::string& path) {
    // The decoder process writes the picture into memory both map: no message holds 16 MiB. The
    // window takes memory only where it is written.
    Descriptors sent{{openRegularNonEmpty(path), ::memfd_create("vbmp3-picture", MFD_CLOEXEC)}};
    if (sent.all[0] < 0 || sent.all[1] < 0 ||
        ::ftruncate(sent.all[1], static_cast<off_t>(kMaxPictureBytes)) != 0)
        return {};
    wire::Writer request;
    request.number(static_cast<int64_t>(wire::Call::Picture));
    const std::optional<DecoderProcess::Answer> answer =
        DecoderProcess::ofEngine().call(request.bytes(), sent.all, kOpenBudget);
    if (!answer)
        return {};
    wire::Reader reader(answer->message.bytes);
    const bool read = reader.number() != 0;
    const int64_t size = reader.number();
    if (!read || !reader.whole() || size <= 0 || size > static_cast<int64_t>(kMaxPictureBytes))
        return {};
    const auto bytes = static_cast<size_t>(size);
    void* window = ::mmap(nullptr, bytes, PROT_READ, MAP_SHARED, sent.all[1], 0);
    if (window == MAP_FAILED)
        return {};
    std::string picture(static_cast<const char*>(window), bytes); // the one copy
    ::munmap(window, bytes);
    return picture;
}

} // namespace vbmp3
