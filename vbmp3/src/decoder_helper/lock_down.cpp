#include "decoder_helper/lock_down.h"

#include "decoders/midi/soundfont.h"
#include "decoders/source.h"

#include <cerrno>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <linux/landlock.h>
#include <sched.h>
#include <seccomp.h>
#include <string>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>
#include <vector>

namespace vbmp3 {
namespace {

// Address space: decoding a music file needs a few tens of MiB; the libraries map a few hundred.
constexpr rlim_t kAddressSpaceBytes = rlim_t{1} << 30;

// The sanitizers' runtimes map terabytes of shadow memory and make system calls of their own:
// their test builds go without the memory limit and the call filter.
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
constexpr bool kSanitized = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer)
constexpr bool kSanitized = true;
#else
constexpr bool kSanitized = false;
#endif
#else
constexpr bool kSanitized = false;
#endif

// The system calls that decoding needs, and why; every other call ends the process (SIGSYS).
// rt_sigaction, for abort, and tgkill, for raise, are needed by the refusal's own report too.
struct Allowed {
    int call;
    const char* why;
};
const Allowed kAllowed[] = {
    {SCMP_SYS(read), "a handed file's bytes (libsndfile)"},
    {SCMP_SYS(pread64), "a handed file's bytes, by position (the other decoders, tags)"},
    {SCMP_SYS(lseek), "positions in a handed file (libsndfile)"},
    {SCMP_SYS(fstat), "a handed file's size"},
    {SCMP_SYS(newfstatat), "a handed file's size (glibc's fstat); a library's or SoundFont's"},
    {SCMP_SYS(statx), "the same, as libstdc++'s file system calls ask"},
    {SCMP_SYS(fcntl), "duplicates of a handed file, for each reader its own"},
    {SCMP_SYS(dup), "the same"},
    {SCMP_SYS(close), "a file once read, a socket once its file is closed"},
    {SCMP_SYS(recvmsg), "the engine's calls, with the files it hands over"},
    {SCMP_SYS(sendmsg), "the answers to the engine"},
    {SCMP_SYS(poll), "waiting for the engine's next call"},
    {SCMP_SYS(ppoll), "the same"},
    {SCMP_SYS(write), "stderr: what a decoder library says about a damaged file"},
    {SCMP_SYS(writev), "the same"},
    {SCMP_SYS(mmap), "memory, the engine's frame windows, libraries loaded when first needed"},
    {SCMP_SYS(munmap), "the same, given back"},
    {SCMP_SYS(mremap), "growing buffers"},
    {SCMP_SYS(mprotect), "libraries loaded when first needed; thread stacks' guard pages"},
    {SCMP_SYS(madvise), "memory given back by the allocator"},
    {SCMP_SYS(brk), "memory"},
    {SCMP_SYS(mlock), "FluidSynth keeps its samples in memory"},
    {SCMP_SYS(munlock), "the same"},
    {SCMP_SYS(futex), "locks between an open file's thread and the background scans"},
    {SCMP_SYS(set_robust_list), "a new thread's start"},
    {SCMP_SYS(rseq), "a new thread's start"},
    {SCMP_SYS(sched_getaffinity), "how many threads the synthesizer may use"},
    {SCMP_SYS(sched_yield), "spinning locks"},
    {SCMP_SYS(nanosleep), "a scan's pauses"},
    {SCMP_SYS(clock_nanosleep), "the same"},
    {SCMP_SYS(clock_gettime), "time, where the vDSO is not used"},
    {SCMP_SYS(gettimeofday), "the same"},
    {SCMP_SYS(getrandom), "the allocator's and hash tables' seeds"},
    {SCMP_SYS(gettid), "a thread's own id"},
    {SCMP_SYS(getpid), "the process's own id"},
    {SCMP_SYS(getdents64), "the SoundFont folders' listing"},
    {SCMP_SYS(readlink), "the SoundFont's links (Debian's alternatives) followed to the file"},
    {SCMP_SYS(readlinkat), "the same"},
    {SCMP_SYS(access), "FluidSynth asks whether the SoundFont is there (a file's mere being)"},
    {SCMP_SYS(faccessat), "the same"},
    {SCMP_SYS(faccessat2), "the same"},
    {SCMP_SYS(getuid), "libraries that FFmpeg loads ask who runs them"},
    {SCMP_SYS(geteuid), "the same"},
    {SCMP_SYS(getgid), "the same"},
    {SCMP_SYS(getegid), "the same"},
    {SCMP_SYS(statfs), "a library that FFmpeg loads looks at the file system it is on"},
    {SCMP_SYS(fstatfs), "the same"},
    {SCMP_SYS(rt_sigprocmask), "thread start and abort"},
    {SCMP_SYS(rt_sigreturn), "the end of a signal handler"},
    {SCMP_SYS(rt_sigaction), "abort restores SIGABRT's default before raising it"},
    {SCMP_SYS(tgkill), "abort: a decoder's failed check ends the process with SIGABRT"},
    {SCMP_SYS(exit), "a thread's end"},
    {SCMP_SYS(exit_group), "the process's end"},
    {SCMP_SYS(restart_syscall), "a wait resumed"},
};

// What decoding may read where the kernel has Landlock: the libraries loaded when first needed
// (FFmpeg's module beside this program, FluidSynth and theirs, the loader's cache of where they
// are) and the SoundFonts.
std::vector<std::string> readablePaths() {
    std::vector<std::string> paths = {"/usr/lib", "/lib", "/usr/lib64", "/lib64",
                                      "/etc/ld.so.cache"};
    std::error_code error;
    const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", error);
    if (!error)
        paths.push_back(self.parent_path().string());
    for (const std::string& folder : soundFontFolders())
        paths.push_back(folder);
    return paths;
}

// The file system rights this kernel's Landlock knows, all of which the rule set takes away.
uint64_t landlockRights(long abi) {
    uint64_t rights = (LANDLOCK_ACCESS_FS_MAKE_SYM << 1) - 1;
#ifdef LANDLOCK_ACCESS_FS_REFER
    if (abi >= 2)
        rights |= LANDLOCK_ACCESS_FS_REFER;
#endif
#ifdef LANDLOCK_ACCESS_FS_TRUNCATE
    if (abi >= 3)
        rights |= LANDLOCK_ACCESS_FS_TRUNCATE;
#endif
    return rights;
}

// Nothing can be opened but, read only, what readablePaths() holds. False with the reason in
// `refused` where the kernel has no Landlock.
bool restrictFileSystem(std::string& refused) {
    const long abi =
        syscall(SYS_landlock_create_ruleset, nullptr, 0, LANDLOCK_CREATE_RULESET_VERSION);
    if (abi < 1) {
        refused = std::string("Landlock: ") + std::strerror(errno);
        return false;
    }
    landlock_ruleset_attr attributes{};
    attributes.handled_access_fs = landlockRights(abi);
    const int rules =
        static_cast<int>(syscall(SYS_landlock_create_ruleset, &attributes, sizeof attributes, 0));
    if (rules < 0) {
        refused = std::string("Landlock: ") + std::strerror(errno);
        return false;
    }
    for (const std::string& path : readablePaths()) {
        const int at = ::open(path.c_str(), O_PATH | O_CLOEXEC);
        if (at < 0)
            continue; // not on this system
        struct stat info {};
        const bool isFolder = ::fstat(at, &info) == 0 && S_ISDIR(info.st_mode);
        landlock_path_beneath_attr beneath{};
        beneath.allowed_access =
            LANDLOCK_ACCESS_FS_READ_FILE | (isFolder ? LANDLOCK_ACCESS_FS_READ_DIR : 0);
        beneath.parent_fd = at;
        syscall(SYS_landlock_add_rule, rules, LANDLOCK_RULE_PATH_BENEATH, &beneath, 0);
        ::close(at);
    }
    const bool restricted = syscall(SYS_landlock_restrict_self, rules, 0) == 0;
    if (!restricted)
        refused = std::string("Landlock: ") + std::strerror(errno);
    ::close(rules);
    return restricted;
}

// A rule's test of a call's first argument (for a masked test, `a` is the mask, `b` the value).
scmp_arg_cmp firstArgument(scmp_compare test, uint64_t a, uint64_t b = 0) {
    return scmp_arg_cmp{0, test, a, b};
}

// Threads only: a new process (fork, or clone without CLONE_THREAD) ends this one. And the calls
// that libraries make as they load, answered without doing anything.
void allowThreadsAndLoading(scmp_filter_ctx filter) {
    seccomp_rule_add(filter, SCMP_ACT_ALLOW, SCMP_SYS(clone), 1,
                     firstArgument(SCMP_CMP_MASKED_EQ, CLONE_THREAD, CLONE_THREAD));
    // clone3 hides its flags behind a pointer: glibc falls back to clone when it is missing.
    seccomp_rule_add(filter, SCMP_ACT_ERRNO(ENOSYS), SCMP_SYS(clone3), 0);
    // A thread's name; no other prctl (libcap reads its bounding set as FluidSynth loads: it
    // hears that there is none).
    seccomp_rule_add(filter, SCMP_ACT_ALLOW, SCMP_SYS(prctl), 1,
                     firstArgument(SCMP_CMP_EQ, PR_SET_NAME));
    seccomp_rule_add(filter, SCMP_ACT_ERRNO(EINVAL), SCMP_SYS(prctl), 1,
                     firstArgument(SCMP_CMP_NE, PR_SET_NAME));
    // GLib's log (FluidSynth's) looks whether stderr is the journal's socket: it is no socket.
    for (const int call : {SCMP_SYS(getpeername), SCMP_SYS(getsockname)})
        seccomp_rule_add(filter, SCMP_ACT_ERRNO(ENOTSOCK), call, 0);
    // A library that FFmpeg loads asks for the memory's NUMA policy: there is none.
    seccomp_rule_add(filter, SCMP_ACT_ERRNO(ENOSYS), SCMP_SYS(get_mempolicy), 0);
}

// A refused call names itself on stderr, then ends the process by SIGSYS.
void sayRefused(int, siginfo_t* info, void*) {
    char text[] = "vbmp3-decoder: refused system call 000\n";
    const size_t digits = sizeof text - 5;
    for (int i = 0, call = info->si_syscall; i < 3; ++i, call /= 10)
        text[digits + 2 - i] = static_cast<char>('0' + call % 10);
    static_cast<void>(::write(STDERR_FILENO, text, sizeof text - 1));
    std::signal(SIGSYS, SIG_DFL);
    std::raise(SIGSYS);
}

// Only the calls of kAllowed and threads; opening a file too where Landlock decides what it may
// open, else refused (EACCES) with no harm done. False with the reason where the kernel refuses.
bool filterCalls(bool landlocked, std::string& refused) {
    struct sigaction onRefused {};
    onRefused.sa_sigaction = sayRefused;
    onRefused.sa_flags = SA_SIGINFO;
    sigaction(SIGSYS, &onRefused, nullptr);
    scmp_filter_ctx filter = seccomp_init(SCMP_ACT_TRAP);
    if (!filter) {
        refused = "seccomp: no filter";
        return false;
    }
    for (const Allowed& allowed : kAllowed)
        seccomp_rule_add(filter, SCMP_ACT_ALLOW, allowed.call, 0);
    allowThreadsAndLoading(filter);
    const uint32_t opening = landlocked ? SCMP_ACT_ALLOW : SCMP_ACT_ERRNO(EACCES);
    seccomp_rule_add(filter, opening, SCMP_SYS(openat), 0);
    seccomp_rule_add(filter, opening, SCMP_SYS(open), 0);
    const int loaded = seccomp_load(filter);
    seccomp_release(filter);
    if (loaded != 0)
        refused = std::string("seccomp: ") + std::strerror(-loaded);
    return loaded == 0;
}

} // namespace

void lockDown(bool speak) {
    std::vector<std::string> refused;
    const rlimit space{kAddressSpaceBytes, kAddressSpaceBytes};
    const rlimit noCore{0, 0}; // a hostile file's decoder leaves nothing behind
    if ((!kSanitized && ::setrlimit(RLIMIT_AS, &space) != 0) ||
        ::setrlimit(RLIMIT_CORE, &noCore) != 0)
        refused.push_back(std::string("memory limit: ") + std::strerror(errno));
    if (::prctl(PR_SET_NO_NEW_PRIVS, 1, 0, 0, 0) != 0)
        refused.push_back(std::string("no new privileges: ") + std::strerror(errno));
    std::string why;
    const bool landlocked = restrictFileSystem(why);
    if (!landlocked) {
        refused.push_back(why);
        // Nothing will open later: what decoding loads when first needed is loaded now.
        loadFfmpegModule();
        engineMidiSynth();
    }
    if (!kSanitized && !filterCalls(landlocked, why))
        refused.push_back(why);
    for (const std::string& reason : refused)
        if (speak)
            std::fprintf(stderr, "vbmp3-decoder: decoding runs less shut in (%s)\n",
                         reason.c_str());
}

} // namespace vbmp3
