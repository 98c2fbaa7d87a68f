// The FFmpeg decoder, loaded from its module beside the engine when first needed.
#include "decoders/ffmpeg/module_entry.h"
#include "decoders/module_file.h"
#include "decoders/source.h"
#include "shared/library_symbol.h"
#include "shared/own_load.h"

#include <filesystem>

namespace vbmp3 {
namespace {

// The module sits in the folder of the object that holds this code: the engine library, or a
// program linked with the engine's core.
FfmpegOpenFunction load() {
    Dl_info self{};
    if (dladdr(reinterpret_cast<void*>(&load), &self) == 0 || self.dli_fname == nullptr)
        return nullptr;
    const std::filesystem::path module =
        std::filesystem::path(self.dli_fname).parent_path() / kFfmpegModuleFile;
    // What this process can map, the loader has mapped already: this object's own header.
    if (!isWholeModule(module.string(), *static_cast<const ElfW(Ehdr)*>(self.dli_fbase)))
        return nullptr;
    // Never closed: its sources may live as long as the process.
    void* handle = dlopen(module.c_str(), RTLD_NOW | RTLD_LOCAL);
    FfmpegOpenFunction open = nullptr;
    if (handle && !findSymbol(handle, open, kFfmpegOpenFunction)) {
        dlclose(handle);
        return nullptr;
    }
    return open;
}

FfmpegOpenFunction ffmpegOpen() {
    static const FfmpegOpenFunction open = [] {
        const OwnLoad loading;
        return load();
    }(); // once, thread-safe
    return open;
}

} // namespace

bool loadFfmpegModule() {
    return ffmpegOpen() != nullptr;
}

std::unique_ptr<Source> openFfmpegSource(const std::string& path) {
    const FfmpegOpenFunction open = ffmpegOpen();
    return std::unique_ptr<Source>(open ? open(path.c_str()) : nullptr);
}

} // namespace vbmp3
