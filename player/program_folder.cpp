#include "player/program_folder.h"

#include <QDir>
#include <cstdlib>
#include <filesystem>
#include <string_view>
#include <unistd.h>

#include "platform/codepage.h"

namespace player {
namespace {

namespace fs = std::filesystem;

// A bare name as the shell found it: the first executable of that name in PATH.
fs::path searchedInPath(const std::string& name) {
    const char* variable = std::getenv("PATH");
    std::string_view folders = variable != nullptr ? variable : "";
    while (!folders.empty()) {
        const size_t colon = std::min(folders.find(':'), folders.size());
        const fs::path folder(folders.substr(0, colon).empty() ? "." : folders.substr(0, colon));
        const fs::path candidate = folder / name;
        std::error_code error;
        if (::access(candidate.c_str(), X_OK) == 0 && fs::is_regular_file(candidate, error))
            return candidate;
        folders.remove_prefix(std::min(colon + 1, folders.size()));
    }
    return {};
}

fs::path startedFile(const std::string& startedAs) {
    if (startedAs.find('/') != std::string::npos)
        return startedAs;
    fs::path found = startedAs.empty() ? fs::path() : searchedInPath(startedAs);
    std::error_code error;
    return found.empty() ? fs::read_symlink("/proc/self/exe", error) : found;
}

} // namespace

QString programFolder(const QByteArray& startedAs) {
    // All in bytes, the current folder's too: Qt's own paths are text, and a byte that is no
    // UTF-8 would come back from them as another name.
    std::error_code error;
    const fs::path folder = fs::absolute(startedFile(startedAs.toStdString()), error).parent_path();
    return QDir::cleanPath(platform::fromEightBit(QByteArray::fromStdString(folder.string())));
}

} // namespace player
