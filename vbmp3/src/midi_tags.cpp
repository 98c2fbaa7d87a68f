#include "midi_file.h"
#include "tags.h"

namespace vbmp3 {

bool readMidiTags(const std::string& path, Tags& out) {
    std::optional<MidiFile> file = loadMidiFile(path);
    if (!file)
        return false;
    out = Tags{};
    out.title = file->firstTrackName.empty() ? file->firstText : file->firstTrackName;
    out.comment = file->copyright;
    return true;
}

} // namespace vbmp3
