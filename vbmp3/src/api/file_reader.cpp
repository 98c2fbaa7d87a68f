#include "api/file_reader.h"

#include <sys/stat.h>
#include <utility>

namespace vbmp3 {
namespace {

std::optional<FileStamp> stampOf(const std::string& path) {
    struct stat info {};
    if (stat(path.c_str(), &info) != 0)
        return std::nullopt;
    return FileStamp{path, info.st_dev, info.st_ino, static_cast<uint64_t>(info.st_size),
                     int64_t{info.st_mtim.tv_sec} * 1'000'000'000 + info.st_mtim.tv_nsec};
}

std::optional<Tags> tagsOf(const std::string& path) {
    Tags tags;
    if (!readTags(path, tags))
        return std::nullopt;
    return tags;
}

} // namespace

std::optional<OpenedFile> FileReader::open(const std::string& path) {
    std::promise<std::optional<Tags>> tags;
    LaterTags later = tags.get_future().share();
    return errands_.run<OpenedFile>(
        path,
        [path, later]() -> std::optional<OpenedFile> {
            // Looked at before the open: a file changed meanwhile reads as another one later.
            std::optional<FileStamp> stamp = stampOf(path);
            std::unique_ptr<Source> source = stamp ? openSource(path) : nullptr;
            if (!source)
                return std::nullopt;
            return OpenedFile{std::move(source), ReadFile{std::move(*stamp), later}};
        },
        [path, tags = std::move(tags)]() mutable { tags.set_value(tagsOf(path)); });
}

std::optional<Tags> FileReader::tags(const std::string& path, const std::optional<ReadFile>& last) {
    return errands_.run<Tags>(
        path,
        [path, last]() -> std::optional<Tags> {
            if (last && stampOf(path) == last->stamp)
                return last->tags.get();
            return tagsOf(path);
        },
        [] {});
}

std::optional<std::string> FileReader::picture(const std::string& path,
                                               std::chrono::milliseconds bound) {
    return errands_.run<std::string>(
        path,
        [path]() -> std::optional<std::string> {
            std::string picture = readPicture(path);
            if (picture.empty())
                return std::nullopt;
            return picture;
        },
        [] {}, bound);
}

} // namespace vbmp3
