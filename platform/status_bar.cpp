#include "platform/status_bar.h"

#include <QHBoxLayout>

namespace platform {

StatusBar::StatusBar(std::initializer_list<int> panelWidthsInPixels, QWidget* parent)
    : QWidget(parent) {
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(0);
    for (int width : panelWidthsInPixels) {
        auto panel = std::make_unique<QLabel>(this);
        panel->setTextFormat(Qt::PlainText);
        panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        panel->setFixedWidth(width);
        row->addWidget(panel.get());
        panels_.push_back(std::move(panel));
    }
    row->addStretch();
}

QString StatusBar::PanelText(int index) const {
    return panels_.at(index - 1)->text();
}

void StatusBar::setPanelText(int index, const QString& text) {
    panels_.at(index - 1)->setText(text);
}

int StatusBar::PanelWidth(int index) const {
    return panels_.at(index - 1)->width();
}

} // namespace platform
