// A temporary folder of tracks in every format the engine decodes, plus damaged files (empty,
// noise, cut short), with a checksum of each so a test can tell that nothing was written to them.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "temp_folder.h"

namespace soak {

class TrackFolder {
public:
    TrackFolder(); // writes the files; they go with the folder

    const std::vector<std::string>& music() const { return music_; }
    // Files that may or may not open; only a clean result is expected of them.
    const std::vector<std::string>& damaged() const { return damaged_; }
    // Path to checksum of every file in the folder, as it is now.
    std::map<std::string, uint64_t> checksums() const;
    std::string pathFor(const std::string& name) const { return root_.file(name); }

private:
    test_support::TempFolder root_;
    std::vector<std::string> music_;
    std::vector<std::string> damaged_;
};

} // namespace soak
