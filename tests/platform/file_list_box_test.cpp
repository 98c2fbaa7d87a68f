#include "platform/file_list_box.h"

#include <QDir>
#include <QSignalSpy>
#include <QTest>
#include <filesystem>
#include <gtest/gtest.h>

#include "pointer.h"
#include "qt_temp_folder.h"

using platform::FileListBox;
using test_support::touch;

namespace {

class FileListBoxTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(folder.isValid());
        for (const char* name : {"b.mp3", "A.MP3", "c.wav", "notes.txt", ".hidden.mp3", "d.mid"}) {
            touch(folder.filePath(QString::fromLatin1(name)));
        }
        QDir(folder.path()).mkdir(QStringLiteral("sub.mp3"));
        list.setPattern(QStringLiteral("*.mp3;*.mid;*.wav;*.wma"));
        list.setPath(folder.path());
    }

    test_support::QtTempFolder folder;
    FileListBox list;
};

} // namespace

TEST_F(FileListBoxTest, ListsMatchingRegularFilesSortedWithoutCaseNothingSelected) {
    QStringList names;
    for (int i = 0; i < list.ListCount(); ++i) {
        names << list.List(i);
    }
    EXPECT_EQ(names, (QStringList{"A.MP3", "b.mp3", "c.wav", "d.mid"}));
    EXPECT_EQ(list.ListCount(), 4);
    EXPECT_EQ(list.ListIndex(), -1);
    EXPECT_EQ(list.FileName(), QString());
}

TEST_F(FileListBoxTest, LinksCountAsWhatTheyNameAndTheListFillsInOneReset) {
    const std::filesystem::path top = folder.path().toStdString();
    std::filesystem::create_symlink("b.mp3", top / "e.mp3");
    std::filesystem::create_symlink("sub.mp3", top / "f.mp3");
    std::filesystem::create_symlink("gone.mp3", top / "g.mp3");
    QSignalSpy resets(list.model(), &QAbstractItemModel::modelReset);
    QSignalSpy inserts(list.model(), &QAbstractItemModel::rowsInserted);
    list.setPath(folder.path());
    EXPECT_EQ(list.ListCount(), 5);
    EXPECT_EQ(list.List(4), QStringLiteral("e.mp3"));
    EXPECT_EQ(resets.count(), 1);
    EXPECT_EQ(inserts.count(), 0) << "no entry on its own";
}

TEST_F(FileListBoxTest, SelectionFromCodeRaisesNoClick) {
    QSignalSpy clicks(&list, &FileListBox::Click);
    list.setListIndex(2);
    EXPECT_EQ(list.FileName(), QStringLiteral("c.wav"));
    list.setListIndex(-1);
    EXPECT_EQ(list.ListIndex(), -1);
    EXPECT_EQ(list.FileName(), QString());
    EXPECT_EQ(clicks.count(), 0);
}

TEST_F(FileListBoxTest, MouseClickOnAnEntryRaisesClickEvenWhenAlreadySelected) {
    list.resize(200, 300);
    list.show();
    list.setListIndex(1);
    QSignalSpy clicks(&list, &FileListBox::Click);
    const QPoint second = input::rowCenter(list, 1);
    QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, second);
    QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, second);
    EXPECT_EQ(clicks.count(), 2);
    QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, QPoint(5, list.height() - 8));
    EXPECT_EQ(clicks.count(), 2) << "below the last entry";
}

TEST_F(FileListBoxTest, ArrowKeysRaiseClickForEachEntryPassed) {
    list.setListIndex(0);
    QSignalSpy clicks(&list, &FileListBox::Click);
    QTest::keyClick(&list, Qt::Key_Down);
    QTest::keyClick(&list, Qt::Key_Down);
    EXPECT_EQ(clicks.count(), 2);
    EXPECT_EQ(list.FileName(), QStringLiteral("c.wav"));
}

TEST_F(FileListBoxTest, MouseDownGivesButtonCodesAndTwips) {
    list.resize(200, 200);
    list.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&list));
    QSignalSpy downs(&list, &FileListBox::MouseDown);
    const QPoint at = input::rowCenter(list, 1);
    QTest::mousePress(list.viewport(), Qt::RightButton, Qt::NoModifier, at);
    QTest::mouseRelease(list.viewport(), Qt::RightButton, Qt::NoModifier, at);
    ASSERT_EQ(downs.count(), 1);
    EXPECT_EQ(downs[0][0].value<FileListBox::MouseButton>(), FileListBox::MouseButton::Right);
    QSignalSpy clicks(&list, &FileListBox::Click);
    QTest::mouseClick(list.viewport(), Qt::LeftButton, Qt::NoModifier, at);
    EXPECT_EQ(clicks.count(), 1);
    EXPECT_EQ(list.FileName(), QStringLiteral("b.mp3"));
}

TEST_F(FileListBoxTest, DragPicksOnceWhereReleasedAndCtrlNeverEmptiesTheSelection) {
    list.resize(200, 300);
    list.show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&list));
    std::vector<QString> picks;
    QObject::connect(&list, &FileListBox::Click, [&] { picks.push_back(list.FileName()); });
    const auto row = [&](int i) {
        return list.viewport()->mapTo(&list, input::rowCenter(list, i));
    };
    input::Pointer pointer(list);
    pointer.press(list, row(0));
    pointer.moveTo(list, row(1));
    pointer.moveTo(list, row(2));
    EXPECT_TRUE(picks.empty());
    pointer.release(list, row(2));
    EXPECT_EQ(picks, std::vector<QString>{"c.wav"});
    pointer.click(list, row(2), Qt::LeftButton, Qt::ControlModifier);
    EXPECT_EQ(list.ListIndex(), 2);
    EXPECT_EQ(picks.size(), 2u) << "a click on the selected entry picks it again";
    pointer.key(Qt::Key_Space, Qt::ControlModifier);
    pointer.click(list, QPoint(5, list.height() - 8)); // below the last entry
    EXPECT_EQ(list.FileName(), QStringLiteral("c.wav"));
    EXPECT_EQ(picks.size(), 2u);
}

TEST(FileListBox, UnreadableOrMissingFolderListsNothing) {
    FileListBox list;
    list.setPattern(QStringLiteral("*.mp3"));
    list.setPath(QStringLiteral("/nonexistent/folder"));
    EXPECT_EQ(list.ListCount(), 0);
}
