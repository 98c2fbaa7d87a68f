#include <QKeyEvent>
#include <QTest>
#include <algorithm>
#include <filesystem>
#include <fstream>

#include "form1_fixture.h"
#include "pointer.h"
#include "qt_main.h"

TONALISK_QT_TEST_MAIN

using form1_test::Form1Test;
using Calls = std::vector<std::string>;

TEST_F(Form1Test, StartUpPlaysAnEntryAndShowsTheFolder) {
    player::Form1& f = load({"only.mp3"});
    Calls expected{"vbmp3_init()"};
    for (const auto& c : startOf("only.mp3"))
        expected.push_back(c);
    EXPECT_EQ(fake::engine().callsWithoutPolls(), expected);
    EXPECT_EQ(f.Label1.Caption(), folder.path());
    EXPECT_EQ(f.state().viewMode, visual::ViewMode::BarsEverySecond);
    EXPECT_EQ(f.windowTitle(), "Tonalisk") << "start-up keeps the design caption";
    EXPECT_TRUE(boxes.empty());
}

TEST_F(Form1Test, EmptyFolderStartsNothingAndSaysSo) {
    player::Form1& f = load({"notes.txt"});
    EXPECT_EQ(fake::engine().callsWithoutPolls(), Calls{"vbmp3_init()"});
    EXPECT_EQ(f.Label1.Caption(), "MP3File Nothing");
    EXPECT_TRUE(boxes.empty());
    EXPECT_EQ(f.File1.ListIndex(), -1);
}

TEST_F(Form1Test, ClickAndRandomButtonCloseFirstAndSetTheCaption) {
    player::Form1& f = load({"a.mp3", "b track.wav"});
    calls().clear();
    f.File1.setListIndex(1);
    f.File1_Click();
    Calls expected{"vbmp3_close()"};
    for (const auto& c : startOf("b track.wav"))
        expected.push_back(c);
    EXPECT_EQ(fake::engine().callsWithoutPolls(), expected);
    EXPECT_EQ(f.windowTitle(), "b track");
    EXPECT_EQ(f.state().currentFile.toStdString(), path("b track.wav"));

    calls().clear();
    const QString label = f.Label1.Caption();
    f.Image1_Click();
    const Calls made = fake::engine().callsWithoutPolls();
    ASSERT_EQ(made.size(), 5u);
    EXPECT_EQ(made[0], "vbmp3_close()");
    const QString picked = f.File1.FileName();
    EXPECT_EQ(Calls(made.begin() + 1, made.end()), startOf(picked));
    EXPECT_EQ(f.windowTitle(), picked.chopped(4));
    EXPECT_EQ(f.Label1.Caption(), label) << "neither pick touches the label";
}

TEST_F(Form1Test, FailedOpenShowsOneBoxAndTheStartGoesOn) {
    fake::engine().openResult = 0x10000; // only the low 16 bits count
    fake::engine().mpegInfo.totalSeconds = 35;
    player::Form1& f = load({"broken.mp3"});
    EXPECT_EQ(boxes, std::vector<std::string>{"Tonalisk: Open Error"});
    EXPECT_EQ(fake::engine().callsNamed("vbmp3_play").size(), 1u);
    EXPECT_EQ(f.scSeek.Max(), 35);
    EXPECT_EQ(f.scSeek.LargeChange(), 4);
}

TEST_F(Form1Test, RandomButtonInAnEmptyFolderFailsOnceAndClearsTheCaption) {
    player::Form1& f = load({});
    calls().clear();
    fake::engine().openResult = 0; // the folder itself is no music
    f.Image1_Click();
    EXPECT_EQ(boxes.size(), 1u);
    EXPECT_EQ(f.windowTitle(), "");
    EXPECT_EQ(f.state().currentFile, folder.path() + QDir::separator());
    EXPECT_EQ(fake::engine().callsNamed("vbmp3_play").size(), 1u);
}

TEST_F(Form1Test, StreamReadRestartsTheTickerOnlyWhenItSucceeds) {
    player::Form1& f = load({"a.mp3"});
    f.state().infoStep = player::TickerStep::Genre;
    fake::engine().mpegResult = 0x10000;
    f.File1_Click();
    EXPECT_EQ(f.state().infoStep, player::TickerStep::Genre);
    fake::engine().mpegResult = 1;
    f.File1_Click();
    EXPECT_EQ(f.state().infoStep, player::TickerStep::Artist);
}

