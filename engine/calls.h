// The engine's functions as the program calls them. Paths and records cross as 8-bit copies in
// the boundary code page, made before each call and converted back after it; everything else is
// passed through unchanged.
#pragma once

#include <QString>
#include <array>
#include <cstdint>

#include "records.h"

namespace engine {

using Buffer = std::array<int32_t, VBMP3_BUFFER_LENGTH>;

int32_t vbmp3_init();
int32_t vbmp3_free();
int32_t vbmp3_open(QString& fileName, InputInfo& info);
int32_t vbmp3_close();
int32_t vbmp3_getFileTagInfo(QString& fileName, TagInfo& tag);
int32_t vbmp3_getMpegInfo(MpegInfo& mpeg);
int32_t vbmp3_play();
int32_t vbmp3_pause();
int32_t vbmp3_restart();
int32_t vbmp3_stop();
int32_t vbmp3_seek(int32_t seconds);
int32_t vbmp3_setVolume(int32_t volume1, int32_t volume2);
int32_t vbmp3_getState(int32_t& seconds);
int32_t vbmp3_getWave(Buffer& first, Buffer& second);
int32_t vbmp3_getSpectrum(Buffer& first, Buffer& second);

} // namespace engine
