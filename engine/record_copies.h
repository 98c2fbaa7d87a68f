// The 8-bit copies of the program's records that cross the engine's C interface.
#pragma once

#include "records.h"

namespace engine {

vbmp3_InputInfo toRaw(const InputInfo& info);
void fromRaw(const vbmp3_InputInfo& raw, InputInfo& info);
vbmp3_TagInfo toRaw(const TagInfo& tag);
void fromRaw(const vbmp3_TagInfo& raw, TagInfo& tag);

} // namespace engine
