#pragma once

#include <QPushButton>
#include <QWidget>

#include "platform/dir_list_box.h"
#include "platform/drive_list_box.h"
#include "platform/file_list_box.h"
#include "platform/label.h"

namespace folder {

// The folder window: picks the folder whose files the main window's list shows. It is loaded
// (Form_Load) when made and unloads itself, deleted later, on OK, Cancel or its close box.
class Form2 : public QWidget {
    Q_OBJECT
public:
    Form2(platform::FileListBox& File1, platform::Label& Label1, platform::VolumeSource volumes);

    platform::DriveListBox Drive1;
    platform::DirListBox Dir1;
    QPushButton Command1;
    QPushButton Command2;

    // The controls' handlers, public so that tests can raise them as the controls would.
    void Drive1_Change();
    void Command1_Click();
    void Command2_Click();

signals:
    // The window unloads: OK, Cancel or the close box.
    void Unloaded();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void layOut();
    void connectEvents();
    void Form_Load();

    platform::FileListBox& File1_;
    platform::Label& Label1_;
};

// At most one folder window: opens it, loaded afresh, or brings the open one forward.
void showFolderWindow(platform::FileListBox& File1, platform::Label& Label1,
                      const platform::VolumeSource& volumes);
// The open folder window, or nullptr.
Form2* openFolderWindow();
// Unloads the folder window if it is open, as its close box would.
void closeFolderWindow();

} // namespace folder
