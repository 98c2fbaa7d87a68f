#pragma once

#include <QHash>
#include <QListWidget>
#include <QString>

#include "platform/drive_list_box.h"

namespace platform {

// Dir1: the chain of folders down to the opened one, then the folders inside it. A double-click
// opens a folder, and so does Return on the highlighted one. It remembers the folder last opened on
// each volume, which opening the volume's root brings back.
class DirListBox : public QListWidget {
    Q_OBJECT
public:
    explicit DirListBox(VolumeSource volumes, QWidget* parent = nullptr);

    QString Path() const { return path_; }
    // Opens the folder; a folder that cannot be read shows without subfolders.
    void setPath(const QString& folder);

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void open(const QString& folder);
    void openItem(const QListWidgetItem* item);

    VolumeSource volumes_;
    QString path_;
    QHash<QString, QString> lastOpenedOnVolume_;
};

} // namespace platform
