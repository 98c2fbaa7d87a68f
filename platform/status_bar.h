#pragma once

#include <QLabel>
#include <QWidget>
#include <memory>
#include <vector>

namespace platform {

// A status bar of fixed-width text panels, addressed by position from 1.
class StatusBar : public QWidget {
    Q_OBJECT
public:
    StatusBar(std::initializer_list<int> panelWidthsInPixels, QWidget* parent = nullptr);

    int PanelCount() const { return static_cast<int>(panels_.size()); }
    QString PanelText(int index) const;
    void setPanelText(int index, const QString& text);
    int PanelWidth(int index) const;

private:
    std::vector<std::unique_ptr<QLabel>> panels_;
};

} // namespace platform
