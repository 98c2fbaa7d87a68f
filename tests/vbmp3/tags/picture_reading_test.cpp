// A file's embedded picture through the exported C function: what a tagger stores in each format
// comes back byte for byte, the front cover before the others, and hostile tags give nothing
// worse than no picture.
#include <QBuffer>
#include <QImage>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <gtest/gtest.h>
#include <string>
#include <taglib/asffile.h>
#include <taglib/attachedpictureframe.h>
#include <taglib/id3v2tag.h>
#include <taglib/mpegfile.h>
#include <taglib/wavfile.h>
#include <vector>

#include "fixtures/audio_writer.h"
#include "fixtures/id3v2_writer.h"
#include "fixtures/midi_writer.h"
#include "temp_folder.h"
#include "vbmp3.h"

namespace {

using fixtures::Kind;

constexpr int kFrontCover = 3, kBackCover = 4, kOther = 0, kArtist = 8;
constexpr size_t kMiB = 1 << 20;

struct Embedded {
    int type;
    std::string mimeType;
    std::string bytes;
};

// A cover as a tagger embeds one: an image of a cover's size in the given format; `seed` varies
// its pixels.
std::string imageBytes(const char* format, int seed) {
    QImage image(240, 240, QImage::Format_RGB32);
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            image.setPixel(x, y, qRgb((x + seed) % 256, (y * seed) % 256, (x ^ y) % 256));
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format);
    return bytes.toStdString();
}

TagLib::ByteVector byteVector(const std::string& bytes) {
    return TagLib::ByteVector(bytes.data(), static_cast<unsigned>(bytes.size()));
}

void addApic(TagLib::ID3v2::Tag& tag, const Embedded& picture) {
    auto* frame = new TagLib::ID3v2::AttachedPictureFrame;
    frame->setType(static_cast<TagLib::ID3v2::AttachedPictureFrame::Type>(picture.type));
    frame->setMimeType(picture.mimeType);
    frame->setPicture(byteVector(picture.bytes));
    tag.addFrame(frame); // the tag owns it
}

// Writes a short track of the kind with the pictures embedded as TagLib, a tagger, stores them.
void writeWithPictures(const std::string& path, Kind kind, const std::vector<Embedded>& pictures) {
    fixtures::TrackTags tags;
    tags.title = "Title";
    fixtures::writeAudio(path, fixtures::sine(440, 0.3), kind, tags);
    if (kind == Kind::Mp3Cbr) {
        TagLib::MPEG::File file(path.c_str(), false);
        for (const Embedded& picture : pictures)
            addApic(*file.ID3v2Tag(true), picture);
        ASSERT_TRUE(file.save(TagLib::MPEG::File::ID3v2));
    } else if (kind == Kind::Wav16) {
        TagLib::RIFF::WAV::File file(path.c_str(), false);
        for (const Embedded& picture : pictures)
            addApic(*file.ID3v2Tag(), picture);
        ASSERT_TRUE(file.save());
    } else {
        TagLib::ASF::File file(path.c_str(), false);
        for (const Embedded& embedded : pictures) {
            TagLib::ASF::Picture picture;
            picture.setType(static_cast<TagLib::ASF::Picture::Type>(embedded.type));
            picture.setMimeType(embedded.mimeType);
            picture.setPicture(byteVector(embedded.bytes));
            file.tag()->addAttribute("WM/Picture", TagLib::ASF::Attribute(picture));
        }
        ASSERT_TRUE(file.save());
    }
}

// What vbmp3_getFilePicture answers: its result and the picture, fetched as a caller does, the
// size first.
struct Answer {
    int32_t result = 0;
    std::string picture;
};

Answer pictureOf(const std::string& path) {
    Answer answer;
    int32_t size = -1;
    answer.result = vbmp3_getFilePicture(path.c_str(), nullptr, 0, &size);
    EXPECT_EQ(size > 0, answer.result != 0) << "a size exactly when there is a picture";
    EXPECT_LE(size, VBMP3_PICTURE_LIMIT);
    if (answer.result == 0 || size <= 0)
        return answer;
    answer.picture.assign(static_cast<size_t>(size), '\0');
    int32_t again = 0;
    EXPECT_NE(vbmp3_getFilePicture(path.c_str(), answer.picture.data(), size, &again), 0);
    EXPECT_EQ(again, size);
    return answer;
}

class PictureReading : public testing::Test {
protected:
    static void SetUpTestSuite() { ASSERT_NE(vbmp3_init(), 0); }
    static void TearDownTestSuite() { vbmp3_free(); }

    const test_support::TempFolder folder;
};

