#include "platform/status_bar.h"

namespace platform {

StatusBar::StatusBar(std::initializer_list<int> panelWidthsInPixels, QWidget* parent)
    : QWidget(parent) {
    for (int width : panelWidthsInPixels) {
        auto panel = std::make_unique<Label>(this);
        panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        panel->setFixedWidth(width);
        panels_.push_back(std::move(panel));
    }
}

QString StatusBar::PanelText(int index) const {
    return panels_.at(index - 1)->text();
}

void StatusBar::setPanelText(int index, const QString& text) {
    panels_.at(index - 1)->setCaption(text);
}

int StatusBar::PanelWidth(int index) const {
    return panels_.at(index - 1)->width();
}

// A panel of fixed size asks nobody to place it again when its text changes.
void StatusBar::resizeEvent(QResizeEvent*) {
    int left = 0;
    for (const auto& panel : panels_) {
        panel->setFixedHeight(height());
        panel->move(left, 0);
        left += panel->width();
    }
}

} // namespace platform
