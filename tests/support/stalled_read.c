/* Preloaded into a process that plays through the engine: reads of the file whose name ends in
 * STALLED_READ_NAME hang for STALLED_READ_SECONDS (30 unless set), as reads from a network share
 * that stopped answering do. They hang on the threads whose name begins with STALLED_READ_THREAD
 * ("vbmp3-decoder": the file opens, then its decoding and closing hang), or, without it, on every
 * thread but the process's first (the engine's opening and tag reading too); in the engine's
 * decoder process, on its decoding threads or on all of them likewise. */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <errno.h>
#include <limits.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/prctl.h>
#include <sys/syscall.h>
#include <time.h>
#include <unistd.h>

static int stalls_on_this_thread(void) {
    const char* prefix = getenv("STALLED_READ_THREAD");
    const int first = syscall(SYS_gettid) == getpid();
    /* The engine's decoder process opens and reads tags on its first thread and decodes on the
     * others (whose names its call filter may keep from the shim). */
    if (strcmp(program_invocation_short_name, "vbmp3-decoder") == 0)
        return !prefix || !*prefix || !first;
    if (!prefix || !*prefix)
        return !first;
    char thread[16] = "";
    prctl(PR_GET_NAME, thread, 0, 0, 0);
    return strncmp(thread, prefix, strlen(prefix)) == 0;
}

static void stall_if_named(int fd) {
    const char* name = getenv("STALLED_READ_NAME");
    if (!name || !*name || !stalls_on_this_thread())
        return;
    char link[64];
    char path[PATH_MAX];
    snprintf(link, sizeof link, "/proc/self/fd/%d", fd);
    const ssize_t length = readlink(link, path, sizeof path - 1);
    const size_t wanted = strlen(name);
    if (length < (ssize_t)wanted || memcmp(path + length - wanted, name, wanted) != 0)
        return;
    const char* text = getenv("STALLED_READ_SECONDS");
    const struct timespec delay = {text ? atol(text) : 30, 0};
    nanosleep(&delay, NULL);
}

typedef ssize_t (*Read)(int, void*, size_t);
typedef ssize_t (*Pread)(int, void*, size_t, off_t);

/* The C library's own, as dlsym's manual page takes a function from it. */
static void* next(const char* name) {
    return dlsym(RTLD_NEXT, name);
}

ssize_t read(int fd, void* buffer, size_t count) {
    stall_if_named(fd);
    Read real = NULL;
    *(void**)&real = next("read");
    return real(fd, buffer, count);
}

static ssize_t pread_named(const char* name, int fd, void* buffer, size_t count, off_t offset) {
    stall_if_named(fd);
    Pread real = NULL;
    *(void**)&real = next(name);
    return real(fd, buffer, count, offset);
}

ssize_t pread(int fd, void* buffer, size_t count, off_t offset) {
    return pread_named("pread", fd, buffer, count, offset);
}

ssize_t pread64(int fd, void* buffer, size_t count, off_t offset) {
    return pread_named("pread64", fd, buffer, count, offset);
}
