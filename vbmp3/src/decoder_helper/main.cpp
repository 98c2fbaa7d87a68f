// vbmp3-decoder: the engine's decoder process. The engine starts it with its end of the call
// socket as descriptor 3 and hands it every file already open; it opens nothing else. An argument
// "--quiet" (the engine's later processes) keeps it from repeating what the first one said.
#include "decoder_helper/lock_down.h"
#include "decoder_helper/serving.h"
#include "sandbox/wire.h"

#include <cstring>
#include <unistd.h>

int main(int argc, char** argv) {
    // Nothing of the engine's process but the call socket.
    ::close_range(vbmp3::wire::kCallSocket + 1, ~0U, 0);
    const bool speak = !(argc > 1 && std::strcmp(argv[1], vbmp3::wire::kQuietArgument) == 0);
    vbmp3::lockDown(speak);
    // Its start (and the parts it loads ahead of need) is the engine's own time, not a file's.
    vbmp3::wire::send(
        vbmp3::wire::kCallSocket,
        vbmp3::wire::Writer().number(static_cast<int64_t>(vbmp3::wire::Interim::Loaded)).bytes());
    vbmp3::serveCalls(vbmp3::wire::kCallSocket);
    // Files may still be closing on their threads: their process ends with them, no destructors.
    ::_exit(0);
}
