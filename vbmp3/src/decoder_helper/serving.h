// The decoder process's side of the calls: opens and tag reads one at a time on the engine's call
// socket, and each open file's reads and seeks on a thread and socket of its own, so that a file
// whose reads hang holds up that file alone.
#pragma once

namespace vbmp3 {

// Answers the engine's calls on `socket` until the engine closes it.
void serveCalls(int socket);

} // namespace vbmp3
