// A fresh folder under the system's temporary folder, for one test's files: its own per process
// and per instance, so that parallel test processes never share one, and removed with everything
// in it when the object goes.
#pragma once

#include <filesystem>
#include <string>

namespace test_support {

class TempFolder {
public:
    TempFolder(); // throws std::filesystem::filesystem_error if no folder can be made
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::filesystem::path& path() const { return path_; }
    // The path of `name` inside the folder, as the engine's functions take it.
    std::string file(const std::string& name) const { return (path_ / name).string(); }

private:
    std::filesystem::path path_;
};

// One folder for the whole test process, removed when the process ends normally.
const std::filesystem::path& processFolder();

} // namespace test_support
