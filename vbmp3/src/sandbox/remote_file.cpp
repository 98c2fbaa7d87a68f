// Opening a file and reading its tags, as the engine asks for them: the file is opened here, read
// only, and handed to the decoder process, which parses it.
#include "sandbox/decoder_process.h"
#include "sandbox/remote_source.h"

#include <fcntl.h>
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

// The file, opened read-only; -1 unless it is a regular file with content. Not blocking: reading
// a FIFO or a device would block, and a folder or an empty file holds no music.
int openMusicFile(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    struct stat info {};
    if (fd >= 0 && (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) || info.st_size <= 0)) {
        ::close(fd);
        return -1;
    }
    return fd;
}

} // namespace

std::unique_ptr<Source> openSource(const std::string& path) {
    Descriptors sent; // the file, the decoder's end of the file's socket, the window
    sent.all.push_back(openMusicFile(path));
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
    Descriptors sent{{openMusicFile(path)}};
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

} // namespace vbmp3
