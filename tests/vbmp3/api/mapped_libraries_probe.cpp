// Plays each file named on the command line for a moment through the C functions, then prints
// the file names of the shared libraries that the process has mapped, one a line.
#include <chrono>
#include <fstream>
#include <iostream>
#include <set>
#include <string>
#include <thread>

#include "vbmp3.h"

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
    vbmp3_free();
    std::ifstream maps("/proc/self/maps");
    std::set<std::string> libraries;
    for (std::string line; std::getline(maps, line);)
        if (const size_t slash = line.rfind('/'); slash != std::string::npos)
            libraries.insert(line.substr(slash + 1));
    for (const std::string& library : libraries)
        std::cout << library << '\n';
    return 0;
}
