// Plays each file named on the command line for a moment through the C functions, then prints
// the file names of the shared libraries mapped by the process ("engine NAME") and by the
// engine's decoder process ("decoder NAME"), one a line.
#include <chrono>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <set>
#include <string>
#include <thread>

#include "vbmp3.h"

namespace {

void printLibraries(const std::string& where, const std::filesystem::path& process) {
    std::ifstream maps(process / "maps");
    std::set<std::string> libraries;
    for (std::string line; std::getline(maps, line);)
        if (const size_t slash = line.rfind('/'); slash != std::string::npos)
            libraries.insert(line.substr(slash + 1));
    for (const std::string& library : libraries)
        std::cout << where << ' ' << library << '\n';
}

} // namespace

int main(int argc, char** argv) {
    if (vbmp3_init() == 0)
        return 1;
    for (int i = 1; i < argc; ++i) {
        vbmp3_InputInfo info{};
        if (vbmp3_open(argv[i], &info) == 0)
            return 2;
        vbmp3_play();
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        vbmp3_close();
    }
    for (const auto& task : std::filesystem::directory_iterator("/proc/self/task")) {
        std::ifstream children(task.path() / "children");
        for (std::string child; children >> child;)
            printLibraries("decoder", std::filesystem::path("/proc") / child);
    }
    vbmp3_free();
    printLibraries("engine", "/proc/self");
    return 0;
}
