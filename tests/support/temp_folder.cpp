#include "temp_folder.h"

#include <cerrno>
#include <csignal>
#include <system_error>
#include <unistd.h>

namespace test_support {
namespace {

namespace fs = std::filesystem;

// The owner's process id is in the name, so that a folder left by a test process that crashed or
// was killed can be told from one in use.
const std::string kPrefix = "tonalisk_test_";

bool processIsGone(const std::string& folderName) {
    const size_t start = kPrefix.size();
    const size_t end = folderName.find('_', start);
    if (folderName.rfind(kPrefix, 0) != 0 || end == std::string::npos)
        return false;
    const pid_t pid = static_cast<pid_t>(std::stol(folderName.substr(start, end - start)));
    return ::kill(pid, 0) != 0 && errno == ESRCH;
}

// Removes what earlier test processes left when they ended without unwinding.
void removeOrphans(const fs::path& top) {
    std::error_code ignored;
    for (const fs::directory_entry& entry : fs::directory_iterator(top, ignored)) {
        if (processIsGone(entry.path().filename().string()))
            fs::remove_all(entry.path(), ignored);
    }
}

} // namespace

TempFolder::TempFolder() {
    const fs::path top = fs::temp_directory_path();
    removeOrphans(top);
    std::string name = (top / (kPrefix + std::to_string(::getpid()) + "_XXXXXX")).string();
    if (::mkdtemp(name.data()) == nullptr)
        throw fs::filesystem_error("cannot make a temporary folder", name,
                                   std::error_code(errno, std::generic_category()));
    path_ = name;
}

TempFolder::~TempFolder() {
    std::error_code ignored;
    fs::remove_all(path_, ignored);
}

const fs::path& processFolder() {
    static const TempFolder folder;
    return folder.path();
}

} // namespace test_support
