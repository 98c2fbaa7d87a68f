#pragma once

#include <QListView>
#include <QString>
#include <cstdint>

#include "platform/folder_names_model.h"

namespace platform {

// File1: the files of one folder that match a set of wildcard patterns, sorted by name. A single-
// selection list box: the user picks one entry with the mouse (where the left button goes up, after
// pressing on an entry and dragging or not) or moves the selection with the keys, and each pick
// raises one Click. Once an entry is selected the user cannot empty the selection. The Menu key
// and Shift+F10 raise MenuKey. Space is left to the window: the selection already follows the
// keys, so it has nothing to select. Counts and indexes hold any folder the file system holds.
class FileListBox : public QListView {
    Q_OBJECT
public:
    // The mouse button that MouseDown reports.
    enum class MouseButton : int { Other = 0, Left = 1, Right = 2, Middle = 4 };
    Q_ENUM(MouseButton)
    // The modifier keys held down at a MouseDown.
    enum ShiftKey : int { NoShiftKey = 0, ShiftKeyDown = 1, CtrlKeyDown = 2, AltKeyDown = 4 };
    Q_DECLARE_FLAGS(ShiftState, ShiftKey)
    Q_FLAG(ShiftState)

    explicit FileListBox(QWidget* parent = nullptr);

    QString Path() const { return path_; }
    // Lists the folder's matching regular files afresh with nothing selected.
    void setPath(const QString& folder);

    QString Pattern() const { return pattern_; }
    // Patterns are separated by ';' ("*.mp3;*.mid") and compared without regard to case.
    void setPattern(const QString& patterns);

    // The selected entry's name, "" when nothing is selected. A name that is no UTF-8 on disk
    // comes with its bytes escaped, so that the path made from it opens the file; the list
    // shows it decoded (List).
    QString FileName() const;
    // Entry `index` as the list shows it.
    QString List(int32_t index) const;

    int32_t ListCount() const;
    int32_t ListIndex() const;
    // -1 selects nothing. Raises no Click: only the user's selections do.
    void setListIndex(int32_t index);

signals:
    void Click();
    // x, y in twips.
    void MouseDown(platform::FileListBox::MouseButton button,
                   platform::FileListBox::ShiftState shift, float x, float y);
    void MenuKey();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    QItemSelectionModel::SelectionFlags selectionCommand(const QModelIndex& index,
                                                         const QEvent* event) const override;

private:
    void refresh();

    FolderNamesModel names_;
    // A left press on an entry that its release has not yet turned into a Click.
    bool picking_ = false;

    QString path_;
    QString pattern_ = QStringLiteral("*.*");
};

Q_DECLARE_OPERATORS_FOR_FLAGS(FileListBox::ShiftState)

} // namespace platform
