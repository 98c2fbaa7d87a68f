// The engine's decoder process: every parse of a file's bytes happens there, so that a file that
// crashes or hangs a decoder costs that file only. One runs at a time, started ahead of need (an
// open never waits for a process start) and replaced whenever it dies or overruns a time budget.
#pragma once

#include "sandbox/wire.h"

#include <chrono>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <sys/types.h>
#include <vector>

namespace vbmp3 {

class DecoderProcess {
public:
    // The one of this engine's process. Never destroyed: a decoder thread that was let go may
    // still be reading through it when the process ends.
    static DecoderProcess& ofEngine();

    // Starts it where none runs (vbmp3_init).
    void start();
    // Ends it, and with it every file still open there (vbmp3_free).
    void stop();

    struct Answer {
        wire::Message message;
        uint64_t servedBy; // the number of the process that answered
    };
    // One call on the call socket and its answer. A process that does not answer within `budget`
    // is killed, one that is gone is replaced, and nullopt comes back; a call that the process
    // did not answer because it ended is tried once more on its successor, and so is one that
    // finds the process still busy with a call its caller gave up on (that process is replaced).
    std::optional<Answer> call(const std::string& bytes, const std::vector<int>& descriptors,
                               std::chrono::milliseconds budget);
    // Kills process number `servedBy` if it still runs (a file it serves stopped answering or
    // has gone), saying why on stderr, and starts the next; false where it was replaced already.
    bool replace(uint64_t servedBy, const char* why);

private:
    struct Running;
    DecoderProcess() = default;
    // The running process, started if need be (caller holds mutex_).
    std::shared_ptr<Running> runningLocked();
    void reapDying(std::chrono::milliseconds within);

    std::mutex mutex_;
    std::shared_ptr<Running> running_; // guarded by mutex_
    std::vector<pid_t> dying_;         // killed, not reaped yet; guarded by mutex_
    uint64_t started_ = 0;             // guarded by mutex_
    bool wanted_ = false;              // between start and stop; guarded by mutex_
    bool saidMissing_ = false;         // guarded by mutex_
};

} // namespace vbmp3
