#include "platform/dir_list_box.h"

#include "platform/press_keys.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QKeyEvent>
#include <QStyle>

namespace platform {

namespace {

constexpr int kFolderRole = Qt::UserRole;
constexpr int kIndentPerLevel = 2;

// The opened folder and every folder above it, outermost first: "/", "/home", "/home/me".
QStringList chainDownTo(const QString& folder) {
    QStringList chain;
    QString step = folder;
    while (true) {
        chain.prepend(step);
        const QString parent = QFileInfo(step).path();
        if (parent == step) {
            return chain;
        }
        step = parent;
    }
}

QString shownName(const QString& folder) {
    const QString name = QFileInfo(folder).fileName();
    return name.isEmpty() ? folder : name;
}

} // namespace

DirListBox::DirListBox(VolumeSource volumes, QWidget* parent)
    : QListWidget(parent), volumes_(std::move(volumes)) {
    setSelectionMode(QAbstractItemView::SingleSelection);
    connect(this, &QListWidget::itemDoubleClicked, this, &DirListBox::openItem);
}

void DirListBox::openItem(const QListWidgetItem* item) {
    open(item->data(kFolderRole).toString());
}

void DirListBox::keyPressEvent(QKeyEvent* event) {
    if (isReturn(*event)) {
        if (currentItem() != nullptr)
            openItem(currentItem());
        return;
    }
    QListWidget::keyPressEvent(event);
}

void DirListBox::setPath(const QString& folder) {
    const QString cleaned = QDir::cleanPath(QFileInfo(folder).absoluteFilePath());
    const QString root = volumeRootOf(volumes_(), cleaned);
    // A volume's root stands for its current folder: the one last opened on it.
    if (cleaned == root && lastOpenedOnVolume_.contains(root)) {
        open(lastOpenedOnVolume_.value(root));
        return;
    }
    open(cleaned);
}

void DirListBox::open(const QString& folder) {
    path_ = folder;
    const QString root = volumeRootOf(volumes_(), folder);
    if (!root.isEmpty()) {
        lastOpenedOnVolume_.insert(root, folder);
    }

    clear();
    const QIcon openIcon = QApplication::style()->standardIcon(QStyle::SP_DirOpenIcon);
    const QIcon closedIcon = QApplication::style()->standardIcon(QStyle::SP_DirClosedIcon);
    const QStringList chain = chainDownTo(folder);
    for (int level = 0; level < chain.size(); ++level) {
        auto* item = new QListWidgetItem(
            openIcon, QString(level * kIndentPerLevel, u' ') + shownName(chain[level]), this);
        item->setData(kFolderRole, chain[level]);
    }
    setCurrentRow(static_cast<int>(chain.size()) - 1);

    // An unreadable or missing folder lists nothing here, which is all it can show.
    const QString indent(static_cast<int>(chain.size()) * kIndentPerLevel, u' ');
    const QFileInfoList subfolders = QDir(folder).entryInfoList(QDir::Dirs | QDir::NoDotAndDotDot,
                                                                QDir::Name | QDir::IgnoreCase);
    for (const QFileInfo& subfolder : subfolders) {
        auto* item = new QListWidgetItem(closedIcon, indent + subfolder.fileName(), this);
        item->setData(kFolderRole, subfolder.absoluteFilePath());
    }
}

} // namespace platform
