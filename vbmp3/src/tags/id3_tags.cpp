#include "tags/id3_tags.h"

#include "tags/tag_text.h"

#include <algorithm>
#include <taglib/commentsframe.h>
#include <taglib/id3v1genres.h>
#include <taglib/id3v1tag.h>
#include <taglib/id3v2tag.h>
#include <taglib/textidentificationframe.h>

namespace vbmp3 {
namespace {

constexpr unsigned kNoGenre = 255;

// TagLib keeps a frame's encoding byte as it was found, so a damaged frame may hold any number:
// it is compared as a number, never held as the enumeration it should be.
template <typename Frame> bool inLatin1(const Frame& frame) {
    return static_cast<int>(frame.textEncoding()) == static_cast<int>(TagLib::String::Latin1);
}

std::string fieldText(const TagLib::String& text, bool latin1) {
    return latin1 ? storedBytes(text) : utf8Of(text);
}

// The first value of a text frame (TagLib names version 2.2's frames and 2.3's year as 2.4's).
std::string textFrame(const TagLib::ID3v2::Tag& tag, const char* id) {
    const TagLib::ID3v2::FrameList& frames = tag.frameList(id);
    if (frames.isEmpty())
        return {};
    const auto* frame = dynamic_cast<const TagLib::ID3v2::TextIdentificationFrame*>(frames.front());
    if (frame == nullptr || frame->fieldList().isEmpty())
        return {};
    return fieldText(frame->fieldList().front(), inLatin1(*frame));
}

// The comment without a description, as players show it; else the first one; else a user text
// frame named so, as FFmpeg writes a comment.
std::string comment(const TagLib::ID3v2::Tag& tag) {
    const TagLib::ID3v2::FrameList& frames = tag.frameList("COMM");
    const TagLib::ID3v2::CommentsFrame* chosen = nullptr;
    for (const TagLib::ID3v2::Frame* frame : frames) {
        const auto* c = dynamic_cast<const TagLib::ID3v2::CommentsFrame*>(frame);
        if (c != nullptr && (chosen == nullptr || c->description().isEmpty()))
            chosen = chosen != nullptr && chosen->description().isEmpty() ? chosen : c;
    }
    if (chosen)
        return fieldText(chosen->text(), inLatin1(*chosen));
    for (const TagLib::ID3v2::Frame* frame : tag.frameList("TXXX")) {
        const auto* text = dynamic_cast<const TagLib::ID3v2::UserTextIdentificationFrame*>(frame);
        if (text && text->description().upper() == "COMMENT" && text->fieldList().size() > 1)
            return fieldText(text->fieldList()[1], inLatin1(*text));
    }
    return {};
}

// A genre given as an ID3v1 number ("17", which TagLib makes of 2.3's "(17)") by its name.
std::string genreName(const std::string& genre) {
    const bool number =
        !genre.empty() && genre.size() <= 3 &&
        std::all_of(genre.begin(), genre.end(), [](char c) { return c >= '0' && c <= '9'; });
    return number ? utf8Of(TagLib::ID3v1::genre(std::stoi(genre))) : genre;
}

} // namespace

Tags storedId3v2Fields(const TagLib::ID3v2::Tag& tag) {
    Tags tags;
    tags.title = textFrame(tag, "TIT2");
    tags.artist = textFrame(tag, "TPE1");
    tags.album = textFrame(tag, "TALB");
    tags.year = yearOf(textFrame(tag, "TDRC"));
    tags.comment = comment(tag);
    tags.genreName = genreName(textFrame(tag, "TCON"));
    return tags;
}

Tags storedId3v1Fields(const TagLib::ID3v1::Tag& tag) {
    Tags tags;
    tags.title = storedBytes(tag.title());
    tags.artist = storedBytes(tag.artist());
    tags.album = storedBytes(tag.album());
    tags.year = tag.year() > 0 ? std::to_string(tag.year()) : std::string();
    tags.comment = storedBytes(tag.comment());
    tags.genreCode = tag.genreNumber() == kNoGenre ? -1 : static_cast<int32_t>(tag.genreNumber());
    return tags;
}

} // namespace vbmp3
