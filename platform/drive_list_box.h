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

// The volumes the drive list offers; by default the mounted file systems. Tests may swap it.
using VolumeSource = std::function<QList<Volume>()>;
void setVolumeSource(VolumeSource source);
QList<Volume> availableVolumes();
// The root of the listed volume that holds `path` (the deepest one), "" when none does.
QString volumeRootOf(const QString& path);

// Drive1: the volumes, shown by root path and name. Drive is the selected volume's root path.
class DriveListBox : public QComboBox {
    Q_OBJECT
public:
    explicit DriveListBox(QWidget* parent = nullptr);

    QString Drive() const;
    // Selects the volume that holds the given path; an unknown path changes nothing.
    void setDrive(const QString& path);

signals:
    // Every change of the selection, by the user or by code.
    void Change();
};

} // namespace platform
