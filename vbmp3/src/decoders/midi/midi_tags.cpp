#include "decoders/midi/midi_file.h"
#include "tags/tags.h"

#include "legacy_text/code_page.h"

namespace vbmp3 {

bool readMidiTags(const std::string& path, Tags& out) {
    std::optional<MidiFile> file = loadMidiFile(path);
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
