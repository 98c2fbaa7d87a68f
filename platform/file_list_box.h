#pragma once

#include <QListWidget>
#include <QString>
#include <QStringList>
#include <cstdint>

namespace platform {

// The mouse button codes that MouseDown reports.
enum MouseButtonCode : int { LeftButtonCode = 1, RightButtonCode = 2, MiddleButtonCode = 4 };

// File1: the files of one folder that match a set of wildcard patterns, sorted by name. A single-
// selection list box: the user picks one entry with the mouse (where the left button goes up, after
// pressing on an entry and dragging or not) or moves the selection with the keys, and each pick
// raises one Click. Once an entry is selected the user cannot empty the selection.
class FileListBox : public QListWidget {
    Q_OBJECT
public:
    explicit FileListBox(QWidget* parent = nullptr);

    QString Path() const { return path_; }
    // Lists the folder's matching regular files afresh with nothing selected.
    void setPath(const QString& folder);

    QString Pattern() const { return pattern_; }
    // Patterns are separated by ';' ("*.mp3;*.mid") and compared without regard to case.
    void setPattern(const QString& patterns);

    // The selected entry's name, "" when nothing is selected. A name that is no UTF-8 on disk
    // comes with its bytes escaped, so that the path made from it opens the file; the list
    // shows it decoded (displayName).
    QString FileName() const;

    int16_t ListCount() const;
    int16_t ListIndex() const;
    // -1 selects nothing. Raises no Click: only the user's selections do.
    void setListIndex(int16_t index);

signals:
    void Click();
    // button: a MouseButtonCode (0 for others); shift: 1 Shift, 2 Ctrl, 4 Alt; x, y in twips.
    void MouseDown(int button, int shift, float x, float y);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    QItemSelectionModel::SelectionFlags selectionCommand(const QModelIndex& index,
                                                         const QEvent* event) const override;

private:
    void refresh();

    // A left press on an entry that its release has not yet turned into a Click.
    bool picking_ = false;

    QString path_;
    QString pattern_ = QStringLiteral("*.*");
};

} // namespace platform
