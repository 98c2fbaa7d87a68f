#include "sandbox/decoder_process.h"

#include "shared/own_load.h"
#include "shared/proc_text.h"
#include "shared/work_watch.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <dlfcn.h>
#include <filesystem>
#include <mutex>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <utility>

extern char** environ;

namespace vbmp3 {
namespace {

constexpr const char* kProgramName = "vbmp3-decoder";
// How long a dead or killed process is waited for before it is left for later.
constexpr std::chrono::milliseconds kReapWithin{200};
constexpr std::chrono::milliseconds kStopWithin{500};

// The decoder program sits beside the object that holds this code: the engine library.
std::string programPath() {
    Dl_info self{};
    if (dladdr(reinterpret_cast<void*>(&programPath), &self) == 0 || self.dli_fname == nullptr)
        return kProgramName;
    return (std::filesystem::path(self.dli_fname).parent_path() / kProgramName).string();
}

// A process the engine killed has been spoken of already.
void sayHowItEnded(pid_t pid, int status) {
    if (WIFSIGNALED(status) && WTERMSIG(status) != SIGKILL)
        std::fprintf(stderr, "vbmp3: decoder process %d ended by signal %d (%s)\n",
                     static_cast<int>(pid), WTERMSIG(status), strsignal(WTERMSIG(status)));
    else if (WIFEXITED(status) && WEXITSTATUS(status) != 0)
        std::fprintf(stderr, "vbmp3: decoder process %d exited with status %d\n",
                     static_cast<int>(pid), WEXITSTATUS(status));
}

// How often a wait for an answer looks whether the process has been killed meanwhile.
constexpr std::chrono::milliseconds kDeathLook{5};

// Whether process `pid`'s main thread, which serves calls, has ended: the process was killed or
// crashed, and the rest of it is still going (its memory, then its sockets).
bool servingThreadEnded(pid_t pid) {
    const char state = taskState(readProcText("/proc/" + std::to_string(pid) + "/stat"));
    return state == 0 || state == 'Z' || state == 'X';
}

// The answer to the call just sent to process `pid`, waiting up to `budget` for each message.
// While the decoder process starts (until it says it is `ready`) or says it loads a part of the
// engine's own, and once it is seen dying, this process counts a load of its own, so that a
// caller's bound on the file does not run meanwhile: none of that is the file's doing.
std::optional<wire::Message> answerOn(int socket, pid_t pid, std::chrono::milliseconds budget,
                                      bool& ready, bool& timedOut) {
    using Clock = std::chrono::steady_clock;
    std::optional<OwnLoad> loading;
    if (!ready)
        loading.emplace();
    std::optional<OwnLoad> dying;
    auto until = Clock::now() + budget;
    for (;;) {
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(until - Clock::now());
        timedOut = left.count() <= 0;
        if (timedOut)
            return std::nullopt;
        bool sliceOver = false;
        std::optional<wire::Message> message =
            wire::receive(socket, static_cast<int>(std::min(left, kDeathLook).count()), &sliceOver);
        if (!message && sliceOver) {
            if (!dying && servingThreadEnded(pid))
                dying.emplace();
            continue;
        }
        if (!message)
            return message;
        until = Clock::now() + budget;
        const int64_t first = wire::Reader(message->bytes).number();
        if (first == static_cast<int64_t>(wire::Interim::Loading))
            loading.emplace();
        else if (first == static_cast<int64_t>(wire::Interim::Loaded)) {
            loading.reset();
            ready = true;
        } else
            return message;
    }
}

} // namespace

struct DecoderProcess::Running {
    pid_t pid = -1;
    int socket = -1;
    uint64_t number = 0;
    std::mutex callMutex; // one call at a time on the socket
    bool ready = false;   // said it has started; guarded by callMutex
    // A later call found it still busy with a call whose caller had given up, and replaced it.
    std::atomic<bool> givenUp{false};

