#include "record_copies.h"

#include "platform/codepage.h"

namespace engine {
namespace {

template <size_t N> void textIn(const QString& text, char (&slot)[N]) {
    platform::toSlot(text, slot, N);
}
template <size_t N> QString textOut(const char (&slot)[N]) {
    return platform::fromSlot(slot, N);
}

} // namespace

vbmp3_InputInfo toRaw(const InputInfo& info) {
    vbmp3_InputInfo raw{};
    textIn(info.formatName, raw.formatName);
    textIn(info.codecName, raw.codecName);
    raw.sampleRate = info.sampleRate;
    raw.channels = info.channels;
    raw.bitRate = info.bitRate;
    raw.totalSeconds = info.totalSeconds;
    return raw;
}

void fromRaw(const vbmp3_InputInfo& raw, InputInfo& info) {
    info.formatName = textOut(raw.formatName);
    info.codecName = textOut(raw.codecName);
    info.sampleRate = raw.sampleRate;
    info.channels = raw.channels;
    info.bitRate = raw.bitRate;
    info.totalSeconds = raw.totalSeconds;
}

vbmp3_TagInfo toRaw(const TagInfo& tag) {
    vbmp3_TagInfo raw{};
    textIn(tag.title, raw.title);
    textIn(tag.artist, raw.artist);
    textIn(tag.album, raw.album);
    textIn(tag.year, raw.year);
    textIn(tag.comment, raw.comment);
    raw.genreCode = tag.genreCode;
    textIn(tag.genreName, raw.genreName);
    return raw;
}

void fromRaw(const vbmp3_TagInfo& raw, TagInfo& tag) {
    tag.title = textOut(raw.title);
    tag.artist = textOut(raw.artist);
    tag.album = textOut(raw.album);
    tag.year = textOut(raw.year);
    tag.comment = textOut(raw.comment);
    tag.genreCode = raw.genreCode;
    tag.genreName = textOut(raw.genreName);
}

} // namespace engine
