#include "decoders/midi/midi_tags.h"
#include "decoders/file_head.h"
#include "decoders/midi/midi_file.h"

#include "legacy_text/code_page.h"

namespace vbmp3 {
namespace {

// The names and notices come at a song's start; the rest of its events are read only to play it.
constexpr size_t kTagBytes = 1 << 20;

} // namespace

bool readMidiTags(const std::string& path, Tags& out) {
    const std::optional<std::string> head = readFileHead(path, kTagBytes);
    std::optional<MidiFile> file =
        head ? parseMidiFile(std::vector<uint8_t>(head->begin(), head->end())) : std::nullopt;
    if (!file)
        return false;
    out = Tags{};
    // Meta event text has no code page of its own: decided over all of it together.
    legacy_text::decodeTogether({&file->firstTrackName, &file->firstText, &file->copyright});
    out.title = file->firstTrackName.empty() ? file->firstText : file->firstTrackName;
    out.comment = file->copyright;
    return true;
}

} // namespace vbmp3
