#include "folder_test_support.h"

#include "folder/form2.h"
#include "platform/file_list_box.h"
#include "platform/label.h"

#include <QApplication>
#include <memory>

using folder::Form2;
using folder::openFolderWindow;
using folder::showFolderWindow;

namespace {

// The main window's list and label as the folder window sees them.
class Form2Test : public folder_test::TwoDrives {
protected:
    void SetUp() override {
        TwoDrives::SetUp();
        File1->setPattern(QStringLiteral("*.mp3;*.mid;*.wav;*.wma"));
        File1->setPath(driveC() + "/other");
        File1->setListIndex(0);
        Label1->setCaption(QStringLiteral("playing"));
    }

    void TearDown() override {
        folder::closeFolderWindow();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        TwoDrives::TearDown();
    }

    Form2& open() {
        showFolderWindow(*File1, *Label1, volumeSource());
        Form2* window = openFolderWindow();
        EXPECT_NE(window, nullptr);
        return *window;
    }

    void expectMainListUntouched() const {
        EXPECT_EQ(File1->Path(), driveC() + "/other");
        EXPECT_EQ(File1->ListCount(), 1);
        EXPECT_EQ(File1->FileName(), QStringLiteral("c.mid"));
        EXPECT_EQ(Label1->Caption(), QStringLiteral("playing"));
    }

    std::unique_ptr<platform::FileListBox> File1 = std::make_unique<platform::FileListBox>();
    std::unique_ptr<platform::Label> Label1 = std::make_unique<platform::Label>();
};

int visibleFolderWindows() {
    int count = 0;
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        count += qobject_cast<Form2*>(widget) != nullptr && widget->isVisible() ? 1 : 0;
    }
    return count;
}

} // namespace

TEST_F(Form2Test, WindowIsASmallToolWindowWithItsOwnPlaceAndTabOrder) {
    Form2& window = open();
    EXPECT_EQ(window.windowTitle(), QStringLiteral("FolderSelect"));
    EXPECT_EQ(window.windowType(), Qt::Tool);
    EXPECT_TRUE(window.windowFlags() & Qt::WindowCloseButtonHint);
    EXPECT_FALSE(window.windowFlags() &
                 (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint));
    EXPECT_EQ(window.parentWidget(), nullptr);
    EXPECT_FALSE(window.isModal());
    EXPECT_EQ(window.geometry(), QRect(778, 190, 168, 291));
    EXPECT_EQ(window.minimumSize(), window.maximumSize());

    EXPECT_EQ(window.Drive1.geometry(), QRect(0, 0, 169, 20));
    EXPECT_EQ(window.Dir1.geometry(), QRect(0, 24, 169, 230));
    EXPECT_EQ(window.Command1.geometry(), QRect(0, 256, 81, 33));
    EXPECT_EQ(window.Command2.geometry(), QRect(88, 256, 81, 33));
    EXPECT_EQ(window.Command1.text(), QStringLiteral("OK"));
    EXPECT_EQ(window.Command2.text(), QStringLiteral("Cancel"));

    // The controls' own parts (scroll bars) sit in the chain too; the order of the four counts.
    const QList<QWidget*> controls = {&window.Drive1, &window.Dir1, &window.Command1,
                                      &window.Command2};
    QList<QWidget*> tabOrder;
    for (QWidget* next = window.nextInFocusChain(); next != &window;
         next = next->nextInFocusChain()) {
        if (controls.contains(next)) {
            tabOrder << next;
        }
    }
    EXPECT_EQ(tabOrder, controls);
}

TEST_F(Form2Test, EnterAndEscReachNeitherButton) {
    Form2& window = open();
    for (QPushButton* button : {&window.Command1, &window.Command2}) {
        EXPECT_FALSE(button->isDefault());
        EXPECT_FALSE(button->autoDefault());
    }
    window.Dir1.setFocus();
    QTest::keyClick(&window.Dir1, Qt::Key_Return);
    QTest::keyClick(&window.Dir1, Qt::Key_Escape);
    EXPECT_EQ(openFolderWindow(), &window);
    expectMainListUntouched();
}

