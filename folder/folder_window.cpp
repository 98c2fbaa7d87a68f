#include "folder/form2.h"

#include <QPointer>

namespace folder {

namespace {

// The one loaded folder window. Cleared as soon as it unloads, not only when Qt deletes it later,
// so that an opening right after a close loads a new window.
QPointer<Form2> loaded;

} // namespace

void showFolderWindow(platform::FileListBox& File1, platform::Label& Label1,
                      const platform::VolumeSource& volumes) {
    if (loaded.isNull()) {
        auto* window = new Form2(File1, Label1, volumes);
        QObject::connect(window, &Form2::Unloaded, [window] {
            if (loaded == window) {
                loaded.clear();
            }
        });
        loaded = window;
    }
    loaded->show();
    loaded->raise();
    loaded->activateWindow();
}

Form2* openFolderWindow() {
    return loaded.data();
}

void closeFolderWindow() {
    if (!loaded.isNull()) {
        loaded->close();
    }
}

} // namespace folder
