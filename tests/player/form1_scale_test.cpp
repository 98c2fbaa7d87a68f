// Folders past what 16 bits count: every way of picking a track still plays a listed entry.
#include <QTest>
#include <filesystem>

#include "form1_fixture.h"

using form1_test::Form1Test;

TEST_F(Form1Test, EveryPickPlaysAListedEntryInFoldersOfAnySize) {
    fake::engine().mpegInfo.totalSeconds = 30;
    player::Form1& f = load({"a.mp3", "b.mp3"});
    const std::filesystem::path top = folder.path().toStdString();
    int32_t listed = 2;
    for (const int32_t size : {32767, 32768, 65536, 100000}) {
        // Links to the two files: a file system allows some 65,000 links to one.
        for (; listed < size; ++listed) {
            std::filesystem::create_hard_link(top / (listed % 2 ? "a.mp3" : "b.mp3"),
                                              top / ("t" + std::to_string(listed) + ".mp3"));
        }
        f.File1.setPath(folder.path());
        ASSERT_EQ(f.File1.ListCount(), size);
        calls().clear();
        f.Image1_Click();
        const int32_t drawn = f.File1.ListIndex();
        EXPECT_TRUE(drawn >= 0 && drawn < size) << size;
        QTest::keyClick(&f.File1, Qt::Key_End);
        EXPECT_EQ(f.File1.ListIndex(), size - 1) << size;
        tick(1, 29); // the last second: the end-of-track rule draws again
        const std::vector<std::string> opens = fake::engine().callsNamed("vbmp3_open");
        ASSERT_EQ(opens.size(), 3u) << size;
        for (const std::string& open : opens) {
            EXPECT_NE(open, "vbmp3_open(" + path("") + ")") << "an entry, not the folder";
        }
        EXPECT_EQ(opens[1], "vbmp3_open(" + path(f.File1.List(size - 1)) + ")");
        EXPECT_TRUE(boxes.empty()) << size;
    }
}