TEST_F(PictureReading, EachFormatGivesTheFrontCoverElseTheFirstPicture) {
    const std::string front = imageBytes("PNG", 1);
    const std::string back = imageBytes("JPEG", 2);
    const std::string other = imageBytes("JPEG", 3);
    const struct {
        const char* name;
        std::vector<Embedded> pictures;
        std::string expected;
        bool inOrder; // TagLib's ASF writer does not keep the order of the pictures it is given
    } sets[] = {
        {"one front cover", {{kFrontCover, "image/png", front}}, front, false},
        {"the front cover among others",
         {{kBackCover, "image/jpeg", back},
          {kOther, "image/jpeg", other},
          {kFrontCover, "image/png", front}},
         front,
         false},
        {"one picture, no front cover", {{kArtist, "image/jpeg", back}}, back, false},
        {"no front cover",
         {{kArtist, "image/jpeg", back}, {kOther, "image/jpeg", other}},
         back,
         true},
        {"a picture that is no image",
         {{kFrontCover, "image/png", "not an image"}},
         "not an image",
         false},
        {"none", {}, "", false},
    };
    for (const auto& [kind, name] :
         {std::pair{Kind::Mp3Cbr, "a.mp3"}, {Kind::Wav16, "b.wav"}, {Kind::WmaV2, "c.wma"}}) {
        for (const auto& set : sets) {
            if (set.inOrder && kind == Kind::WmaV2)
                continue;
            SCOPED_TRACE(std::string(name) + ", " + set.name);
            const std::string path = folder.file(name);
            writeWithPictures(path, kind, set.pictures);
            const Answer answer = pictureOf(path);
            EXPECT_EQ(answer.result != 0, !set.expected.empty());
            EXPECT_TRUE(answer.picture == set.expected) << answer.picture.size() << " bytes";
        }
    }
    const std::string midi = folder.file("d.mid");
    fixtures::MidiSong song;
    song.tracks.push_back({"Melody", "", {}, {{0, 480, 0, 60, 100}}});
    fixtures::writeMidi(midi, song);
    EXPECT_EQ(pictureOf(midi).result, 0);
}

