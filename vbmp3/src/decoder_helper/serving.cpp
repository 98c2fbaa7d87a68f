#include "decoder_helper/serving.h"

#include "decoders/source.h"
#include "sandbox/wire.h"
#include "shared/own_load.h"
#include "shared/readable_file.h"
#include "tags/pictures.h"
#include "tags/tags.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <memory>
#include <mutex>
#include <pthread.h>
#include <sys/mman.h>
#include <thread>
#include <unistd.h>

namespace vbmp3 {
namespace {

// How often an open file's idle thread looks whether a background scan has found the length.
constexpr int kLengthLookMs = 100;
// How often a call's watcher looks whether a part of the engine's own is loading.
constexpr std::chrono::milliseconds kOwnLoadLook{2};

void closeAll(const std::vector<int>& descriptors) {
    for (const int fd : descriptors)
        ::close(fd);
}

// The window the engine made for a file's frames; nullptr if it cannot be mapped.
std::shared_ptr<wire::FrameWindow> mapWindow(int memfd) {
    void* memory =
        ::mmap(nullptr, sizeof(wire::FrameWindow), PROT_READ | PROT_WRITE, MAP_SHARED, memfd, 0);
    if (memory == MAP_FAILED)
        return nullptr;
    return std::shared_ptr<wire::FrameWindow>(
        static_cast<wire::FrameWindow*>(memory),
        [](wire::FrameWindow* window) { ::munmap(window, sizeof *window); });
}

// One open file: its reads and seeks until the engine closes its socket.
void serveFile(int socket, std::unique_ptr<Source> source,
               std::shared_ptr<wire::FrameWindow> window) {
    pthread_setname_np(pthread_self(), "vbmp3-file");
    const std::shared_ptr<const LaterLength> later = source->facts().laterLength;
    const auto publishLength = [&] {
        if (later)
            window->later.frames = later->frames.load();
    };
    for (;;) {
        const bool lengthPending = later && later->frames.load() < 0;
        bool timedOut = false;
        const std::optional<wire::Message> message =
            wire::receive(socket, lengthPending ? kLengthLookMs : -1, &timedOut);
        publishLength();
        if (!message && timedOut)
            continue;
        if (!message)
            break;
        closeAll(message->descriptors);
        wire::Reader request(message->bytes);
        const auto call = static_cast<wire::Call>(request.number());
        const int64_t argument = request.number();
        int64_t result = 0;
        if (call == wire::Call::Read)
            result = static_cast<int64_t>(source->read(
                window->frames, std::min(static_cast<size_t>(std::max<int64_t>(argument, 0)),
                                         wire::kWindowFrames)));
        else if (call == wire::Call::Seek)
            result = source->seek(argument) ? 1 : 0;
        publishLength();
        if (!wire::send(socket, wire::Writer().number(result).bytes()))
            break;
    }
    source.reset();
    ::close(socket);
}

// Opens the file of descriptors {file, file's socket, frame window}; answers whether it opened,
// and its facts.
std::string openFile(const std::vector<int>& descriptors) {
    wire::Writer answer;
    if (descriptors.size() != 3) {
        closeAll(descriptors);
        return answer.number(0).bytes();
    }
    std::unique_ptr<Source> source = openSource(descriptorPath(descriptors[0]));
    ::close(descriptors[0]); // the decoder holds copies of its own
    std::shared_ptr<wire::FrameWindow> window = mapWindow(descriptors[2]);
    ::close(descriptors[2]);
    if (!source || !window) {
        ::close(descriptors[1]);
        return answer.number(0).bytes();
    }
    answer.number(1);
    wire::putFacts(answer, source->facts());
    std::thread(serveFile, descriptors[1], std::move(source), std::move(window)).detach();
    return answer.bytes();
}

// Reads the tags of the file of descriptors {file}; answers whether it could, and the tags.
std::string readFileTags(const std::vector<int>& descriptors) {
    wire::Writer answer;
    Tags tags;
    const bool read = descriptors.size() == 1 && readTags(descriptorPath(descriptors[0]), tags);
    closeAll(descriptors);
    answer.number(read ? 1 : 0);
    wire::putTags(answer, tags);
    return answer.bytes();
}

// Reads the picture of the file of descriptors {file, picture window} into the window (a memfd the
// engine made kMaxPictureBytes long); answers whether it did, and the picture's size.
std::string readFilePicture(const std::vector<int>& descriptors) {
    wire::Writer answer;
    const std::string picture =
        descriptors.size() == 2 ? readPicture(descriptorPath(descriptors[0])) : std::string();
    void* window = picture.empty() || picture.size() > kMaxPictureBytes
                       ? MAP_FAILED
                       : ::mmap(nullptr, picture.size(), PROT_WRITE, MAP_SHARED, descriptors[1], 0);
    closeAll(descriptors);
    if (window == MAP_FAILED)
        return answer.number(0).bytes();
    std::memcpy(window, picture.data(), picture.size());
    ::munmap(window, picture.size());
    return answer.number(1).number(static_cast<int64_t>(picture.size())).bytes();
}

} // namespace

void sayingOwnLoads(int socket, const std::function<void()>& work) {
    std::mutex mutex;
    std::condition_variable doneChanged;
    bool done = false;
    std::thread watcher([&] {
        bool said = false;
        std::unique_lock lock(mutex);
        for (bool last = false; !last;) {
            last = doneChanged.wait_for(lock, kOwnLoadLook, [&] { return done; });
            const bool underway = !last && OwnLoad::isUnderway();
            if (underway != said) {
                said = underway;
                const auto what = underway ? wire::Interim::Loading : wire::Interim::Loaded;
                wire::send(socket, wire::Writer().number(static_cast<int64_t>(what)).bytes());
            }
        }
    });
    work();
    {
        std::lock_guard lock(mutex);
        done = true;
    }
    doneChanged.notify_one();
    watcher.join();
}

void serveCalls(int socket) {
    while (const std::optional<wire::Message> message = wire::receive(socket, -1)) {
        wire::Reader request(message->bytes);
        const auto call = static_cast<wire::Call>(request.number());
        std::string answer;
        sayingOwnLoads(socket, [&] {
            if (call == wire::Call::Open)
                answer = openFile(message->descriptors);
            else if (call == wire::Call::Tags)
                answer = readFileTags(message->descriptors);
            else if (call == wire::Call::Picture)
                answer = readFilePicture(message->descriptors);
            else
                closeAll(message->descriptors);
        });
        if (!wire::send(socket, answer))
            return;
    }
}

} // namespace vbmp3
