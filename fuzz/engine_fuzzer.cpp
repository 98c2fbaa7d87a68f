// libFuzzer entry: every input goes through the engine as a file on disk.
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <unistd.h>

#include "engine_input.h"

namespace {

// One folder per process, so that parallel fuzzers do not overwrite each other's inputs.
struct Folder {
    std::filesystem::path path =
        std::filesystem::temp_directory_path() / ("engine_fuzzer_" + std::to_string(::getpid()));
    Folder() { std::filesystem::create_directories(path); }
    ~Folder() {
        std::error_code ignored;
        std::filesystem::remove_all(path, ignored);
    }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static Folder folder;
    const std::string broken = fuzz::runThroughEngine(data, size, folder.path);
    if (!broken.empty()) {
        std::fprintf(stderr, "engine_fuzzer: %s\n", broken.c_str());
        std::abort();
    }
    return 0;
}