TEST_F(Form1Test, SeekBarFollowsEachTrackLength) {
    player::Form1& f = load({"a.mp3"});
    const std::pair<int32_t, std::pair<int32_t, int32_t>> cases[] = {
        {0, {0, 1}},      {11, {11, 1}}, {25, {25, 2}},
        {106, {106, 11}}, {-5, {-5, 1}}, {40000, {40000, 4000}}};
    for (const auto& [total, expected] : cases) {
        fake::engine().mpegInfo.totalSeconds = total;
        f.File1_Click();
        EXPECT_EQ(f.scSeek.Max(), expected.first) << total;
        EXPECT_EQ(f.scSeek.LargeChange(), expected.second) << total;
    }
}

TEST_F(Form1Test, ArrowKeysStartEveryEntryPassed) {
    player::Form1& f = load({"a.mp3", "b.mp3", "c.mp3"});
    f.File1.setListIndex(0);
    calls().clear();
    QTest::keyClick(&f.File1, Qt::Key_Down);
    QTest::keyClick(&f.File1, Qt::Key_Down);
    EXPECT_EQ(fake::engine().callsNamed("vbmp3_open"),
              (Calls{"vbmp3_open(" + path("b.mp3") + ")", "vbmp3_open(" + path("c.mp3") + ")"}));
    EXPECT_EQ(f.windowTitle(), "c");
}

TEST_F(Form1Test, ClosingReleasesTheEngineOnce) {
    player::Form1& f = load({"a.mp3"});
    calls().clear();
    f.close();
    f.close();
    EXPECT_EQ(fake::engine().callsWithoutPolls(), Calls{"vbmp3_free()"});
}

// The path that reaches the engine names the listed file itself, whatever its name holds; a name
// that cannot be decoded in the locale is not listed rather than standing for another file.
TEST_F(Form1Test, AwkwardNamesReachTheEngineAsTheirOwnPaths) {
    fake::engine().openResultFor = [](const std::string& path) {
        return std::filesystem::is_regular_file(path) ? 1 : 0;
    };
    player::Form1& f = load({"曲 の 名前.mp3", "plain.wav"});
    // A name that is no UTF-8 is listed too, and opened by its own bytes.
    const std::string odd = folder.path().toStdString() + "/bad\xff name.mp3";
    std::ofstream(odd).put('x');
    f.File1.setPath(folder.path());
    boxes.clear();
    calls().clear();
    for (int32_t i = 0; i < f.File1.ListCount(); ++i) {
        f.File1.setListIndex(i);
        f.File1_Click();
    }
    EXPECT_EQ(f.File1.ListCount(), 3);
    EXPECT_TRUE(boxes.empty());
    Calls opens = fake::engine().callsNamed("vbmp3_open");
    std::sort(opens.begin(), opens.end());
    EXPECT_EQ(opens, (Calls{"vbmp3_open(" + odd + ")", "vbmp3_open(" + path("plain.wav") + ")",
                            "vbmp3_open(" + path("曲 の 名前.mp3") + ")"}));
}

TEST_F(Form1Test, NamesInALegacyCodePageAreListedReadablyAndPlayByTheirBytes) {
    setenv("LC_ALL", "ja_JP.UTF-8", 1); // the user's language decides short legacy names
    player::Form1& f = load({"a.mp3"});
    const std::string folderBytes = folder.path().toStdString() + "/";
    const std::string cp932 = "\x96\xe9\x82\xcc\x89\xcc.mp3"; // 夜の歌.mp3 in CP932
    const std::string latin1 = "\xe9t\xe9.wav";               // été.wav in Latin-1
    for (const std::string& name : {cp932, latin1})
        std::ofstream(folderBytes + name).put('x');
    f.File1.setPath(folder.path());
    f.show();
    QStringList shown;
    for (int i = 0; i < f.File1.ListCount(); ++i)
        shown << f.File1.List(i);
    EXPECT_EQ(shown, (QStringList{"a.mp3", "été.wav", "夜の歌.mp3"}));

    calls().clear();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&f));
    const QPoint entry = input::rowCenter(f.File1, 2);
    QTest::mouseClick(f.File1.viewport(), Qt::LeftButton, {}, entry);
    unsetenv("LC_ALL");
    EXPECT_EQ(fake::engine().callsNamed("vbmp3_open"),
              Calls{"vbmp3_open(" + folderBytes + cp932 + ")"});
    EXPECT_EQ(f.windowTitle(), "夜の歌");
}

TEST_F(Form1Test, FolderOfFilesThatFailGivesOneBoxPerStart) {
    fake::engine().openResult = 0;
    player::Form1& f = load({"a.mp3", "b.mp3"});
    EXPECT_EQ(boxes.size(), 1u);
    f.File1_Click();
    f.Image1_Click();
    EXPECT_EQ(boxes.size(), 3u);
}
