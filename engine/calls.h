// The engine's functions as the program calls them. Paths and records cross as 8-bit copies in
// the boundary code page, made before each call and converted back after it; everything else is
// passed through unchanged.
#pragma once

#include <QByteArray>
#include <QString>
#include <array>
#include <cstdint>

#include "records.h"

namespace engine {

using Buffer = std::array<int32_t, VBMP3_BUFFER_LENGTH>;

// The states vbmp3_getState answers; the program reads any other value as paused.
enum PlayState : int32_t {
    Stopped = VBMP3_STOPPED,
    Playing = VBMP3_PLAYING,
    Paused = VBMP3_PAUSED
};

// The engine's yes: a result whose low 16 bits are not all zero.
inline bool succeeded(int32_t result) {
    return (result & 0xFFFF) != 0;
}

int32_t vbmp3_init();
int32_t vbmp3_free();
int32_t vbmp3_open(QString& fileName, InputInfo& info);
int32_t vbmp3_close();
int32_t vbmp3_getFileTagInfo(QString& fileName, TagInfo& tag);
// The file's embedded picture into `picture` (the size, then the bytes: two calls), empty without
// one, or if the file changed between the two.
int32_t vbmp3_getFilePicture(QString& fileName, QByteArray& picture);
int32_t vbmp3_getMpegInfo(MpegInfo& mpeg);
int32_t vbmp3_play();
int32_t vbmp3_pause();
int32_t vbmp3_restart();
int32_t vbmp3_stop();
int32_t vbmp3_seek(int32_t seconds);
int32_t vbmp3_setVolume(int32_t volume1, int32_t volume2);
int32_t vbmp3_getVolume(int32_t& volume1, int32_t& volume2);
int32_t vbmp3_getState(int32_t& seconds);
int32_t vbmp3_getWave(Buffer& first, Buffer& second);
int32_t vbmp3_getSpectrum(Buffer& first, Buffer& second);

} // namespace engine
