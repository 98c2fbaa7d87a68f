// The decoder process's side of the calls: opens and tag reads one at a time on the engine's call
// socket, and each open file's reads and seeks on a thread and socket of its own, so that a file
// whose reads hang holds up that file alone.
#pragma once

#include <functional>

namespace vbmp3 {

// Runs `work` on this thread while another tells the engine on `socket` when one of the engine's
// own parts starts and ends loading here (wire::Interim).
void sayingOwnLoads(int socket, const std::function<void()>& work);

// Answers the engine's calls on `socket` until the engine closes it, each on this thread, which
// must be the process's main one: the engine watches that thread to tell a call that runs slowly
// from one that is stalled.
void serveCalls(int socket);

} // namespace vbmp3
