#include "calls.h"

#include "platform/codepage.h"
#include "record_copies.h"

namespace engine {
namespace {

// Runs call on the path's 8-bit copy and takes the copy back into the caller's text.
template <typename Call> int32_t withPath(QString& fileName, Call call) {
    // Bytes that are no text of the locale (a file name in a legacy code page) cross as they are.
    const QByteArray path = platform::toEightBit(fileName);
    int32_t result = call(path.constData());
    fileName = platform::fromEightBit(QByteArray(path.constData()));
    return result;
}

} // namespace

int32_t vbmp3_init() {
    return ::vbmp3_init();
}
int32_t vbmp3_free() {
    return ::vbmp3_free();
}

int32_t vbmp3_open(QString& fileName, InputInfo& info) {
    vbmp3_InputInfo raw = toRaw(info);
    int32_t result = withPath(fileName, [&](const char* path) { return ::vbmp3_open(path, &raw); });
    fromRaw(raw, info);
    return result;
}

int32_t vbmp3_close() {
    return ::vbmp3_close();
}

int32_t vbmp3_getFileTagInfo(QString& fileName, TagInfo& tag) {
    vbmp3_TagInfo raw = toRaw(tag);
    int32_t result =
        withPath(fileName, [&](const char* path) { return ::vbmp3_getFileTagInfo(path, &raw); });
    fromRaw(raw, tag);
    return result;
}

int32_t vbmp3_getFilePicture(QString& fileName, QByteArray& picture) {
    picture.clear();
    return withPath(fileName, [&](const char* path) {
        int32_t size = 0;
        const int32_t result = ::vbmp3_getFilePicture(path, nullptr, 0, &size);
        if (!succeeded(result) || size <= 0 || size > VBMP3_PICTURE_LIMIT)
            return result;
        picture.resize(size);
        int32_t fetched = 0;
        const int32_t again = ::vbmp3_getFilePicture(path, picture.data(), size, &fetched);
        if (!succeeded(again) || fetched != size)
            picture.clear();
        return again;
    });
}

int32_t vbmp3_getMpegInfo(MpegInfo& mpeg) {
    return ::vbmp3_getMpegInfo(&mpeg);
}
int32_t vbmp3_play() {
    return ::vbmp3_play();
}
int32_t vbmp3_pause() {
    return ::vbmp3_pause();
}
int32_t vbmp3_restart() {
    return ::vbmp3_restart();
}
int32_t vbmp3_stop() {
    return ::vbmp3_stop();
}
int32_t vbmp3_seek(int32_t seconds) {
    return ::vbmp3_seek(seconds);
}
int32_t vbmp3_setVolume(int32_t volume1, int32_t volume2) {
    return ::vbmp3_setVolume(volume1, volume2);
}
int32_t vbmp3_getVolume(int32_t& volume1, int32_t& volume2) {
    return ::vbmp3_getVolume(&volume1, &volume2);
}
int32_t vbmp3_getState(int32_t& seconds) {
    return ::vbmp3_getState(&seconds);
}

int32_t vbmp3_getWave(Buffer& first, Buffer& second) {
    return ::vbmp3_getWave(first.data(), second.data());
}

int32_t vbmp3_getSpectrum(Buffer& first, Buffer& second) {
    return ::vbmp3_getSpectrum(first.data(), second.data());
}

} // namespace engine
