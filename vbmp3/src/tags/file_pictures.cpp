// The embedded pictures of MP3, WAV and WMA files, read through the same windows as their tags:
// never the audio, and never more than a window of any file.
#include "tags/pictures.h"
#include "tags/tag_windows.h"

#include <taglib/asffile.h>
#include <taglib/attachedpictureframe.h>
#include <taglib/id3v2framefactory.h>
#include <taglib/id3v2tag.h>
#include <taglib/mpegfile.h>
#include <taglib/wavfile.h>
#include <vector>

namespace vbmp3 {
namespace {

// The picture type that ID3v2 and ASF alike give a front cover.
constexpr int kFrontCover = 3;

struct Candidate {
    int type;
    TagLib::ByteVector bytes; // shared with the tag's copy, not copied
};

// The front cover, else the first; nothing if the one chosen is empty or too large.
std::string chosen(const std::vector<Candidate>& candidates) {
    const Candidate* pick = nullptr;
    for (const Candidate& candidate : candidates)
        if (pick == nullptr || (candidate.type == kFrontCover && pick->type != kFrontCover))
            pick = &candidate;
    if (pick == nullptr || pick->bytes.size() > kMaxPictureBytes)
        return {};
    return std::string(pick->bytes.data(), pick->bytes.size());
}

// A frame whose MIME type is missing had fields that did not parse (TagLib then hands over some
// of their bytes as the picture); "-->" marks a frame that holds a link in place of a picture.
bool holdsPicture(const TagLib::ID3v2::AttachedPictureFrame& frame) {
    return !frame.mimeType().isEmpty() && frame.mimeType() != "-->";
}

std::string id3v2Picture(const TagLib::ID3v2::Tag* tag) {
    std::vector<Candidate> candidates;
    if (tag != nullptr)
        for (const TagLib::ID3v2::Frame* frame : tag->frameList("APIC"))
            if (const auto* p = dynamic_cast<const TagLib::ID3v2::AttachedPictureFrame*>(frame);
                p != nullptr && holdsPicture(*p))
                candidates.push_back({static_cast<int>(p->type()), p->picture()});
    return chosen(candidates);
}

} // namespace

std::string readMpegPicture(const std::string& path) {
    FileWindows stream(path);
    openMpegTagWindows(stream);
    TagLib::MPEG::File file(&stream, TagLib::ID3v2::FrameFactory::instance(), false);
    return file.isOpen() && file.hasID3v2Tag() ? id3v2Picture(file.ID3v2Tag()) : std::string();
}

std::string readWavePicture(const std::string& path) {
    FileWindows stream(path);
    openWaveTagWindows(stream);
    TagLib::RIFF::WAV::File file(&stream, false);
    return file.isOpen() && file.hasID3v2Tag() ? id3v2Picture(file.ID3v2Tag()) : std::string();
}

std::string readAsfPicture(const std::string& path) {
    FileWindows stream(path);
    openAsfTagWindows(stream);
    TagLib::ASF::File file(&stream, false);
    const TagLib::ASF::Tag* tag = file.isOpen() && file.isValid() ? file.tag() : nullptr;
    std::vector<Candidate> candidates;
    if (tag != nullptr)
        for (const TagLib::ASF::Attribute& value : tag->attribute("WM/Picture"))
            if (const TagLib::ASF::Picture p = value.toPicture(); p.isValid())
                candidates.push_back({static_cast<int>(p.type()), p.picture()});
    return chosen(candidates);
}

std::string readNoPicture(const std::string&) {
    return {};
}

} // namespace vbmp3
