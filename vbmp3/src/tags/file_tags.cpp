// The tags of MP3, WAV and WMA files, read with TagLib without its look at the audio, and only
// from the parts of a file where each format keeps them.
#include "tags/file_windows.h"
#include "tags/id3_tags.h"
#include "tags/tag_text.h"
#include "tags/tag_windows.h"
#include "tags/tags.h"

#include "legacy_text/code_page.h"

#include <taglib/asffile.h>
#include <taglib/id3v1tag.h>
#include <taglib/id3v2framefactory.h>
#include <taglib/id3v2tag.h>
#include <taglib/mpegfile.h>
#include <taglib/wavfile.h>

namespace vbmp3 {
namespace {

// TagLib reads RIFF INFO text as UTF-8 unless a process-wide handler says otherwise, and drops
// what is not; the chunk's own bytes are read here instead.
class WaveFile : public TagLib::RIFF::WAV::File {
public:
    using TagLib::RIFF::WAV::File::File;

    Tags storedInfoFields() {
        Tags tags;
        for (unsigned i = 0; i < chunkCount(); ++i) {
            if (chunkName(i) != "LIST")
                continue; // the samples are not read
            const TagLib::ByteVector data = chunkData(i);
            if (data.startsWith("INFO"))
                readInfoList(std::string(data.data(), data.size()), tags);
        }
        tags.year = yearOf(tags.year);
        return tags;
    }

private:
    static void readInfoList(const std::string& list, Tags& tags) {
        for (size_t at = 4; at + 8 <= list.size();) {
            const std::string id = list.substr(at, 4);
            const auto* size = reinterpret_cast<const unsigned char*>(list.data() + at + 4);
            const size_t length = size[0] | size[1] << 8 | size[2] << 16 | size_t{size[3]} << 24;
            const std::string value = list.substr(at + 8, std::min(length, list.size() - at - 8));
            if (std::string* field = fieldOf(id, tags); field && field->empty())
                *field = value.substr(0, value.find('\0'));
            at += 8 + length + (length % 2);
        }
    }

    static std::string* fieldOf(const std::string& id, Tags& tags) {
        const std::pair<const char*, std::string*> fields[] = {
            {"INAM", &tags.title}, {"IART", &tags.artist},  {"IPRD", &tags.album},
            {"ICRD", &tags.year},  {"ICMT", &tags.comment}, {"IGNR", &tags.genreName}};
        for (const auto& [name, field] : fields)
            if (id == name)
                return field;
        return nullptr;
    }
};

std::string attribute(const TagLib::ASF::Tag& tag, const char* name) {
    const TagLib::ASF::AttributeList values = tag.attribute(name);
    return values.isEmpty() ? std::string() : utf8Of(values.front().toString());
}

} // namespace

bool readMpegTags(const std::string& path, Tags& out) {
    out = Tags{};
    FileWindows stream(path);
    openMpegTagWindows(stream);
    TagLib::MPEG::File file(&stream, TagLib::ID3v2::FrameFactory::instance(), false);
    if (!file.isOpen())
        return false;
    if (file.hasID3v2Tag())
        out = storedId3v2Fields(*file.ID3v2Tag());
    Tags v1;
    std::vector<std::string*> texts = textFields(out);
    if (file.hasID3v1Tag()) {
        v1 = storedId3v1Fields(*file.ID3v1Tag());
        const std::vector<std::string*> v1Texts = textFields(v1);
        texts.insert(texts.end(), v1Texts.begin(), v1Texts.end());
    }
    // ID3v2 bytes and ID3v1 hold 8-bit text of one tagger: one code page for all of it.
    legacy_text::decodeTogether(texts);
    if (file.hasID3v1Tag()) {
        fillEmptyFields(out, v1);
        out.genreCode = v1.genreCode;
    }
    return true;
}

bool readWaveTags(const std::string& path, Tags& out) {
    out = Tags{};
    FileWindows stream(path);
    openWaveTagWindows(stream);
    WaveFile file(&stream, false);
    if (!file.isOpen())
        return false;
    out = file.storedInfoFields();
    if (file.hasID3v2Tag())
        fillEmptyFields(out, storedId3v2Fields(*file.ID3v2Tag()));
    legacy_text::decodeTogether(textFields(out));
    return true;
}

bool readAsfTags(const std::string& path, Tags& out) {
    out = Tags{};
    FileWindows stream(path);
    openAsfTagWindows(stream);
    TagLib::ASF::File file(&stream, false);
    if (!file.isOpen())
        return false;
    const TagLib::ASF::Tag* tag = file.tag();
    if (!file.isValid() || tag == nullptr)
        return true; // no header to hold tags: a file to play all the same, if FFmpeg can
    out.title = utf8Of(tag->title());
    out.artist = utf8Of(tag->artist());
    out.album = attribute(*tag, "WM/AlbumTitle");
    out.year = yearOf(attribute(*tag, "WM/Year"));
    out.comment = utf8Of(tag->comment());
    // FFmpeg writes the comment as an attribute of that name.
    for (const char* name : {"Description", "WM/Comments"})
        out.comment = out.comment.empty() ? attribute(*tag, name) : out.comment;
    out.genreName = attribute(*tag, "WM/Genre");
    return true;
}

} // namespace vbmp3
