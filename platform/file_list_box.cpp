#include "platform/file_list_box.h"

#include "platform/twips.h"

#include <QDir>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QRegularExpression>

namespace platform {

namespace {

int mouseButtonCode(Qt::MouseButton button) {
    switch (button) {
    case Qt::LeftButton:
        return 1;
    case Qt::RightButton:
        return 2;
    case Qt::MiddleButton:
        return 4;
    default:
        return 0;
    }
}

int shiftCode(Qt::KeyboardModifiers modifiers) {
    return (modifiers & Qt::ShiftModifier ? 1 : 0) | (modifiers & Qt::ControlModifier ? 2 : 0) |
           (modifiers & Qt::AltModifier ? 4 : 0);
}

} // namespace

FileListBox::FileListBox(QWidget* parent) : QListWidget(parent) {
    setSelectionMode(QAbstractItemView::SingleSelection);
}

void FileListBox::setPath(const QString& folder) {
    path_ = folder;
    refresh();
}

void FileListBox::setPattern(const QString& patterns) {
    pattern_ = patterns;
    refresh();
}

void FileListBox::refresh() {
    clear();
    if (path_.isEmpty()) {
        return;
    }
    const QStringList filters = pattern_.split(u';', Qt::SkipEmptyParts);
    QStringList trimmed;
    for (const QString& filter : filters) {
        trimmed << filter.trimmed();
    }
    // QDir::Files without System/Hidden leaves out dot files, devices, pipes and sockets;
    // NoSymLinks is not set, so a link to a regular file is listed like the file itself.
    const QDir dir(path_);
    const QStringList names = dir.entryList(trimmed, QDir::Files, QDir::Name | QDir::IgnoreCase);
    addItems(names);
    setCurrentRow(-1);
    clearSelection();
}

QString FileListBox::FileName() const {
    const int row = currentRow();
    if (row < 0 || selectedItems().isEmpty()) {
        return QString();
    }
    return item(row)->text();
}

int16_t FileListBox::ListCount() const {
    return static_cast<int16_t>(count());
}

int16_t FileListBox::ListIndex() const {
    return selectedItems().isEmpty() ? -1 : static_cast<int16_t>(currentRow());
}

void FileListBox::setListIndex(int16_t index) {
    if (index < 0 || index >= count()) {
        setCurrentRow(-1);
        clearSelection();
        return;
    }
    setCurrentRow(index);
}

void FileListBox::mousePressEvent(QMouseEvent* event) {
    const QPointF at = event->position();
    emit MouseDown(mouseButtonCode(event->button()), shiftCode(event->modifiers()),
                   pixelsToTwips(static_cast<float>(at.x())),
                   pixelsToTwips(static_cast<float>(at.y())));
    // Only the left button selects; a right press opens the folder window over the list as it is.
    if (event->button() != Qt::LeftButton) {
        return;
    }
    QListWidget::mousePressEvent(event);
    picking_ = itemAt(at.toPoint()) != nullptr;
}

void FileListBox::mouseReleaseEvent(QMouseEvent* event) {
    QListWidget::mouseReleaseEvent(event);
    if (event->button() != Qt::LeftButton || !picking_) {
        return;
    }
    picking_ = false;
    // The pick is where the drag ended; a click on the selected entry picks it again.
    if (ListIndex() >= 0) {
        emit Click();
    }
}

void FileListBox::keyPressEvent(QKeyEvent* event) {
    const int previousRow = ListIndex();
    QListWidget::keyPressEvent(event);
    if (ListIndex() >= 0 && ListIndex() != previousRow) {
        emit Click();
    }
}

QItemSelectionModel::SelectionFlags FileListBox::selectionCommand(const QModelIndex& index,
                                                                  const QEvent*) const {
    // Whatever the modifiers, an entry reached is the one selected entry: Ctrl neither toggles it
    // off nor moves the cursor without the selection.
    if (!index.isValid()) {
        return QItemSelectionModel::NoUpdate;
    }
    return QItemSelectionModel::ClearAndSelect;
}

} // namespace platform