// The size first, then the bytes into a buffer that holds them; a buffer too small is left alone.
TEST_F(PictureReading, TheCallerSaysHowMuchItHasRoomFor) {
    const std::string picture = imageBytes("JPEG", 4);
    const std::string path = folder.file("cover.mp3");
    writeWithPictures(path, Kind::Mp3Cbr, {{kFrontCover, "image/jpeg", picture}});
    const int32_t n = static_cast<int32_t>(picture.size());
    const struct {
        const char* name;
        int32_t room; // the buffer's size as the caller gives it
        bool withSize;
        int32_t result;
        bool written;
    } cases[] = {
        {"no buffer", 0, true, 1, false},        {"one byte short", n - 1, true, 1, false},
        {"just enough", n, true, 1, true},       {"more than enough", n + 100, true, 1, true},
        {"a negative size", -1, true, 0, false}, {"nowhere for the size", n, false, 0, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<char> buffer(static_cast<size_t>(n) + 100, '\x55');
        int32_t size = -7;
        const int32_t result =
            vbmp3_getFilePicture(path.c_str(), c.room > 0 ? buffer.data() : nullptr, c.room,
                                 c.withSize ? &size : nullptr);
        EXPECT_EQ(result, c.result);
        if (c.withSize) {
            EXPECT_EQ(size, c.result != 0 ? n : -7);
        }
        EXPECT_EQ(std::string(buffer.data(), picture.size()) == picture, c.written);
        EXPECT_EQ(buffer.back(), '\x55') << "nothing past the picture";
    }
    int32_t size = -7;
    EXPECT_EQ(vbmp3_getFilePicture(nullptr, nullptr, 0, &size), 0);
    EXPECT_EQ(size, 0);
    EXPECT_EQ(vbmp3_getFilePicture(folder.file("missing.mp3").c_str(), nullptr, 0, &size), 0);
    EXPECT_EQ(size, 0);
    vbmp3_free();
    EXPECT_EQ(vbmp3_getFilePicture(path.c_str(), nullptr, 0, &size), 0) << "without an engine";
    ASSERT_NE(vbmp3_init(), 0);
}

// Hand-made ID3v2.3 pieces, for what no tagger writes.
using fixtures::bigEndian;
using fixtures::syncsafe;

// An APIC frame's body: encoding, MIME type, picture type, description, then the picture.
std::string apicBody(const std::string& picture, int type = kFrontCover, char encoding = 0) {
    return std::string(1, encoding) + "image/jpeg" + '\0' + static_cast<char>(type) + "cover" +
           '\0' + picture;
}

std::string frame(const std::string& id, const std::string& body) {
    return id + bigEndian(body.size()) + std::string(2, '\0') + body;
}

// A frame whose header claims `claimed` bytes, whatever follows.
std::string frameClaiming(const std::string& id, const std::string& body, size_t claimed) {
    return id + bigEndian(claimed) + std::string(2, '\0') + body;
}

std::string tag(const std::string& frames, char flags = 0) {
    return std::string("ID3\3\0", 5) + flags + syncsafe(frames.size()) + frames;
}

// ID3v2's unsynchronisation: a zero after every 0xFF.
std::string unsynchronised(const std::string& bytes) {
    std::string out;
    for (const char c : bytes) {
        out += c;
        if (c == '\xFF')
            out += '\0';
    }
    return out;
}

std::string littleEndian(size_t value) {
    std::string out(4, '\0');
    for (int i = 0; i < 4; ++i, value >>= 8)
        out[i] = static_cast<char>(value & 0xFF);
    return out;
}

// A real MP3 behind the given tag bytes.
void writeMp3Behind(const std::string& path, const std::string& tagBytes) {
    fixtures::writeAudio(path, fixtures::sine(440, 0.3), Kind::Mp3Cbr);
    fixtures::replaceId3v2(path, tagBytes);
}

void writeBytes(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

// A WAV with one more chunk after its samples, the RIFF size counting it.
void writeWaveWithChunkAfter(const std::string& path, const std::string& chunk) {
    writeWithPictures(path, Kind::Wav16, {});
    std::ofstream(path, std::ios::binary | std::ios::app) << chunk;
    const auto riffSize = static_cast<uint32_t>(std::filesystem::file_size(path) - 8);
    std::fstream file(path, std::ios::binary | std::ios::in | std::ios::out);
    file.seekp(4);
    for (int i = 0; i < 4; ++i)
        file.put(static_cast<char>(riffSize >> (8 * i) & 0xFF));
}

// Tags that lie, break off or overflow: the process lives, nothing beyond the limit comes back,
// and a picture comes back only where the tag really holds it.
TEST_F(PictureReading, HostileTagsGiveNoPictureOrTheOneTheyHold) {
    const std::string cover = imageBytes("JPEG", 5);
    const std::string apic = frame("APIC", apicBody(cover));
    const std::string wholeTag = tag(apic);
    const std::string big(VBMP3_PICTURE_LIMIT + kMiB, '\x42');
    std::string manyPictures;
    for (int i = 0; i < 1000; ++i)
        manyPictures += frame("APIC", apicBody(std::string(64, static_cast<char>(i)), kOther));
    const struct {
        const char* name;
        std::function<void(const std::string& path)> write;
        std::string expected;
    } cases[] = {
        {"a well-formed picture", [&](auto& p) { writeMp3Behind(p, wholeTag); }, cover},
        {"a frame claiming more than the tag holds",
         [&](auto& p) {
             writeMp3Behind(p, tag(frameClaiming("APIC", apicBody(cover), cover.size() * 2)));
         },
         ""},
        {"a frame claiming less than its own fields",
         [&](auto& p) { writeMp3Behind(p, tag(frameClaiming("APIC", apicBody(cover), 3))); }, ""},
        {"a frame of a few bytes", [&](auto& p) { writeMp3Behind(p, tag(frame("APIC", "\0"))); },
         ""},
        {"fields without their ending NULs",
         [&](auto& p) {
             writeMp3Behind(p, tag(frame("APIC", std::string(1, '\0') + "image/jpeg")));
         },
         ""},
        {"a link in place of a picture",
         [&](auto& p) {
             writeMp3Behind(p, tag(frame("APIC", std::string(1, '\0') + "-->" + '\0' +
                                                     static_cast<char>(kFrontCover) + '\0' +
                                                     "http://example.com/cover.jpg")));
         },
         ""},
        {"an unknown text encoding",
         [&](auto& p) { writeMp3Behind(p, tag(frame("APIC", apicBody(cover, kFrontCover, 9)))); },
         cover},
        {"an empty picture", [&](auto& p) { writeMp3Behind(p, tag(frame("APIC", apicBody("")))); },
         ""},
        {"the file cut in the middle of the picture",
         [&](auto& p) { writeBytes(p, wholeTag.substr(0, wholeTag.size() / 2)); }, ""},
        {"a tag that claims 200 MiB of a short file",
         [&](auto& p) { writeBytes(p, std::string("ID3\3\0\0", 6) + syncsafe(200 * kMiB) + apic); },
         cover},
        {"a picture above the limit",
         [&](auto& p) { writeMp3Behind(p, tag(frame("APIC", apicBody(big)))); }, ""},
        {"a thousand pictures, the front cover last",
         [&](auto& p) { writeMp3Behind(p, tag(manyPictures + apic)); }, cover},
        {"an unsynchronised tag",
         [&](auto& p) { writeMp3Behind(p, tag(unsynchronised(apic), '\x80')); }, cover},
        {"a WAV whose id3 chunk claims more than the file",
         [&](auto& p) {
             writeWaveWithChunkAfter(p, "id3 " + std::string("\xFF\xFF\xFF\x7F", 4) + wholeTag);
         },
         ""},
        {"a WAV with a well-formed id3 chunk after its samples",
         [&](auto& p) {
             const std::string pad = wholeTag.size() % 2 ? std::string(1, '\0') : "";
             writeWaveWithChunkAfter(p, "id3 " + littleEndian(wholeTag.size()) + wholeTag + pad);
         },
         cover},
        {"a WMA cut in its header",
         [&](auto& p) {
             writeWithPictures(p, Kind::WmaV2, {{kFrontCover, "image/jpeg", cover}});
             std::filesystem::resize_file(p, cover.size() / 2);
         },
         ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = folder.file("hostile");
        c.write(path);
        const Answer answer = pictureOf(path);
        EXPECT_TRUE(answer.picture == c.expected)
            << answer.picture.size() << " bytes, " << c.expected.size() << " expected";
        std::filesystem::remove(path);
    }
}

} // namespace
