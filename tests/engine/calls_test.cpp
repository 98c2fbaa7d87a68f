#include "engine/calls.h"

#include <cstring>
#include <gtest/gtest.h>
#include <string>
#include <vector>

#include "fake_vbmp3.h"

namespace {

class Calls : public testing::Test {
protected:
    void SetUp() override { fake::reset(); }
};

// The text in the slot, NUL fill after it, cut at the slot's end.
template <size_t N> void setRaw(char (&slot)[N], const char* text) {
    const size_t length = std::strlen(text);
    for (size_t i = 0; i < N; ++i)
        slot[i] = i < length ? text[i] : '\0';
}

QString padded(const QString& text, int n) {
    return text + QString(n - text.size(), QChar(u'\0'));
}

TEST_F(Calls, EngineTextComesBackAsWholeSlot) {
    auto& e = fake::engine();
    setRaw(e.tagInfo.title, "Song");
    setRaw(e.tagInfo.year, "2026");
    e.tagInfo.genreCode = 17;
    engine::TagInfo tag;
    QString path = QStringLiteral("/music/a.mp3");
    EXPECT_EQ(engine::vbmp3_getFileTagInfo(path, tag), 1);
    EXPECT_EQ(tag.title, padded("Song", VBMP3_TEXT_SLOT));
    EXPECT_EQ(tag.year, padded("2026", VBMP3_YEAR_SLOT));
    EXPECT_EQ(tag.artist, engine::emptyFixedText(VBMP3_TEXT_SLOT));
    EXPECT_EQ(tag.genreCode, 17);
}

TEST_F(Calls, UnwrittenRecordKeepsPreviousContent) {
    auto& e = fake::engine();
    e.writeTagInfo = false;
    e.writeInputInfo = false;
    engine::TagInfo tag;
    tag.title = padded(QStringLiteral(u"前の曲"), VBMP3_TEXT_SLOT);
    tag.genreCode = 5;
    QString path = QStringLiteral("/music/b.mp3");
    engine::vbmp3_getFileTagInfo(path, tag);
    EXPECT_EQ(tag.title, padded(QStringLiteral(u"前の曲"), VBMP3_TEXT_SLOT));
    EXPECT_EQ(tag.album, engine::emptyFixedText(VBMP3_TEXT_SLOT));
    EXPECT_EQ(tag.genreCode, 5);

    engine::InputInfo info;
    info.formatName = padded("WAV", VBMP3_TEXT_SLOT);
    info.sampleRate = 22050;
    engine::vbmp3_open(path, info);
    EXPECT_EQ(info.formatName, padded("WAV", VBMP3_TEXT_SLOT));
    EXPECT_EQ(info.sampleRate, 22050);
}

TEST_F(Calls, TextFillingWholeSlotWithoutTerminatorComesBackExactly) {
    auto& e = fake::engine();
    std::memset(e.inputInfo.codecName, 'x', VBMP3_TEXT_SLOT);
    std::memcpy(e.inputInfo.formatName, "\xE6\x9B\xB2", 3); // "曲": 1 character from 3 bytes
    engine::InputInfo info;
    QString path = QStringLiteral("/music/c.wav");
    engine::vbmp3_open(path, info);
    EXPECT_EQ(info.codecName, QString(VBMP3_TEXT_SLOT, QChar(u'x')));
    EXPECT_EQ(info.formatName, padded(QStringLiteral(u"曲"), VBMP3_TEXT_SLOT));
}

TEST_F(Calls, OverlongCallerTextIsCutBeforeTheCall) {
    // 128 three-byte characters cannot fit 128 bytes; the copy in must stop inside the slot.
    auto& e = fake::engine();
    e.writeTagInfo = false;
    engine::TagInfo tag;
    tag.title = QString(VBMP3_TEXT_SLOT, QChar(u'曲'));
    tag.year = QStringLiteral(u"二〇二六年");
    QString path = QStringLiteral("/x");
    engine::vbmp3_getFileTagInfo(path, tag);
    EXPECT_EQ(tag.title, padded(QString(VBMP3_TEXT_SLOT / 3, QChar(u'曲')), VBMP3_TEXT_SLOT));
    EXPECT_EQ(tag.year, padded(QStringLiteral(u"二"), VBMP3_YEAR_SLOT));
    EXPECT_EQ(tag.artist, engine::emptyFixedText(VBMP3_TEXT_SLOT));
}

TEST_F(Calls, JapanesePathSurvivesTheRoundTrip) {
    QString path = QStringLiteral(u"/音楽/アルバム/曲.mp3");
    engine::InputInfo info;
    engine::vbmp3_open(path, info);
    EXPECT_EQ(path, QStringLiteral(u"/音楽/アルバム/曲.mp3"));
    ASSERT_EQ(fake::engine().calls.size(), 1u);
    EXPECT_EQ(QString::fromStdString(fake::engine().calls[0]),
              QStringLiteral(u"vbmp3_open(/音楽/アルバム/曲.mp3)"));
}

TEST_F(Calls, GetStateLeavingSecondsUnwrittenKeepsTheValue) {
    auto& e = fake::engine();
    e.state = 1;
    e.seconds = 42;
    int32_t seconds = 7;
    EXPECT_EQ(engine::vbmp3_getState(seconds), 1);
    EXPECT_EQ(seconds, 42);
    e.writeSeconds = false;
    seconds = 9;
    engine::vbmp3_getState(seconds);
    EXPECT_EQ(seconds, 9);
}

TEST_F(Calls, MpegInfoAndBuffersPassStraightThrough) {
    auto& e = fake::engine();
    e.mpegInfo.bitRate = 128;
    e.mpegInfo.totalSeconds = 4;
    e.wave1[0] = 100;
    e.wave2[0] = -100;
    e.spectrum1[255] = 7;
    e.spectrum2[255] = 40;
    engine::MpegInfo mpeg{};
    EXPECT_EQ(engine::vbmp3_getMpegInfo(mpeg), 1);
    EXPECT_EQ(mpeg.bitRate, 128);
    EXPECT_EQ(mpeg.totalSeconds, 4);
    engine::Buffer a{}, b{};
    engine::vbmp3_getWave(a, b);
    EXPECT_EQ(a[0], 100);
    EXPECT_EQ(b[0], -100) << "the second channel in the second buffer";
    engine::vbmp3_getSpectrum(a, b);
    EXPECT_EQ(a[255], 7);
    EXPECT_EQ(b[255], 40);
}

// The size first, then the bytes into a buffer of that size, through the path's 8-bit copy; a
// picture that is gone or grew by the second call leaves nothing.
TEST_F(Calls, PictureComesInTwoCallsOrNotAtAll) {
    const std::string png("\x89PNG\r\n\x1a\n\0\xff", 10);
    struct Case {
        const char* name;
        std::string picture;
        std::string afterFirstCall; // what the file holds at the second call
        std::vector<std::string> calls;
        QByteArray expected;
    };
    const std::string p = "/音楽/曲.mp3";
    for (const Case& c : {
             Case{"a picture", png, png, {p + ",0", p + ",10"}, QByteArray(png.data(), 10)},
             Case{"none", "", "", {p + ",0"}, {}},
             Case{"gone meanwhile", png, "", {p + ",0", p + ",10"}, {}},
             Case{"grown meanwhile", png, png + "more", {p + ",0", p + ",10"}, {}},
         }) {
        SCOPED_TRACE(c.name);
        fake::reset();
        fake::engine().picture = c.picture;
        fake::engine().afterPicture = [&c] { fake::engine().picture = c.afterFirstCall; };
        QString path = QString::fromStdString(p);
        QByteArray picture("left from before");
        engine::vbmp3_getFilePicture(path, picture);
        EXPECT_EQ(picture, c.expected);
        EXPECT_EQ(path, QString::fromStdString(p));
        std::vector<std::string> expectedCalls;
        for (const std::string& args : c.calls)
            expectedCalls.push_back("vbmp3_getFilePicture(" + args + ")");
        EXPECT_EQ(fake::engine().calls, expectedCalls);
    }
}

} // namespace
