#include "platform/file_list_box.h"

#include "platform/press_keys.h"
#include "platform/twips.h"

#include <QKeyEvent>
#include <QMouseEvent>

namespace platform {

namespace {

FileListBox::MouseButton mouseButton(Qt::MouseButton button) {
    switch (button) {
    case Qt::LeftButton:
        return FileListBox::MouseButton::Left;
    case Qt::RightButton:
        return FileListBox::MouseButton::Right;
    case Qt::MiddleButton:
        return FileListBox::MouseButton::Middle;
    default:
        return FileListBox::MouseButton::Other;
    }
}

FileListBox::ShiftState shiftState(Qt::KeyboardModifiers modifiers) {
    FileListBox::ShiftState shift;
    shift.setFlag(FileListBox::ShiftKeyDown, modifiers & Qt::ShiftModifier);
    shift.setFlag(FileListBox::CtrlKeyDown, modifiers & Qt::ControlModifier);
    shift.setFlag(FileListBox::AltKeyDown, modifiers & Qt::AltModifier);
    return shift;
}

} // namespace

FileListBox::FileListBox(QWidget* parent) : QListView(parent), names_(this) {
    setModel(&names_);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    // Rows are one line each: laying out a large folder measures one of them, not all.
    setUniformItemSizes(true);
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
    names_.replace(path_.isEmpty()
                       ? FolderNames()
                       : FolderNames::read(path_, pattern_.split(u';', Qt::SkipEmptyParts)));
    setCurrentIndex(QModelIndex());
    clearSelection();
}

QString FileListBox::FileName() const {
    const int32_t row = ListIndex();
    return row < 0 ? QString() : names_.names().name(row);
}

QString FileListBox::List(int32_t index) const {
    return index < 0 || index >= ListCount() ? QString() : names_.names().shown(index).toString();
}

int32_t FileListBox::ListCount() const {
    return names_.names().count();
}

int32_t FileListBox::ListIndex() const {
    return selectionModel()->hasSelection() ? currentIndex().row() : -1;
}

void FileListBox::setListIndex(int32_t index) {
    if (index < 0 || index >= ListCount()) {
        setCurrentIndex(QModelIndex());
        clearSelection();
        return;
    }
    setCurrentIndex(names_.index(index));
}

void FileListBox::mousePressEvent(QMouseEvent* event) {
    const QPointF at = event->position();
    emit MouseDown(mouseButton(event->button()), shiftState(event->modifiers()),
                   pixelsToTwips(static_cast<float>(at.x())),
                   pixelsToTwips(static_cast<float>(at.y())));
    // Only the left button selects; a right press opens the folder window over the list as it is.
    if (event->button() != Qt::LeftButton) {
        return;
    }
    QListView::mousePressEvent(event);
    picking_ = indexAt(at.toPoint()).isValid();
}

void FileListBox::mouseReleaseEvent(QMouseEvent* event) {
    QListView::mouseReleaseEvent(event);
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
    if (asksForMenu(*event)) {
        emit MenuKey();
        return;
    }
    if (event->key() == Qt::Key_Space && heldModifiers(*event) == Qt::NoModifier) {
        event->ignore();
        return;
    }
    const int32_t previousRow = ListIndex();
    QListView::keyPressEvent(event);
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
