#include "folder/form2.h"

#include "platform/desktop_identity.h"
#include "platform/place.h"
#include "platform/twips.h"
#include "platform/x11_window.h"

#include <QCloseEvent>

namespace folder {

namespace {

using platform::twipsToPixels;

using platform::placeInTwips;

// Plain push buttons: Enter and Esc reach neither.
void setUpButton(QPushButton& button, const QString& text) {
    button.setText(text);
    button.setAutoDefault(false);
    button.setDefault(false);
}

} // namespace

Form2::Form2(platform::FileListBox& File1, platform::Label& Label1, platform::VolumeSource volumes)
    // No parent: the window has no owner, so the main window stays usable beside it.
    : QWidget(nullptr), Drive1(volumes, this), Dir1(volumes, this), Command1(this), Command2(this),
      File1_(File1), Label1_(Label1) {
    setAttribute(Qt::WA_DeleteOnClose);
    layOut();
    connectEvents();
    Form_Load();
}

void Form2::layOut() {
    setWindowTitle(QStringLiteral("FolderSelect"));
    // A tool window out of the taskbar; the hints leave the close box as its only button.
    setWindowFlags(Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
    // Its own stored place, given for the client area as the main window's is.
    setFixedSize(twipsToPixels(2520), twipsToPixels(4365));
    placeInTwips(*this, {11670, 2850, 2520, 4365});

    placeInTwips(Drive1, {0, 0, 2535, 300});
    placeInTwips(Dir1, {0, 360, 2535, 3450});
    placeInTwips(Command1, {0, 3840, 1215, 495});
    placeInTwips(Command2, {1320, 3840, 1215, 495});
    setUpButton(Command1, QStringLiteral("OK"));
    setUpButton(Command2, QStringLiteral("Cancel"));

    Drive1.setAccessibleName(QStringLiteral("Drives"));
    Dir1.setAccessibleName(QStringLiteral("Folders"));
    QWidget::setTabOrder(&Drive1, &Dir1);
    QWidget::setTabOrder(&Dir1, &Command1);
    QWidget::setTabOrder(&Command1, &Command2);
    platform::claimDesktopIdentity(*this);
    platform::keepOutOfTaskbar(*this);
}

void Form2::connectEvents() {
    connect(&Drive1, &platform::DriveListBox::Change, this, &Form2::Drive1_Change);
    connect(&Command1, &QPushButton::clicked, this, &Form2::Command1_Click);
    connect(&Command2, &QPushButton::clicked, this, &Form2::Command2_Click);
    // The window works on the main window's controls and must not outlive them.
    connect(&File1_, &QObject::destroyed, this, &QWidget::close);
    connect(&Label1_, &QObject::destroyed, this, &QWidget::close);
}

void Form2::Form_Load() {
    Drive1.setDrive(File1_.Path());
    Dir1.setPath(File1_.Path());
}

void Form2::Drive1_Change() {
    Dir1.setPath(Drive1.Drive());
}

void Form2::Command1_Click() {
    File1_.setPath(Dir1.Path());
    close();
    if (File1_.ListCount() != 0) {
        Label1_.setCaption(QStringLiteral("Select MP3File"));
    }
}

void Form2::Command2_Click() {
    close();
}

void Form2::closeEvent(QCloseEvent* event) {
    event->accept();
    emit Unloaded();
}

} // namespace folder
