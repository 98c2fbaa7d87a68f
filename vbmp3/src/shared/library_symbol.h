// Functions of a library opened at run time (dlopen), for the drivers loaded only when needed.
#pragma once

#include <dlfcn.h>

namespace vbmp3 {

// Sets `function` to the library's function of that name; false if the library lacks it.
template <typename Function> bool findSymbol(void* handle, Function& function, const char* name) {
    function = reinterpret_cast<Function>(dlsym(handle, name));
    return function != nullptr;
}

} // namespace vbmp3
