// The decoders in the order the engine asks them, each with the same say over playback and tags.
#include "decoders/source.h"

#include "decoders/file_head.h"
#include "decoders/midi/midi_tags.h"
#include "decoders/mpeg_layout.h"
#include "tags/pictures.h"
#include "tags/tags.h"

#include <string_view>

namespace vbmp3 {
namespace {

// Enough of a file's start for every decoder's signature, MPEG audio frames after junk included.
constexpr size_t kHeadBytes = 65536;
// Enough for the signatures that choose a tag reader, all at the file's very start: frames after
// junk, which only the longer look finds, tell MPEG audio from whatever else FFmpeg plays, and
// both read ID3 tags.
constexpr size_t kTagHeadBytes = 16;

bool isStandardMidiFile(std::string_view head) {
    return head.starts_with("MThd");
}

// The form type follows the chunk's size; a file shorter than that is none.
bool isRiffWave(std::string_view head) {
    return head.starts_with("RIFF") && head.size() >= 12 && head.substr(8, 4) == "WAVE";
}

// The ASF header object's GUID.
bool isAsf(std::string_view head) {
    return head.starts_with("\x30\x26\xB2\x75\x8E\x66\xCF\x11");
}

// An ID3v2 tag, or MPEG audio frames at the start or after bytes that are no tag (mpeg_layout.cpp
// looks for them as libmpg123 does); not a file that another decoder's signature claims, though
// frames may follow that signature.
bool isMpegAudio(std::string_view head) {
    if (isStandardMidiFile(head) || head.starts_with("RIFF") || isAsf(head))
        return false;
    return head.starts_with("ID3") || firstMpegFrame(head).has_value();
}

// FFmpeg probes the content itself.
bool anyFile(std::string_view) {
    return true;
}

struct Decoder {
    bool (*accepts)(std::string_view head);
    std::unique_ptr<Source> (*openSource)(const std::string& path);
    bool (*readTags)(const std::string& path, Tags& out);
    std::string (*readPicture)(const std::string& path);
};

// The lightest decoder that takes a file plays it; one that refuses it (an MP3 inside a WAV, a
// codec it lacks) passes it on down the list. FFmpeg takes whatever comes its way, so it ends
// the list. The first decoder that accepts a file reads its tags and its picture.
constexpr Decoder kDecoders[] = {
    {isStandardMidiFile, openMidiSource, readMidiTags, readNoPicture},
    {isMpegAudio, openMpg123Source, readMpegTags, readMpegPicture},
    {isRiffWave, openSndfileSource, readWaveTags, readWavePicture},
    {isAsf, openFfmpegSource, readAsfTags, readAsfPicture},
    // Whatever else FFmpeg plays may carry an ID3 tag at either end, as MP3 files do.
    {anyFile, openFfmpegSource, readMpegTags, readMpegPicture},
};

// The first decoder that accepts the file, which reads its tags and picture; none for a path
// that is no regular, non-empty file.
const Decoder* tagReaderOf(const std::string& path) {
    const std::optional<std::string> head = readFileHead(path, kTagHeadBytes);
    for (const Decoder& decoder : kDecoders)
        if (head && decoder.accepts(*head))
            return &decoder;
    return nullptr;
}

} // namespace

// readFileHead gives nothing for a path that is no regular, non-empty file: reading a FIFO or a
// device would block.
std::unique_ptr<Source> openSource(const std::string& path) {
    const std::optional<std::string> head = readFileHead(path, kHeadBytes);
    for (const Decoder& decoder : kDecoders)
        if (head && decoder.accepts(*head))
            if (std::unique_ptr<Source> source = decoder.openSource(path))
                return source;
    return nullptr;
}

bool readTags(const std::string& path, Tags& out) {
    out = Tags{};
    const Decoder* decoder = tagReaderOf(path);
    return decoder != nullptr && decoder->readTags(path, out);
}

std::string readPicture(const std::string& path) {
    const Decoder* decoder = tagReaderOf(path);
    return decoder != nullptr ? decoder->readPicture(path) : std::string();
}

} // namespace vbmp3
