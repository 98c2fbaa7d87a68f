// The exported C functions: one engine per process, behind one lock so that vbmp3_free cannot
// pull the engine away from a call in progress on another thread. The calls that read a named file
// wait for it without that lock, and one at a time.
#include "api/boundary_text.h"
#include "api/file_reader.h"
#include "api/media_name.h"
#include "core/engine.h"
#include "outputs/output_drivers.h"
#include "sandbox/decoder_process.h"
#include "shared/keep_loaded.h"
#include "tags/pictures.h"
#include "tags/tags.h"
#include "vbmp3.h"

#include <chrono>
#include <cstdio>
#include <cstring>
#include <exception>
#include <memory>
#include <mutex>
#include <optional>
#include <utility>

namespace {

struct Current {
    std::unique_ptr<vbmp3::Engine> engine;
    std::unique_ptr<vbmp3::FileReader> files;
    std::optional<vbmp3::ReadFile> lastOpened;
    int32_t fileSizeKiB = 0;
};

static_assert(vbmp3::kMaxPictureBytes == VBMP3_PICTURE_LIMIT);

// How long a call waits for the file it names while its reading is stalled (asleep on a read), and
// in all while it runs slowly (a busy machine, a hostile file): a file that is still opening then
// fails as one that cannot be opened, and the window's ticks go on.
constexpr std::chrono::milliseconds kFileWithin{50};
constexpr std::chrono::milliseconds kFileAtMost{1000};
// A picture may take up to 16 MiB of its file; only the bus's art waits for it, once per track.
constexpr std::chrono::milliseconds kPictureWithin{500};
// vbmp3_free waits this long for the decoder threads, and then as long for the file reader's, to
// let go of their files (beyond what the output takes).
constexpr std::chrono::milliseconds kThreadsEndWithin{500};

std::mutex apiMutex;
// Held by the calls that read a named file, for their whole wait, and by vbmp3_free: taken first.
std::mutex fileCallMutex;
Current current;

int32_t kibibytes(uint64_t bytes) {
    return static_cast<int32_t>((bytes + 1023) / 1024);
}

// Runs `action` on the engine under the lock; 0 before vbmp3_init and after vbmp3_free.
template <typename Action> int32_t withEngine(Action action) {
    std::lock_guard lock(apiMutex);
    if (!current.engine)
        return 0;
    return action(*current.engine);
}

// The file reader and the last file opened; no reader before vbmp3_init and after vbmp3_free.
std::pair<vbmp3::FileReader*, std::optional<vbmp3::ReadFile>> fileState() {
    std::lock_guard lock(apiMutex);
    return {current.files.get(), current.lastOpened};
}

} // namespace

