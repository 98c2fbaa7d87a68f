#pragma once

#include <QAccessibleWidget>

#include "platform/label.h"
#include "platform/status_bar.h"

namespace platform {

// A control that shows text, to a screen reader: named by its text, which can also be read
// whole or in parts (characters, words, lines), as screen readers read a line of text on demand,
// each part with its language. Nothing in it can be selected or edited.
class AccessibleText : public QAccessibleWidget, public QAccessibleTextInterface {
public:
    AccessibleText(Label* label, QAccessible::Role role);
    AccessibleText(StatusBar* bar, QAccessible::Role role);

    void* interface_cast(QAccessible::InterfaceType type) override;
    QString text(QAccessible::Text kind) const override;

    QString text(int startOffset, int endOffset) const override;
    int characterCount() const override;
    void selection(int selectionIndex, int* startOffset, int* endOffset) const override;
    int selectionCount() const override { return 0; }
    void addSelection(int, int) override {}
    void removeSelection(int) override {}
    void setSelection(int, int, int) override {}
    int cursorPosition() const override { return 0; }
    void setCursorPosition(int) override {}
    QRect characterRect(int) const override { return {}; }
    int offsetAtPoint(const QPoint&) const override { return -1; }
    void scrollToSubstring(int, int) override {}
    QString attributes(int offset, int* startOffset, int* endOffset) const override;

private:
    QString shown() const;
};

} // namespace platform
