// The look at a module's file before dlopen maps it: a file cut short maps without complaint,
// and the process dies of SIGBUS at its first touch of a page past the file's end.
#pragma once

#include <link.h>
#include <string>

namespace vbmp3 {

// Whether `path` is a whole shared object that this process can map: an ELF file of the same
// class, byte order and machine as the loaded object whose header is `self`, whose header
// tables and loaded segments all lie inside the file.
bool isWholeModule(const std::string& path, const ElfW(Ehdr) & self);

} // namespace vbmp3
