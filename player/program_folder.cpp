#include "player/program_folder.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace player {

QString programFolder(const QString& startedAs) {
    QString path = startedAs;
    if (!path.isEmpty() && !path.contains(u'/')) {
        path = QStandardPaths::findExecutable(path);
    }
    if (path.isEmpty()) {
        return QCoreApplication::applicationDirPath();
    }
    // absolutePath() takes the folder of the path as given, without following a final link.
    return QDir::cleanPath(QFileInfo(path).absolutePath());
}

} // namespace player