extern "C" {

int32_t vbmp3_init(void) {
    std::lock_guard lock(apiMutex);
    if (current.engine)
        return 1;
    // No exception crosses the C interface: an engine that cannot start (no memory for its
    // buffers or its transform, no thread) leaves the library as it was before. The decoder
    // process starts ahead of the first file's open; it loads the SoundFont when the first MIDI
    // file opens: most sessions never play one.
    try {
        vbmp3::DecoderProcess::ofEngine().start();
        auto engine = std::make_unique<vbmp3::Engine>(vbmp3::startFirstDriver);
        current.files = std::make_unique<vbmp3::FileReader>(kFileWithin, kFileAtMost);
        current.engine = std::move(engine);
    } catch (const std::exception&) {
        current.files.reset();
        vbmp3::DecoderProcess::ofEngine().stop();
        return 0;
    }
    return 1;
}

int32_t vbmp3_free(void) {
    std::lock_guard calls(fileCallMutex);
    std::lock_guard lock(apiMutex);
    if (!current.engine)
        return 0;
    Current ending = std::exchange(current, Current{});
    // Files still open in the decoder process, and calls waiting on it, then read as ended, so
    // that the decoder threads and the file reader's let go.
    vbmp3::DecoderProcess::ofEngine().stop();
    const bool decodersEnded = ending.engine->shutDown(kThreadsEndWithin);
    if (!decodersEnded || !ending.files->waitFor(kThreadsEndWithin)) {
        // A thread hangs in a file's read (a stalled share) and runs on in the engine, the file
        // reader and this library once the read returns: none of them may go.
        std::fprintf(stderr, "vbmp3: a file's reading does not return; abandoned\n");
        vbmp3::keepThisLibraryLoaded();
        static_cast<void>(ending.engine.release());
        static_cast<void>(ending.files.release());
    }
    return 1;
}

int32_t vbmp3_open(const char* fileName, vbmp3_InputInfo* info) {
    std::lock_guard calls(fileCallMutex);
    vbmp3::FileReader* const files = fileState().first;
    std::optional<vbmp3::OpenedFile> opened =
        files && fileName ? files->open(fileName) : std::nullopt;
    return withEngine([&](vbmp3::Engine& engine) {
        if (!opened) {
            engine.replace(nullptr);
            current.fileSizeKiB = 0;
            return 0;
        }
        const vbmp3::StreamFacts facts = opened->source->facts();
        // The name waits for the tags on the file's decoder thread, which may wait on the file.
        engine.replace(std::move(opened->source),
                       [path = std::string(fileName), tags = opened->file.tags] {
                           return vbmp3::mediaName(path, tags.get());
                       });
        current.fileSizeKiB = kibibytes(opened->file.stamp.size);
        current.lastOpened = std::move(opened->file);
        if (info) {
            vbmp3::putText(facts.formatName, info->formatName, sizeof info->formatName);
            vbmp3::putText(facts.codecName, info->codecName, sizeof info->codecName);
            info->sampleRate = facts.sampleRate;
            info->channels = facts.channels;
            info->bitRate = facts.bitRateKbps;
            info->totalSeconds = vbmp3::secondsEntered(facts.totalFrames, facts.sampleRate);
        }
        return 1;
    });
}

int32_t vbmp3_close(void) {
    return withEngine([](vbmp3::Engine& engine) {
        engine.replace(nullptr);
        current.fileSizeKiB = 0;
        return 1;
    });
}

int32_t vbmp3_getFileTagInfo(const char* fileName, vbmp3_TagInfo* tag) {
    std::lock_guard calls(fileCallMutex);
    const auto [files, lastOpened] = fileState();
    if (!files || !fileName || !tag)
        return 0;
    const std::optional<vbmp3::Tags> tags = files->tags(fileName, lastOpened);
    if (!tags)
        return 0;
    vbmp3::fillTagInfo(*tags, *tag);
    return 1;
}

int32_t vbmp3_getFilePicture(const char* fileName, void* buffer, int32_t size,
                             int32_t* pictureSize) {
    std::lock_guard calls(fileCallMutex);
    vbmp3::FileReader* files = fileState().first;
    if (!files || !pictureSize || size < 0)
        return 0;
    *pictureSize = 0;
    const std::optional<std::string> picture =
        fileName ? files->picture(fileName, kPictureWithin) : std::optional<std::string>();
    if (!picture)
        return 0;
    *pictureSize = static_cast<int32_t>(picture->size());
    if (buffer && picture->size() <= static_cast<size_t>(size))
        std::memcpy(buffer, picture->data(), picture->size());
    return 1;
}

int32_t vbmp3_getMpegInfo(vbmp3_MpegInfo* mpeg) {
    return withEngine([&](vbmp3::Engine& engine) {
        const auto facts = engine.facts();
        if (!facts || !mpeg)
            return 0;
        *mpeg = vbmp3_MpegInfo{
            .sampleRate = facts->sampleRate,
            .channels = facts->channels,
            .bitsPerSample = facts->bitsPerSample,
            .fileKind = facts->fileKind,
            .variableBitRate = facts->variableBitRate ? 1 : 0,
            .totalMilliseconds =
                static_cast<int32_t>(facts->totalFrames * 1000 / facts->sampleRate),
            .outputRate = facts->sampleRate,
            .fileSizeKiB = current.fileSizeKiB,
            .trackCount = facts->trackCount,
            .bitRate = facts->bitRateKbps,
            .hasTag = facts->hasTag ? 1 : 0,
            .hasPicture = facts->hasPicture ? 1 : 0,
            .seekable = facts->seekable ? 1 : 0,
            .totalSeconds = vbmp3::secondsEntered(facts->totalFrames, facts->sampleRate),
        };
        return 1;
    });
}

int32_t vbmp3_play(void) {
    return withEngine([](vbmp3::Engine& engine) { return engine.play(), 1; });
}

int32_t vbmp3_pause(void) {
    return withEngine([](vbmp3::Engine& engine) { return engine.pause(), 1; });
}

int32_t vbmp3_restart(void) {
    return withEngine([](vbmp3::Engine& engine) { return engine.restart(), 1; });
}

int32_t vbmp3_stop(void) {
    return withEngine([](vbmp3::Engine& engine) { return engine.stop(), 1; });
}

int32_t vbmp3_seek(int32_t seconds) {
    return withEngine([&](vbmp3::Engine& engine) { return engine.seek(seconds), 1; });
}

int32_t vbmp3_setVolume(int32_t volume1, int32_t volume2) {
    return withEngine([&](vbmp3::Engine& engine) { return engine.setVolume(volume1, volume2), 1; });
}

int32_t vbmp3_getVolume(int32_t* volume1, int32_t* volume2) {
    return withEngine([&](vbmp3::Engine& engine) {
        if (!volume1 || !volume2)
            return 0;
        const vbmp3::Engine::Volume volume = engine.volume();
        *volume1 = volume.left;
        *volume2 = volume.right;
        return 1;
    });
}

int32_t vbmp3_getState(int32_t* seconds) {
    return withEngine([&](vbmp3::Engine& engine) {
        const vbmp3::Engine::Status status = engine.status();
        if (seconds)
            *seconds = status.seconds;
        return static_cast<int32_t>(status.state);
    });
}

int32_t vbmp3_getWave(int32_t* first, int32_t* second) {
    return withEngine([&](vbmp3::Engine& engine) {
        if (!first || !second)
            return 0;
        engine.wave(first, second);
        return 1;
    });
}

int32_t vbmp3_getSpectrum(int32_t* first, int32_t* second) {
    return withEngine([&](vbmp3::Engine& engine) {
        if (!first || !second)
            return 0;
        engine.spectrum(first, second);
        return 1;
    });
}

} // extern "C"
