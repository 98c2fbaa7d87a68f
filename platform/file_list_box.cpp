#include "platform/file_list_box.h"

#include "platform/codepage.h"
#include "platform/twips.h"

#include <QDir>
#include <QKeyEvent>
#include <QMouseEvent>
#include <algorithm>
#include <filesystem>
#include <system_error>

namespace platform {

namespace {

int mouseButtonCode(Qt::MouseButton button) {
    switch (button) {
    case Qt::LeftButton:
        return LeftButtonCode;
    case Qt::RightButton:
        return RightButtonCode;
    case Qt::MiddleButton:
        return MiddleButtonCode;
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
    // Read by bytes: QDir leaves out every name that is not UTF-8. Like QDir::Files without
    // System/Hidden, this leaves out dot files, folders, devices, pipes and sockets, and lists a
    // link to a regular file like the file itself.
    struct Entry {
        QString name;    // the name as the engine gets it (see toEightBit)
        QString display; // as the list shows it
    };
    std::vector<Entry> entries;
    std::error_code error;
    const std::filesystem::path folder(toEightBit(path_).toStdString());
    for (std::filesystem::directory_iterator it(folder, error), end; !error && it != end;
         it.increment(error)) {
        const std::string bytes = it->path().filename().native();
        std::error_code statusError;
        if (bytes.starts_with('.') || !std::filesystem::is_regular_file(it->status(statusError)))
            continue;
        const QString name = fromEightBit(QByteArray::fromStdString(bytes));
        // Matched on the decoded name: a regular expression takes no escaped bytes.
        const QString display = displayName(name);
        if (QDir::match(trimmed, display))
            entries.push_back({name, display});
    }
    std::sort(entries.begin(), entries.end(), [](const Entry& a, const Entry& b) {
        return QString::compare(a.display, b.display, Qt::CaseInsensitive) < 0;
    });
    for (const Entry& entry : entries) {
        auto* item = new QListWidgetItem(entry.display, this);
        item->setData(Qt::UserRole, entry.name);
    }
    setCurrentRow(-1);
    clearSelection();
}

QString FileListBox::FileName() const {
    const int row = currentRow();
    if (row < 0 || selectedItems().isEmpty()) {
        return QString();
    }
    return item(row)->data(Qt::UserRole).toString();
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
