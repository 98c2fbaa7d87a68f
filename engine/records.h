// The engine's records as the program holds them: texts in UTF-16, each exactly as long as its
// slot (the engine's text followed by NUL fill), numbers as the engine wrote them.
#pragma once

#include <QString>
#include <cstdint>

#include "vbmp3.h"

namespace engine {

// A fixed-length text of n characters, all NUL until first filled.
inline QString emptyFixedText(int n) {
    return QString(n, QChar(u'\0'));
}

struct InputInfo {
    QString formatName = emptyFixedText(VBMP3_TEXT_SLOT);
    QString codecName = emptyFixedText(VBMP3_TEXT_SLOT);
    int32_t sampleRate = 0;
    int32_t channels = 0;
    int32_t bitRate = 0;
    int32_t totalSeconds = 0;
};

struct TagInfo {
    QString title = emptyFixedText(VBMP3_TEXT_SLOT);
    QString artist = emptyFixedText(VBMP3_TEXT_SLOT);
    QString album = emptyFixedText(VBMP3_TEXT_SLOT);
    QString year = emptyFixedText(VBMP3_YEAR_SLOT);
    QString comment = emptyFixedText(VBMP3_TEXT_SLOT);
    int32_t genreCode = 0;
    QString genreName = emptyFixedText(VBMP3_TEXT_SLOT);
};

// Holds no text, so the engine writes straight into it.
using MpegInfo = vbmp3_MpegInfo;

} // namespace engine
