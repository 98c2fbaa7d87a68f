#include "platform/accessible_text.h"

#include "platform/text_language.h"

namespace platform {

AccessibleText::AccessibleText(Label* label, QAccessible::Role role)
    : QAccessibleWidget(label, role) {}

AccessibleText::AccessibleText(StatusBar* bar, QAccessible::Role role)
    : QAccessibleWidget(bar, role) {}

QString AccessibleText::shown() const {
    if (const auto* label = qobject_cast<const Label*>(widget()))
        return label->text();
    const auto* bar = static_cast<const StatusBar*>(widget());
    QStringList panels;
    for (int index = 1; index <= bar->PanelCount(); ++index) {
        if (!bar->PanelText(index).isEmpty())
            panels << bar->PanelText(index);
    }
    return panels.join(QStringLiteral("  "));
}

void* AccessibleText::interface_cast(QAccessible::InterfaceType type) {
    if (type == QAccessible::TextInterface)
        return static_cast<QAccessibleTextInterface*>(this);
    return QAccessibleWidget::interface_cast(type);
}

QString AccessibleText::text(QAccessible::Text kind) const {
    if (kind == QAccessible::Name && widget()->accessibleName().isEmpty())
        return shown();
    return QAccessibleWidget::text(kind);
}

QString AccessibleText::text(int startOffset, int endOffset) const {
    const QString whole = shown();
    if (endOffset < 0 || endOffset > whole.size())
        endOffset = whole.size();
    startOffset = qBound(0, startOffset, endOffset);
    return whole.mid(startOffset, endOffset - startOffset);
}

int AccessibleText::characterCount() const {
    return static_cast<int>(shown().size());
}

void AccessibleText::selection(int, int* startOffset, int* endOffset) const {
    *startOffset = 0;
    *endOffset = 0;
}

QString AccessibleText::attributes(int offset, int* startOffset, int* endOffset) const {
    // Plain text whose only attribute is its language, so that a reader can switch voices.
    const LanguageRun run = languageRunAt(shown(), offset);
    *startOffset = run.start;
    *endOffset = run.end;
    return run.language.isEmpty() ? QString() : QStringLiteral("language:") + run.language;
}

} // namespace platform
