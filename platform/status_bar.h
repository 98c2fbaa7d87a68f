#pragma once

#include <QWidget>
#include <memory>
#include <vector>

#include "platform/label.h"

namespace platform {

// A status bar of fixed-width text panels, addressed by position from 1, side by side from the
// left edge and as high as the bar; screen readers read each panel as a label, with its language.
// They are placed by hand when the bar is resized: a layout would place them all again each time a
// panel's text changes, which is every second.
class StatusBar : public QWidget {
    Q_OBJECT
public:
    StatusBar(std::initializer_list<int> panelWidthsInPixels, QWidget* parent = nullptr);

    int PanelCount() const { return static_cast<int>(panels_.size()); }
    QString PanelText(int index) const;
    void setPanelText(int index, const QString& text);
    int PanelWidth(int index) const;

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    std::vector<std::unique_ptr<Label>> panels_;
};

} // namespace platform
