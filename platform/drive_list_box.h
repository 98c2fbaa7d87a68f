#pragma once

#include <QComboBox>
#include <QList>
#include <QString>
#include <functional>

namespace platform {

struct Volume {
    QString rootPath; // "/", "/media/usb"
    QString name;     // the volume's label, may be empty
};

// The volumes the drive list offers, asked for afresh each time: the mounted file systems
// (mountedVolumes), or stand-ins in tests.
using VolumeSource = std::function<QList<Volume>()>;
// The mounted file systems that can hold music a user would pick.
QList<Volume> mountedVolumes();
// The root of the volume of `volumes` that holds `path` (the deepest one), "" when none does.
QString volumeRootOf(const QList<Volume>& volumes, const QString& path);

// Drive1: the volumes, shown by root path and name. Drive is the selected volume's root path.
class DriveListBox : public QComboBox {
    Q_OBJECT
public:
    explicit DriveListBox(VolumeSource volumes, QWidget* parent = nullptr);

    QString Drive() const;
    // Selects the volume that holds the given path; an unknown path changes nothing.
    void setDrive(const QString& path);

signals:
    // Every change of the selection, by the user or by code.
    void Change();

private:
    VolumeSource volumes_;
};

} // namespace platform
