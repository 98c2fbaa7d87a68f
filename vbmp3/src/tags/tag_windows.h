// Where each format keeps its tags, as the windows of FileWindows that a reader opens: the tag
// text and the embedded pictures are read through the same ones.
#pragma once

#include "tags/file_windows.h"

namespace vbmp3 {

// The ID3v2 tag at the start as its header states it, and the ID3v1 trailer.
void openMpegTagWindows(FileWindows& stream);
// The INFO list and an ID3v2 chunk, before the samples or after them.
void openWaveTagWindows(FileWindows& stream);
// The ASF header object as long as it says it is: every tag is inside it.
void openAsfTagWindows(FileWindows& stream);

} // namespace vbmp3
