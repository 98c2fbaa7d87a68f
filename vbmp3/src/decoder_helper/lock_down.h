// What the decoder process may do once it has started: read the files it is handed, and the
// libraries and SoundFonts that decoding loads; talk to the engine on the sockets it was given;
// nothing else. Every step that the kernel refuses (an old kernel, a container) is left out, and
// the process runs with what remains.
#pragma once

namespace vbmp3 {

// Shuts the process in, for good. `speak`: say on stderr which steps the kernel refused (the
// engine's first decoder process does, its successors do not repeat it).
void lockDown(bool speak);

} // namespace vbmp3
