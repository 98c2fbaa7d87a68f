// Two stand-in drives in a temporary folder, offered to the drive list in place of the mounts.
#pragma once

#include <QCoreApplication>
#include <QDir>
#include <QListWidget>
#include <QTest>
#include <gtest/gtest.h>
#include <ostream>

#include "platform/drive_list_box.h"
#include "qt_temp_folder.h"

// Readable failure messages.
inline void PrintTo(const QString& text, std::ostream* out) {
    *out << '"' << text.toStdString() << '"';
}

namespace folder_test {

using test_support::touch;

// C: holds other/ with one tune. D: holds music/ with two tunes and empty/ with none.
class TwoDrives : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(temp.isValid());
        QDir top(temp.path());
        for (const char* folder : {"C/other/deeper", "D/music", "D/empty"}) {
            ASSERT_TRUE(top.mkpath(QString::fromLatin1(folder)));
        }
        touch(driveC() + "/other/c.mid");
        touch(driveD() + "/music/a.mp3");
        touch(driveD() + "/music/b.wav");
        touch(driveD() + "/empty/notes.txt");
    }

    // The drives as the lists and the windows ask for them.
    platform::VolumeSource volumeSource() const {
        return [this] { return volumes(); };
    }

    virtual QList<platform::Volume> volumes() const {
        return {{driveC(), QStringLiteral("SYSTEM")}, {driveD(), QString()}};
    }

    QString driveC() const { return temp.path() + "/C"; }
    QString driveD() const { return temp.path() + "/D"; }

    test_support::QtTempFolder temp;
};

// Double-clicks the list's entry that stands for `folder`.
// Highlights the entry for `folder` with the arrow keys and presses Return on it.
inline void returnOnFolder(QListWidget& list, const QString& folder) {
    list.setFocus();
    QTest::keyClick(&list, Qt::Key_Home);
    for (int row = 0; row < list.count(); ++row) {
        if (list.currentItem()->data(Qt::UserRole).toString() == folder) {
            QTest::keyClick(&list, Qt::Key_Return);
            return;
        }
        QTest::keyClick(&list, Qt::Key_Down);
    }
    ADD_FAILURE() << "no entry for " << folder.toStdString();
}

inline void doubleClickFolder(QListWidget& list, const QString& folder) {
    QCoreApplication::processEvents(); // the list lays its entries out later
    for (int row = 0; row < list.count(); ++row) {
        if (list.item(row)->data(Qt::UserRole).toString() == folder) {
            // A user's double-click: a first click, then the second one that Qt reports as double.
            const QPoint at = list.visualItemRect(list.item(row)).center();
            QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, at);
            QTest::mouseDClick(list.viewport(), Qt::LeftButton, {}, at);
            return;
        }
    }
    ADD_FAILURE() << "no entry for " << folder.toStdString();
}

} // namespace folder_test