TEST_F(Form2Test, OpeningShowsTheDriveAndTheFolderOfTheMainList) {
    File1->setPath(driveD() + "/music");
    Form2& window = open();
    EXPECT_EQ(window.Drive1.Drive(), driveD());
    EXPECT_EQ(window.Dir1.Path(), driveD() + "/music");
}

TEST_F(Form2Test, AnotherDriveMovesTheFolderListAtOnceToItsCurrentFolder) {
    Form2& window = open();
    window.Drive1.setCurrentIndex(1);
    EXPECT_EQ(window.Dir1.Path(), driveD());

    folder_test::doubleClickFolder(window.Dir1, driveD() + "/music");
    window.Drive1.setCurrentIndex(0);
    EXPECT_EQ(window.Dir1.Path(), driveC() + "/other"); // C's folder as the window opened it
    window.Drive1.setCurrentIndex(1);
    EXPECT_EQ(window.Dir1.Path(), driveD() + "/music"); // the folder last opened on D
    expectMainListUntouched();
}

TEST_F(Form2Test, OkWithTunesListsTheFolderWithNothingSelectedAndSaysSelect) {
    Form2& window = open();
    window.Dir1.setPath(driveD() + "/music");
    QTest::mouseClick(&window.Command1, Qt::LeftButton);

    EXPECT_EQ(openFolderWindow(), nullptr);
    EXPECT_EQ(File1->Path(), driveD() + "/music");
    EXPECT_EQ(File1->ListCount(), 2);
    EXPECT_EQ(File1->ListIndex(), -1);
    EXPECT_EQ(Label1->Caption(), QStringLiteral("Select MP3File"));
}

TEST_F(Form2Test, OkOnAFolderWithoutTunesEmptiesTheListAndKeepsTheLabel) {
    for (const QString& folder : {driveD() + "/empty", driveD() + "/unplugged"}) {
        Form2& window = open();
        window.Dir1.setPath(folder);
        window.Command1_Click();
        EXPECT_EQ(openFolderWindow(), nullptr);
        EXPECT_EQ(File1->Path(), folder);
        EXPECT_EQ(File1->ListCount(), 0);
        EXPECT_EQ(Label1->Caption(), QStringLiteral("playing"));
    }
}

TEST_F(Form2Test, CancelAndTheCloseBoxChangeNothing) {
    for (const bool byCloseBox : {false, true}) {
        Form2& window = open();
        window.Drive1.setCurrentIndex(1);
        window.Dir1.setPath(driveD() + "/music");
        if (byCloseBox) {
            window.close();
        } else {
            QTest::mouseClick(&window.Command2, Qt::LeftButton);
        }
        EXPECT_EQ(openFolderWindow(), nullptr);
        EXPECT_FALSE(window.isVisible());
        expectMainListUntouched();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    EXPECT_EQ(visibleFolderWindows(), 0);
}

TEST_F(Form2Test, ReopeningStartsAgainFromTheMainListsFolder) {
    Form2& first = open();
    first.Drive1.setCurrentIndex(1);
    first.Dir1.setPath(driveD() + "/music");
    first.Command2_Click();

    Form2& second = open(); // before the first is deleted, still a new window
    EXPECT_NE(&second, &first);
    EXPECT_EQ(second.Drive1.Drive(), driveC());
    EXPECT_EQ(second.Dir1.Path(), driveC() + "/other");
    second.Drive1.setCurrentIndex(1);
    EXPECT_EQ(second.Dir1.Path(), driveD()); // nothing remembered from the first opening
}

TEST_F(Form2Test, AMainListOnNoListedVolumeStillOpensItsFolder) {
    const QString elsewhere = temp.path() + "/E/tunes";
    ASSERT_TRUE(QDir().mkpath(elsewhere));
    File1->setPath(elsewhere);
    Form2& window = open();
    EXPECT_EQ(window.Drive1.Drive(), driveC());
    EXPECT_EQ(window.Dir1.Path(), elsewhere);
}

TEST_F(Form2Test, TheWindowUnloadsWhenTheMainWindowsControlsGo) {
    open();
    Label1.reset();
    EXPECT_EQ(openFolderWindow(), nullptr);
    EXPECT_EQ(visibleFolderWindows(), 0);
}
