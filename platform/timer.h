#pragma once

#include <QObject>
#include <QTimer>

namespace platform {

// A timer control raising Tick every Interval milliseconds while Enabled. Ticks that fall while a
// modal box is up are skipped, so a handler never runs inside another's box.
class Timer : public QObject {
    Q_OBJECT
public:
    explicit Timer(QObject* parent = nullptr);

    int Interval() const { return timer_.interval(); }
    void setInterval(int milliseconds) { timer_.setInterval(milliseconds); }
    bool Enabled() const { return timer_.isActive(); }
    void setEnabled(bool enabled);

signals:
    void Tick();

private:
    QTimer timer_;
};

} // namespace platform
