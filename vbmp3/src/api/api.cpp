// The exported C functions: one engine per process, behind one lock so that vbmp3_free cannot
// pull the engine away from a call in progress on another thread.
#include "api/boundary_text.h"
#include "api/media_name.h"
#include "core/engine.h"
#include "decoders/midi/soundfont.h"
#include "outputs/output_drivers.h"
#include "shared/keep_loaded.h"
#include "tags/pictures.h"
#include "tags/tags.h"
#include "vbmp3.h"

#include <chrono>
#include <cstdio>
#include <cstring>
#include <exception>
#include <filesystem>
#include <memory>
#include <mutex>
#include <system_error>
#include <utility>

namespace {

struct Current {
    std::unique_ptr<vbmp3::Engine> engine;
    int32_t fileSizeKiB = 0;
};

static_assert(vbmp3::kMaxPictureBytes == VBMP3_PICTURE_LIMIT);

// vbmp3_free waits this long for a file's decoding to let go (beyond what the output takes).
constexpr std::chrono::milliseconds kDecodersEndWithin{500};

std::mutex apiMutex;
Current current;

int32_t fileSizeKiB(const char* path) {
    std::error_code error;
    const auto bytes = std::filesystem::file_size(path, error);
    return error ? 0 : static_cast<int32_t>((bytes + 1023) / 1024);
}

// Runs `action` on the engine under the lock; 0 before vbmp3_init and after vbmp3_free.
template <typename Action> int32_t withEngine(Action action) {
    std::lock_guard lock(apiMutex);
    if (!current.engine)
        return 0;
    return action(*current.engine);
}

} // namespace

extern "C" {

int32_t vbmp3_init(void) {
    std::lock_guard lock(apiMutex);
    if (current.engine)
        return 1;
    // No exception crosses the C interface: an engine that cannot start (no memory for its
    // buffers or its transform, no thread) leaves the library as it was before. The SoundFont loads
    // when the first MIDI file opens: most sessions never play one.
    try {
        current.engine = std::make_unique<vbmp3::Engine>(vbmp3::startFirstDriver);
    } catch (const std::exception&) {
        return 0;
    }
    return 1;
}

int32_t vbmp3_free(void) {
    std::lock_guard lock(apiMutex);
    if (!current.engine)
        return 0;
    std::unique_ptr<vbmp3::Engine> engine = std::exchange(current, Current{}).engine;
    if (!engine->shutDown(kDecodersEndWithin)) {
        // A decoder thread hangs in a file's read (a stalled share) and runs on in the engine and
        // in this library once the read returns: neither may go.
        std::fprintf(stderr, "vbmp3: a file's reading does not return; abandoned\n");
        vbmp3::keepThisLibraryLoaded();
        static_cast<void>(engine.release());
    }
    vbmp3::releaseSoundFont();
    return 1;
}

int32_t vbmp3_open(const char* fileName, vbmp3_InputInfo* info) {
    return withEngine([&](vbmp3::Engine& engine) {
        std::unique_ptr<vbmp3::Source> source = fileName ? vbmp3::openSource(fileName) : nullptr;
        if (!source) {
            engine.replace(nullptr);
            current.fileSizeKiB = 0;
            return 0;
        }
        const vbmp3::StreamFacts facts = source->facts();
        engine.replace(std::move(source),
                       [path = std::string(fileName)] { return vbmp3::mediaName(path); });
        current.fileSizeKiB = fileSizeKiB(fileName);
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
    return withEngine([&](vbmp3::Engine&) {
        vbmp3::Tags tags;
        if (!fileName || !tag || !vbmp3::readTags(fileName, tags))
            return 0;
        vbmp3::fillTagInfo(tags, *tag);
        return 1;
    });
}

int32_t vbmp3_getFilePicture(const char* fileName, void* buffer, int32_t size,
                             int32_t* pictureSize) {
    return withEngine([&](vbmp3::Engine&) {
        if (!pictureSize || size < 0)
            return 0;
        *pictureSize = 0;
        const std::string picture = fileName ? vbmp3::readPicture(fileName) : std::string();
        if (picture.empty())
            return 0;
        *pictureSize = static_cast<int32_t>(picture.size());
        if (buffer && picture.size() <= static_cast<size_t>(size))
            std::memcpy(buffer, picture.data(), picture.size());
        return 1;
    });
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
