#include "platform/drive_list_box.h"

#include <QDir>
#include <QStorageInfo>
#include <algorithm>

namespace platform {

namespace {

// Memory-backed and system mounts hold no music a user would pick; Qt already drops /proc, /sys
// and /dev.
bool isRealFileSystem(const QStorageInfo& storage) {
    static const QList<QByteArray> kSystemTypes = {
        "tmpfs", "ramfs", "devtmpfs", "squashfs", "autofs", "fuse.portal", "fuse.gvfsd-fuse"};
    return !kSystemTypes.contains(storage.fileSystemType());
}

} // namespace

QList<Volume> mountedVolumes() {
    QList<Volume> volumes;
    for (const QStorageInfo& storage : QStorageInfo::mountedVolumes()) {
        if (storage.isValid() && storage.isReady() && isRealFileSystem(storage)) {
            volumes.append({storage.rootPath(), storage.name()});
        }
    }
    std::sort(volumes.begin(), volumes.end(),
              [](const Volume& a, const Volume& b) { return a.rootPath < b.rootPath; });
    return volumes;
}

namespace {

bool holds(const QString& root, const QString& path) {
    if (path == root) {
        return true;
    }
    const QString prefix = root.endsWith(u'/') ? root : root + u'/';
    return path.startsWith(prefix);
}

QString shownText(const Volume& volume) {
    return volume.name.isEmpty() ? volume.rootPath
                                 : QStringLiteral("%1  [%2]").arg(volume.rootPath, volume.name);
}

} // namespace

QString volumeRootOf(const QList<Volume>& volumes, const QString& path) {
    const QString cleaned = QDir::cleanPath(path);
    QString deepest;
    for (const Volume& volume : volumes) {
        const QString root = QDir::cleanPath(volume.rootPath);
        if (holds(root, cleaned) && root.size() > deepest.size()) {
            deepest = root;
        }
    }
    return deepest;
}

DriveListBox::DriveListBox(VolumeSource volumes, QWidget* parent)
    : QComboBox(parent), volumes_(std::move(volumes)) {
    for (const Volume& volume : volumes_()) {
        addItem(shownText(volume), QDir::cleanPath(volume.rootPath));
    }
    connect(this, &QComboBox::currentIndexChanged, this, &DriveListBox::Change);
}

QString DriveListBox::Drive() const {
    return currentData().toString();
}

void DriveListBox::setDrive(const QString& path) {
    const int index = findData(volumeRootOf(volumes_(), path));
    if (index >= 0) {
        setCurrentIndex(index);
    }
}

} // namespace platform
