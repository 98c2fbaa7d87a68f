#include "folder_test_support.h"

#include "fake_vbmp3.h"
#include "folder/form2.h"
#include "player/form1.h"

#include <QApplication>

using folder::openFolderWindow;

namespace {

// The real main window over the fake engine, playing a tune of drive C.
class MainWindowTest : public folder_test::TwoDrives {
protected:
    void SetUp() override {
        TwoDrives::SetUp();
        fake::reset();
        form = std::make_unique<player::Form1>(
            driveC() + "/other", player::Surroundings{platform::presentMsgBox, volumeSource()});
        form->load();
    }

    void TearDown() override {
        form->close();
        form.reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        TwoDrives::TearDown();
    }

    void rightClickFileList() {
        QTest::mousePress(form->File1.viewport(), Qt::RightButton, {}, QPoint(5, 5));
    }

    std::unique_ptr<player::Form1> form;
};

} // namespace

TEST_F(MainWindowTest, OnlyTheRightButtonOpensTheFolderWindowAndOnlyOne) {
    for (const Qt::MouseButton other : {Qt::LeftButton, Qt::MiddleButton}) {
        QTest::mouseClick(form->File1.viewport(), other, {}, QPoint(5, 5));
    }
    EXPECT_EQ(openFolderWindow(), nullptr);

    rightClickFileList();
    folder::Form2* window = openFolderWindow();
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(window->Dir1.Path(), driveC() + "/other");
    window->Dir1.setPath(driveD());
    rightClickFileList();
    EXPECT_EQ(openFolderWindow(), window);
    EXPECT_EQ(window->Dir1.Path(), driveD()); // brought forward, not loaded again
}

// The keyboard's ways to the list's menu open the folder window as the right button does.
TEST_F(MainWindowTest, TheMenuKeyAndShiftF10InTheListOpenTheFolderWindow) {
    struct Case {
        Qt::Key key;
        Qt::KeyboardModifiers modifiers;
        bool opens;
    } const cases[] = {{Qt::Key_Menu, {}, true},
                       {Qt::Key_F10, Qt::ShiftModifier, true},
                       {Qt::Key_F10, {}, false},
                       {Qt::Key_Menu, Qt::ControlModifier, false},
                       {Qt::Key_F10, Qt::ControlModifier | Qt::ShiftModifier, false}};
    for (const Case& c : cases) {
        form->File1.setFocus();
        fake::engine().calls.clear();
        QTest::keyClick(&form->File1, c.key, c.modifiers);
        folder::Form2* window = openFolderWindow();
        EXPECT_EQ(window != nullptr, c.opens) << c.key << " " << c.modifiers;
        if (window != nullptr) {
            EXPECT_EQ(window->Dir1.Path(), driveC() + "/other");
        }
        EXPECT_TRUE(fake::engine().callsWithoutPolls().empty());
        folder::closeFolderWindow();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
}

TEST_F(MainWindowTest, OkChangesTheListWithoutAnyEngineCallAndTheTrackGoesOn) {
    const QString playing = form->state().currentFile;
    const QString caption = form->windowTitle();
    ASSERT_EQ(playing, driveC() + "/other/c.mid");
    fake::engine().calls.clear();

    rightClickFileList();
    openFolderWindow()->Dir1.setPath(driveD() + "/music");
    QTest::mouseClick(&openFolderWindow()->Command1, Qt::LeftButton);

    EXPECT_TRUE(fake::engine().calls.empty());
    EXPECT_EQ(form->state().currentFile, playing);
    EXPECT_EQ(form->windowTitle(), caption);
    EXPECT_EQ(form->File1.ListCount(), 2);
    EXPECT_EQ(form->Label1.Caption(), QStringLiteral("Select MP3File"));
}

TEST_F(MainWindowTest, ClosingTheMainWindowClosesTheFolderWindow) {
    rightClickFileList();
    ASSERT_NE(openFolderWindow(), nullptr);
    form->close();
    EXPECT_EQ(openFolderWindow(), nullptr);
}
