/* Preloaded into a process that plays through libpulse: every connect to the sound server takes
 * SLOW_CONNECT_MS milliseconds (700 unless set) before it begins, as a connect that looks up an
 * unreachable server does. */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <pulse/context.h>
#include <stdlib.h>
#include <time.h>

typedef int (*Connect)(pa_context*, const char*, pa_context_flags_t, const pa_spawn_api*);

int pa_context_connect(pa_context* context, const char* server, pa_context_flags_t flags,
                       const pa_spawn_api* api) {
    const char* text = getenv("SLOW_CONNECT_MS");
    const long ms = text ? atol(text) : 700;
    const struct timespec delay = {ms / 1000, ms % 1000 * 1000000L};
    nanosleep(&delay, NULL);
    /* libpulse came with the library that calls this, not with the program. */
    void* pulse = dlopen("libpulse.so.0", RTLD_NOW | RTLD_NOLOAD);
    Connect connect = NULL;
    if (pulse)
        *(void**)&connect = dlsym(pulse, "pa_context_connect"); /* as dlsym's manual page does */
    return connect ? connect(context, server, flags, api) : -1;
}
