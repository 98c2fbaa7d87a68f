#include "decoders/ffmpeg_input.h"
#include "tags/id3v1.h"
#include "tags/id3v2_bytes.h"
#include "tags/tags.h"

#include "legacy_text/code_page.h"

#include <initializer_list>
#include <vector>

extern "C" {
#include <libavformat/avformat.h>
}

namespace vbmp3 {
namespace {

// The first non-empty value among keys (matched without regard to case), in the container's
// metadata and then in each stream's.
std::string lookUp(const AVFormatContext& ctx, std::initializer_list<const char*> keys) {
    auto find = [&](const AVDictionary* dict) -> std::string {
        for (const char* key : keys) {
            const AVDictionaryEntry* entry = av_dict_get(dict, key, nullptr, 0);
            if (entry != nullptr && entry->value[0] != '\0')
                return entry->value;
        }
        return {};
    };
    std::string value = find(ctx.metadata);
    for (unsigned i = 0; value.empty() && i < ctx.nb_streams; ++i)
        value = find(ctx.streams[i]->metadata);
    return value;
}

// ID3v2 comments with a description arrive under "comment-<description>".
std::string anyComment(const AVFormatContext& ctx) {
    std::string plain = lookUp(ctx, {"comment", "description", "WM/Comments"});
    if (!plain.empty())
        return plain;
    const AVDictionaryEntry* entry =
        av_dict_get(ctx.metadata, "comment", nullptr, AV_DICT_IGNORE_SUFFIX);
    return entry != nullptr ? entry->value : std::string();
}

// A year out of a date such as "2024-05-01"; other forms pass as they are.
std::string yearOf(const std::string& date) {
    return date.size() > 4 && date[4] == '-' ? date.substr(0, 4) : date;
}

void readContainerTags(const AVFormatContext& ctx, Tags& out) {
    out.title = lookUp(ctx, {"title"});
    out.artist = lookUp(ctx, {"artist", "author", "album_artist"});
    out.album = lookUp(ctx, {"album", "WM/AlbumTitle"});
    // ASF keeps its year as WM/Year, which FFmpeg does not map to date.
    out.year = yearOf(lookUp(ctx, {"date", "year", "WM/Year", "TYER", "TDRC"}));
    out.comment = anyComment(ctx);
    out.genreName = lookUp(ctx, {"genre", "WM/Genre"});
}

// The text fields of tags, for the code-page decision over all of a file's text.
std::vector<std::string*> textFields(Tags& tags) {
    return {&tags.title, &tags.artist, &tags.album, &tags.year, &tags.comment, &tags.genreName};
}

// Fields FFmpeg read as Latin-1 go back to their bytes, which decide the code page.
void takeByteFields(Tags& tags, Tags& bytes) {
    std::vector<std::string*> to = textFields(tags);
    std::vector<std::string*> from = textFields(bytes);
    for (size_t i = 0; i < to.size(); ++i)
        if (!from[i]->empty())
            *to[i] = std::move(*from[i]);
}

} // namespace

bool readFfmpegTags(const std::string& path, Tags& out) {
    out = Tags{};
    std::optional<Tags> v1 = readId3v1(path);
    FfmpegInput input;
    const bool opened = input.open(path);
    if (opened) {
        readContainerTags(*input.format(), out);
        Tags bytes = readId3v2ByteFields(path);
        takeByteFields(out, bytes);
    }
    // ID3v2 bytes, RIFF INFO (which FFmpeg passes on as stored) and ID3v1 hold 8-bit text of
    // one tagger, so one code page is decided for all of it.
    std::vector<std::string*> texts = textFields(out);
    if (v1) {
        std::vector<std::string*> v1Texts = textFields(*v1);
        texts.insert(texts.end(), v1Texts.begin(), v1Texts.end());
    }
    legacy_text::decodeTogether(texts);
    if (v1)
        mergeId3v1(out, *v1);
    return opened || v1.has_value();
}

} // namespace vbmp3
