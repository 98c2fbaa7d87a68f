#include "folder_test_support.h"

#include "platform/dir_list_box.h"
#include "platform/drive_list_box.h"

#include <QSignalSpy>

using folder_test::TwoDrives;
using platform::DirListBox;
using platform::DriveListBox;

namespace {

QStringList shownTexts(const QListWidget& list) {
    QStringList texts;
    for (int row = 0; row < list.count(); ++row) {
        texts << list.item(row)->text().trimmed();
    }
    return texts;
}

int indentOf(const QListWidgetItem& item) {
    const QString text = item.text();
    return static_cast<int>(text.size() - text.trimmed().size());
}

class NestedDrives : public TwoDrives {
protected:
    QList<platform::Volume> volumes() const override {
        return {{"/", {}}, {driveC(), {}}, {driveC() + "/other/", {}}};
    }
};

} // namespace

TEST(DefaultVolumes, OfferTheRootFileSystemAndNoSystemMounts) {
    EXPECT_EQ(platform::volumeRootOf(platform::mountedVolumes(), QStringLiteral("/usr/bin")),
              QStringLiteral("/"));
    for (const platform::Volume& volume : platform::mountedVolumes()) {
        EXPECT_FALSE(volume.rootPath.startsWith(QStringLiteral("/dev")));
        EXPECT_FALSE(volume.rootPath.startsWith(QStringLiteral("/proc")));
    }
}

TEST_F(TwoDrives, DriveListShowsEachVolumeByRootAndNameAndDriveIsItsRoot) {
    DriveListBox drives(volumeSource());
    ASSERT_EQ(drives.count(), 2);
    EXPECT_EQ(drives.itemText(0), driveC() + "  [SYSTEM]");
    EXPECT_EQ(drives.itemText(1), driveD());
    drives.setCurrentIndex(1);
    EXPECT_EQ(drives.Drive(), driveD());
}

TEST_F(TwoDrives, SettingDriveSelectsTheVolumeHoldingThePathAndRaisesChangeOnlyOnAChange) {
    DriveListBox drives(volumeSource());
    QSignalSpy changes(&drives, &DriveListBox::Change);

    drives.setDrive(driveD() + "/music");
    EXPECT_EQ(drives.Drive(), driveD());
    EXPECT_EQ(changes.count(), 1);

    drives.setDrive(driveD() + "/empty"); // the same volume: no change
    drives.setDrive(temp.path() + "/Cx"); // shares C's name but lies on no volume
    drives.setDrive(QString());
    EXPECT_EQ(drives.Drive(), driveD());
    EXPECT_EQ(changes.count(), 1);

    drives.setCurrentIndex(0); // as the user picks it
    EXPECT_EQ(changes.count(), 2);
}

TEST_F(NestedDrives, ThePathBelongsToTheDeepestVolumeHoldingIt) {
    EXPECT_EQ(platform::volumeRootOf(volumes(), driveC() + "/other/deeper"), driveC() + "/other");
    EXPECT_EQ(platform::volumeRootOf(volumes(), driveC() + "/other"), driveC() + "/other");
    EXPECT_EQ(platform::volumeRootOf(volumes(), driveC()), driveC());
    EXPECT_EQ(platform::volumeRootOf(volumes(), driveD() + "/music"), QStringLiteral("/"));
}

TEST_F(TwoDrives, FolderListShowsTheChainDownToItsFolderThenTheFoldersInside) {
    DirListBox dirs(volumeSource());
    dirs.setPath(driveD() + "/./music/../");
    EXPECT_EQ(dirs.Path(), driveD());

    const QStringList texts = shownTexts(dirs);
    EXPECT_EQ(texts.first(), QStringLiteral("/"));
    EXPECT_EQ(texts.mid(texts.size() - 3), (QStringList{"D", "empty", "music"}));
    EXPECT_EQ(dirs.currentItem()->data(Qt::UserRole).toString(), driveD());
    // Each level is indented further; the folders inside share one level below the opened one.
    const int last = dirs.count() - 1;
    EXPECT_LT(indentOf(*dirs.item(0)), indentOf(*dirs.item(1)));
    EXPECT_LT(indentOf(*dirs.item(last - 2)), indentOf(*dirs.item(last)));
    EXPECT_EQ(indentOf(*dirs.item(last - 1)), indentOf(*dirs.item(last)));
}

// A double-click and Return on the highlighted folder open it alike.
TEST_F(TwoDrives, DoubleClickOrReturnOpensAFolderInsideOrAboveAndTheRootBringsBackTheLastOne) {
    for (const auto openFolder : {folder_test::doubleClickFolder, folder_test::returnOnFolder}) {
        DirListBox dirs(volumeSource());
        dirs.show();
        dirs.setPath(driveC());
        openFolder(dirs, driveC() + "/other");
        EXPECT_EQ(dirs.Path(), driveC() + "/other");
        EXPECT_TRUE(shownTexts(dirs).endsWith(QStringLiteral("deeper")));

        dirs.setPath(driveD() + "/music");
        dirs.setPath(driveC()); // the drive's current folder
        EXPECT_EQ(dirs.Path(), driveC() + "/other");

        openFolder(dirs, driveC()); // the root itself, from the chain
        EXPECT_EQ(dirs.Path(), driveC());
        dirs.setPath(driveC());
        EXPECT_EQ(dirs.Path(), driveC());
    }
}

TEST_F(TwoDrives, AFolderThatCannotBeReadShowsWithoutSubfolders) {
    DirListBox dirs(volumeSource());
    const QString missing = driveD() + "/unplugged";
    dirs.setPath(missing);
    EXPECT_EQ(dirs.Path(), missing);
    EXPECT_EQ(shownTexts(dirs).last(), QStringLiteral("unplugged"));
    EXPECT_EQ(dirs.currentRow(), dirs.count() - 1);
}
