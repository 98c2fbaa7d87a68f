// A person's mouse and keyboard on a shown top-level window: events enter through the window, as
// the platform delivers them, so that Qt routes, grabs and focuses as it would for a real pointer.
#pragma once

#include <QAbstractItemView>
#include <QApplication>
#include <QMenu>
#include <QScrollBar>
#include <QStyle>
#include <QStyleOptionSlider>
#include <QTest>
#include <QTimer>
#include <QWidget>
#include <QWindow>

namespace input {

// Where the thumb's middle is when the bar shows `value`, in the bar's own coordinates.
inline QPoint thumbCenter(const QScrollBar& bar, int value) {
    QStyleOptionSlider option;
    option.initFrom(&bar);
    option.subControls = QStyle::SC_All;
    option.orientation = bar.orientation();
    option.minimum = bar.minimum();
    option.maximum = bar.maximum();
    option.sliderPosition = value;
    option.sliderValue = value;
    option.singleStep = bar.singleStep();
    option.pageStep = bar.pageStep();
    return bar.style()
        ->subControlRect(QStyle::CC_ScrollBar, &option, QStyle::SC_ScrollBarSlider, &bar)
        .center();
}

// Where entry `row` of a list shows, in the list's viewport.
inline QPoint rowCenter(const QAbstractItemView& list, int row) {
    return list.visualRect(list.model()->index(row, 0)).center();
}

class Pointer {
public:
    explicit Pointer(QWidget& window) : window_(*window.windowHandle()), top_(window) {}

    void press(const QWidget& control, QPoint at, Qt::MouseButton button = Qt::LeftButton,
               Qt::KeyboardModifiers modifiers = {}) {
        QTest::mousePress(&window_, button, modifiers, inWindow(control, at));
    }
    // Moves with whatever buttons are down, as one reported move.
    void moveTo(const QWidget& control, QPoint at) {
        QTest::mouseMove(&window_, inWindow(control, at));
    }
    void release(const QWidget& control, QPoint at, Qt::MouseButton button = Qt::LeftButton,
                 Qt::KeyboardModifiers modifiers = {}) {
        QTest::mouseRelease(&window_, button, modifiers, inWindow(control, at));
    }
    void click(const QWidget& control, QPoint at, Qt::MouseButton button = Qt::LeftButton,
               Qt::KeyboardModifiers modifiers = {}) {
        press(control, at, button, modifiers);
        release(control, at, button, modifiers);
    }
    // A key pressed and released on whatever has the window's focus.
    void key(Qt::Key key, Qt::KeyboardModifiers modifiers = {}) {
        if (key >= Qt::Key_Back && key <= Qt::Key_LaunchF) // the media keys type no character
            QTest::sendKeyEvent(QTest::Click, &window_, key, QString(), modifiers);
        else
            QTest::keyClick(&window_, key, modifiers);
    }
    // A key held down until the keyboard has repeated it `repeats` times, then let go.
    void hold(Qt::Key key, int repeats) {
        const QString text = QTest::keyToAscii(key) ? QString(QChar(QTest::keyToAscii(key))) : "";
        QTest::simulateEvent(&window_, true, key, {}, text, false);
        for (int repeat = 0; repeat < repeats; ++repeat)
            QTest::simulateEvent(&window_, true, key, {}, text, true);
        QTest::simulateEvent(&window_, false, key, {}, text, false);
    }

private:
    QPoint inWindow(const QWidget& control, QPoint at) const { return control.mapTo(&top_, at); }

    QWindow& window_;
    QWidget& top_;
};

// Runs `act`; true if a popup menu opened meanwhile (it is closed again, so `act` returns).
template <typename Action> bool opensAMenu(Action act) {
    bool opened = false;
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, [&] {
        if (QWidget* popup = QApplication::activePopupWidget()) {
            opened = true;
            popup->close();
        }
    });
    watch.start(10);
    act();
    QTest::qWait(50);
    return opened;
}

} // namespace input
