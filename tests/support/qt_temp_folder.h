// The temporary folder under Qt's names, and empty files in it.
#pragma once

#include <QFile>
#include <QString>
#include <gtest/gtest.h>

#include "temp_folder.h"

namespace test_support {

class QtTempFolder {
public:
    bool isValid() const { return std::filesystem::is_directory(folder_.path()); }
    QString path() const { return QString::fromStdString(folder_.path().string()); }
    QString filePath(const QString& name) const { return path() + '/' + name; }

private:
    TempFolder folder_;
};

// Makes an empty file.
inline void touch(const QString& path) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly)) << path.toStdString();
}

} // namespace test_support
