/* Preloaded into a process that plays through the engine, and active only in the engine's
 * decoder process (vbmp3-decoder), which inherits it: each read of the file whose name ends in
 * HOSTILE_NAME, from its byte HOSTILE_FROM on (0 unless set), does what HOSTILE_ACT says, as a
 * decoder that a crafted file has taken over would:
 *   crash   writes through a null pointer
 *   loop    goes round for ever (a millisecond's sleep each turn, so that it costs the tests
 *           running beside it no core)
 *   hog     allocates and touches memory without end
 *   work    runs (on a core, no sleep) for HOSTILE_WORK_MS of its thread's time, once, and then
 *           reads as usual: a slow but honest decoder on a busy machine
 *   passwd  opens /etc/passwd, and exits with status 66 if that worked, 65 if it was refused
 *   socket  opens a network socket, and exits with status 67 if that worked, 65 if it was refused
 * A call that the sandbox kills the process for ends it by SIGSYS instead. With HOSTILE_FIRST_ONLY
 * set it acts in the engine's first decoder process only, not in those that take over from it
 * (started with --quiet): the same file then plays. */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <errno.h>
#include <fcntl.h>
#include <limits.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/socket.h>
#include <time.h>
#include <unistd.h>

static int acting;

/* Before the process shuts itself in, which leaves /proc/self/cmdline unreadable. */
__attribute__((constructor)) static void decide(void) {
    if (strcmp(program_invocation_short_name, "vbmp3-decoder") != 0)
        return;
    acting = 1;
    if (!getenv("HOSTILE_FIRST_ONLY"))
        return;
    char line[4096] = {0};
    const int fd = open("/proc/self/cmdline", O_RDONLY);
    const ssize_t length = fd >= 0 ? read(fd, line, sizeof line - 1) : -1;
    if (fd >= 0)
        close(fd);
    for (ssize_t at = 0; at < length; at += (ssize_t)strlen(line + at) + 1)
        if (strcmp(line + at, "--quiet") == 0)
            acting = 0;
}

static int is_named(int fd) {
    const char* name = getenv("HOSTILE_NAME");
    if (!name || !*name || !acting)
        return 0;
    char link[64];
    char path[PATH_MAX];
    snprintf(link, sizeof link, "/proc/self/fd/%d", fd);
    const ssize_t length = readlink(link, path, sizeof path - 1);
    const size_t wanted = strlen(name);
    return length >= (ssize_t)wanted && memcmp(path + length - wanted, name, wanted) == 0;
}

static void act(int fd, off_t offset) {
    const char* from = getenv("HOSTILE_FROM");
    if (!is_named(fd) || offset < (from ? atoll(from) : 0))
        return;
    const char* what = getenv("HOSTILE_ACT");
    what = what ? what : "";
    if (strcmp(what, "crash") == 0) {
        *(volatile int*)(uintptr_t)0 = 1;
    } else if (strcmp(what, "loop") == 0) {
        for (;;) {
            const struct timespec turn = {0, 1000000};
            nanosleep(&turn, NULL);
        }
    } else if (strcmp(what, "work") == 0) {
        static int worked;
        if (worked++)
            return;
        const char* ms = getenv("HOSTILE_WORK_MS");
        const long long until = (ms ? atoll(ms) : 0) * 1000000;
        struct timespec now = {0, 0};
        while (clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now) == 0 &&
               (long long)now.tv_sec * 1000000000 + now.tv_nsec < until)
            ;
    } else if (strcmp(what, "hog") == 0) {
        for (;;) {
            char* block = malloc(1 << 20);
            if (!block)
                abort();
            memset(block, 1, 1 << 20);
        }
    } else if (strcmp(what, "passwd") == 0) {
        _exit(open("/etc/passwd", O_RDONLY) >= 0 ? 66 : 65);
    } else if (strcmp(what, "socket") == 0) {
        _exit(socket(AF_INET, SOCK_STREAM, 0) >= 0 ? 67 : 65);
    }
}

typedef ssize_t (*Read)(int, void*, size_t);
typedef ssize_t (*Pread)(int, void*, size_t, off_t);

ssize_t read(int fd, void* buffer, size_t count) {
    act(fd, lseek(fd, 0, SEEK_CUR));
    Read real = NULL;
    *(void**)&real = dlsym(RTLD_NEXT, "read");
    return real(fd, buffer, count);
}

static ssize_t pread_named(const char* name, int fd, void* buffer, size_t count, off_t offset) {
    act(fd, offset);
    Pread real = NULL;
    *(void**)&real = dlsym(RTLD_NEXT, name);
    return real(fd, buffer, count, offset);
}

ssize_t pread(int fd, void* buffer, size_t count, off_t offset) {
    return pread_named("pread", fd, buffer, count, offset);
}

ssize_t pread64(int fd, void* buffer, size_t count, off_t offset) {
    return pread_named("pread64", fd, buffer, count, offset);
}
