#pragma once

#include <QString>
#include <QWidget>

namespace platform {

// A window's caption, shown exactly as given, empty included: Qt would otherwise read "[*]" in it
// as the place of its "modified" mark and drop it, and show an empty one as the application's name.
void setCaption(QWidget& window, const QString& caption);
QString Caption(const QWidget& window);

} // namespace platform
