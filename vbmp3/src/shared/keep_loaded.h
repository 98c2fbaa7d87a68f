// For a thread of this library that is let go while it still runs (it hangs in a call that does
// not return in time): the library then stays loaded for the rest of the process, whatever its
// host unloads, so that the thread has its code when it runs on.
#pragma once

#include <dlfcn.h>

namespace vbmp3 {

inline void keepThisLibraryLoaded() {
    Dl_info info{};
    if (dladdr(reinterpret_cast<void*>(&keepThisLibraryLoaded), &info) && info.dli_fname)
        dlopen(info.dli_fname, RTLD_NOW | RTLD_NOLOAD | RTLD_NODELETE);
}

} // namespace vbmp3
