#include "engine_input.h"

#include <algorithm>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <memory>
#include <unistd.h>
#include <vector>

#include "api/boundary_text.h"
#include "decoders/source.h"
#include "shared/readable_file.h"
#include "tags/pictures.h"
#include "tags/tags.h"

namespace fuzz {
namespace {

using vbmp3::kOutputChannels;

// The content picks the decoder, but the player hands over names with these endings.
constexpr const char* kExtensions[] = {".mp3", ".wav", ".wma", ".mid"};

// Enough to pass every decoder's first blocks and the resampler, and so little that a file of
// hours costs no more than one of seconds.
constexpr size_t kFramesPerRead = 4096;
constexpr double kSecondsFromStart = 3;
constexpr double kSecondsAfterSeek = 0.5;
constexpr int kMaxReads = 64;

bool writeFile(const std::filesystem::path& path, const uint8_t* data, size_t size) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    return static_cast<bool>(out);
}

bool terminated(const char* slot, size_t n) {
    return std::memchr(slot, '\0', n) != nullptr;
}

std::string checkTags(const std::string& path) {
    vbmp3::Tags tags;
    if (!vbmp3::readTags(path, tags))
        return {};
    vbmp3_TagInfo info;
    std::memset(&info, 0x55, sizeof info); // no NUL where fillTagInfo leaves a slot unwritten
    vbmp3::fillTagInfo(tags, info);
    const bool allTerminated =
        terminated(info.title, sizeof info.title) && terminated(info.artist, sizeof info.artist) &&
        terminated(info.album, sizeof info.album) && terminated(info.year, sizeof info.year) &&
        terminated(info.comment, sizeof info.comment) &&
        terminated(info.genreName, sizeof info.genreName);
    return allTerminated ? "" : "a tag slot without its terminating NUL";
}

std::string checkPicture(const std::string& path) {
    return vbmp3::readPicture(path).size() <= vbmp3::kMaxPictureBytes ? ""
                                                                      : "a picture above the limit";
}

std::string checkFacts(const vbmp3::StreamFacts& facts) {
    if (facts.totalFrames < 0)
        return "a negative length";
    if (facts.sampleRate <= 0 || facts.channels <= 0)
        return "a stream without samples or channels";
    return {};
}

// Reads up to `limit` frames into `frames`; an error if a read claims more than it was given.
std::string play(vbmp3::Source& source, size_t limit, size_t& frames) {
    std::vector<float> buffer(kFramesPerRead * kOutputChannels);
    frames = 0;
    for (int i = 0; i < kMaxReads && frames < limit; ++i) {
        const size_t asked = std::min(kFramesPerRead, limit - frames);
        const size_t got = source.read(buffer.data(), asked);
        if (got > asked)
            return "a read returned more frames than it was asked for";
        if (got == 0)
            break;
        frames += got;
    }
    return {};
}

std::string runFile(const std::string& path) {
    std::unique_ptr<vbmp3::Source> source = vbmp3::openSource(path);
    std::string broken = checkTags(path);
    if (broken.empty())
        broken = checkPicture(path);
    if (!source || !broken.empty())
        return broken;
    const vbmp3::StreamFacts& facts = source->facts();
    if (!(broken = checkFacts(facts)).empty())
        return broken;
    const auto framesIn = [&facts](double seconds) {
        return static_cast<size_t>(seconds * facts.sampleRate);
    };
    size_t frames = 0;
    if (!(broken = play(*source, framesIn(kSecondsFromStart), frames)).empty())
        return broken;
    if (source->seek(facts.totalFrames / 2) &&
        !(broken = play(*source, framesIn(kSecondsAfterSeek), frames)).empty())
        return broken;
    if (source->seek(facts.totalFrames + facts.sampleRate)) {
        if (!(broken = play(*source, framesIn(kSecondsAfterSeek), frames)).empty())
            return broken;
        if (frames > 0)
            return "a seek past the end did not read as the end";
    }
    return {};
}

} // namespace

std::string runThroughEngine(const uint8_t* data, size_t size,
                             const std::filesystem::path& folder) {
    for (const char* extension : kExtensions) {
        const std::filesystem::path path = folder / (std::string("input") + extension);
        if (!writeFile(path, data, size))
            return "cannot write " + path.string();
        // Handed over as the decoder process gets each file: already open, named by descriptor.
        const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
        if (fd < 0)
            return "cannot open " + path.string();
        std::string broken = runFile(vbmp3::descriptorPath(fd));
        ::close(fd);
        if (!broken.empty())
            return broken + " (as " + extension + ")";
    }
    return {};
}

} // namespace fuzz
