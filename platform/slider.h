#pragma once

#include <QSlider>

namespace platform {

// A horizontal slider whose Change is raised for finished changes by the user only: the release
// after a drag that moved it, a key press, a click in its track. Nothing during a drag or from
// code.
class Slider : public QSlider {
    Q_OBJECT
public:
    explicit Slider(QWidget* parent = nullptr);

    int Value() const { return value(); }
    // A position written by the program: it raises no Change.
    void setValueFromCode(int position);

signals:
    void Change();

private:
    void onValueChanged();
    void onReleased();

    bool fromCode_ = false;
    bool movedInDrag_ = false;
};

} // namespace platform