    // The watch of the call that holds callMutex, if its thread has one; alive while it holds.
    void setHolder(const WorkWatch* watch) {
        std::lock_guard lock(holderMutex);
        holder = watch;
    }
    bool holderGivenUp() {
        std::lock_guard lock(holderMutex);
        return holder && holder->givenUp();
    }

private:
    std::mutex holderMutex;
    const WorkWatch* holder = nullptr;

public:
    ~Running() {
        if (socket >= 0)
            ::close(socket);
    }
};

DecoderProcess& DecoderProcess::ofEngine() {
    static DecoderProcess& process = *new DecoderProcess;
    return process;
}

void DecoderProcess::start() {
    std::lock_guard lock(mutex_);
    wanted_ = true;
    runningLocked();
}

void DecoderProcess::stop() {
    std::shared_ptr<Running> running;
    {
        std::lock_guard lock(mutex_);
        wanted_ = false;
        running = std::exchange(running_, nullptr);
        if (running)
            dying_.push_back(running->pid);
    }
    // It ends by itself once its call socket closes; one that hangs in a file's read is killed.
    if (running)
        ::shutdown(running->socket, SHUT_RDWR);
    reapDying(kStopWithin);
    {
        std::lock_guard lock(mutex_);
        for (const pid_t pid : dying_)
            ::kill(pid, SIGKILL);
    }
    reapDying(kReapWithin);
}

std::shared_ptr<DecoderProcess::Running> DecoderProcess::runningLocked() {
    if (running_ || !wanted_)
        return running_;
    int sockets[2];
    if (::socketpair(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0, sockets) != 0)
        return nullptr;
    const std::string program = programPath();
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, sockets[1], wire::kCallSocket);
    char* argv[] = {const_cast<char*>(program.c_str()),
                    started_ > 0 ? const_cast<char*>(wire::kQuietArgument) : nullptr, nullptr};
    pid_t pid = -1;
    const int failed = ::posix_spawn(&pid, program.c_str(), &actions, nullptr, argv, environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(sockets[1]);
    if (failed) {
        ::close(sockets[0]);
        if (!std::exchange(saidMissing_, true))
            std::fprintf(stderr, "vbmp3: cannot start %s (%s): no file will open\n",
                         program.c_str(), std::strerror(failed));
        return nullptr;
    }
    running_ = std::make_shared<Running>();
    running_->pid = pid;
    running_->socket = sockets[0];
    running_->number = ++started_;
    return running_;
}

std::optional<DecoderProcess::Answer> DecoderProcess::call(const std::string& bytes,
                                                           const std::vector<int>& descriptors,
                                                           std::chrono::milliseconds budget) {
    for (int attempt = 0; attempt < 2; ++attempt) {
        std::shared_ptr<Running> running;
        {
            std::lock_guard lock(mutex_);
            running = runningLocked();
        }
        if (!running)
            return std::nullopt;
        // A call still running here is waited for (the tags that an open reads after its caller
        // has gone on, say), unless its caller has given up on it (a file that hangs or
        // overruns): that one must not hold up this one.
        const WorkWatch* own = WorkWatch::ofThisThread();
        std::unique_lock callLock(running->callMutex, std::defer_lock);
        {
            // Meanwhile this caller's bound watches the process's serving thread, as below.
            const WorkWatch::DoneBy servedThere({running->pid, running->pid});
            // Looked at now and then rather than waited on with a timeout: a sanitizer does not
            // follow a timed lock (ThreadSanitizer).
            while (!callLock.try_lock() && !running->holderGivenUp()) {
                if (own && own->givenUp())
                    return std::nullopt;
                std::this_thread::sleep_for(kDeathLook);
            }
        }
        if (!callLock.owns_lock()) {
            const OwnLoad replacing; // the engine's own doing, not this file's
            running->givenUp = true;
            replace(running->number, "a call it still ran was given up");
            continue;
        }
        running->setHolder(own);
        if (!wire::send(running->socket, bytes, descriptors)) {
            running->setHolder(nullptr);
            callLock.unlock();
            const OwnLoad replacing;
            replace(running->number, "it was gone");
            continue; // the call never reached it
        }
        bool timedOut = false;
        std::optional<wire::Message> answer;
        {
            // The caller's bound watches the decoder process's main thread, which serves calls,
            // not this one, asleep on the socket: a busy machine's slow open is slow, not stalled.
            const WorkWatch::DoneBy servedThere({running->pid, running->pid});
            answer = answerOn(running->socket, running->pid, budget, running->ready, timedOut);
        }
        running->setHolder(nullptr);
        callLock.unlock();
        if (answer)
            return Answer{std::move(*answer), running->number};
        {
            const OwnLoad replacing; // a process that died between files is the engine's doing
            replace(running->number, timedOut ? "it overran its time" : "it ended");
        }
        // Not tried again where this call's caller has given up (a later call found the process
        // busy with it). One that another replaced first (a playing file's reads found it dead)
        // is tried on the successor.
        if (timedOut || running->givenUp)
            return std::nullopt;
        // It may have died before it read the call (killed from outside): once more. A file that
        // ended it ends the next as well.
    }
    return std::nullopt;
}

bool DecoderProcess::replace(uint64_t servedBy, const char* why) {
    {
        std::lock_guard lock(mutex_);
        if (!running_ || running_->number != servedBy)
            return false; // replaced already
        std::fprintf(stderr, "vbmp3: decoder process %d replaced: %s\n",
                     static_cast<int>(running_->pid), why);
        ::kill(running_->pid, SIGKILL); // not reaped yet, so the number is still its own
        dying_.push_back(running_->pid);
        running_ = nullptr;
        runningLocked(); // the next, ahead of the next file
    }
    reapDying(kReapWithin);
    return true;
}

void DecoderProcess::reapDying(std::chrono::milliseconds within) {
    const auto until = std::chrono::steady_clock::now() + within;
    for (;;) {
        {
            std::lock_guard lock(mutex_);
            std::erase_if(dying_, [](pid_t pid) {
                int status = 0;
                const pid_t reaped = ::waitpid(pid, &status, WNOHANG);
                if (reaped == pid)
                    sayHowItEnded(pid, status);
                return reaped != 0; // reaped, or not ours to wait for
            });
            if (dying_.empty())
                return;
        }
        // A process stuck in a read of a hung share dies once the read returns: left for later.
        if (std::chrono::steady_clock::now() >= until)
            return;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
}

} // namespace vbmp3
