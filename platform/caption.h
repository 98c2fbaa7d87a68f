#pragma once

#include <QString>
#include <QWidget>

namespace platform {

// A window's caption, shown exactly as given: Qt would otherwise read "[*]" in it as the place of
// its "modified" mark and drop it.
void setCaption(QWidget& window, const QString& caption);
QString Caption(const QWidget& window);

} // namespace platform
