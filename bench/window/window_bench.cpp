// How long the window's thread is kept from its event loop: the main window on the real engine in
// a folder, driven by clicks, keys, a seek-bar drag and its own ticks, while a 10 ms timer notes
// how late it fires. Prints the longest lateness of each kind of input, in milliseconds.
//
//   window_bench FOLDER
// The folder's first entry is the long one, which the Home key starts and the seek bar is dragged
// on.
#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <cstdio>
#include <functional>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "player/form1.h"
#include "pointer.h"

namespace {

using Step = std::pair<const char*, std::function<void()>>;

// The steps, each in a kind of its own; the ticks run all along and alone in "tick". Whatever
// starts the long entry is "long": the engine's open of it is its own cost.
std::vector<Step> steps(player::Form1& form, input::Pointer& pointer) {
    const auto thumb = [&form](double share) {
        return input::thumbCenter(form.scSeek, static_cast<int>(form.scSeek.Max() * share));
    };
    std::vector<Step> out;
    for (int i = 0; i < 8; ++i)
        out.push_back({"tick", [] {}});
    out.push_back({"long", [&] { pointer.key(Qt::Key_Home); }});
    // Whichever entry shows second from the top.
    out.push_back({"click", [&] {
                       pointer.click(form.File1,
                                     form.File1.viewport()->mapTo(&form.File1, QPoint(20, 24)));
                   }});
    out.push_back({"click", [&] { pointer.click(form.Image1, form.Image1.rect().center()); }});
    out.push_back({"click", [&] { pointer.click(form.PlayBtn, form.PlayBtn.rect().center()); }});
    out.push_back({"click", [&] { pointer.click(form.PlayBtn, form.PlayBtn.rect().center()); }});
    out.push_back({"click", [&] { pointer.click(form.StopBtn, form.StopBtn.rect().center()); }});
    out.push_back({"click", [&] { pointer.click(form.PlayBtn, form.PlayBtn.rect().center()); }});
    for (const Qt::Key key : {Qt::Key_Down, Qt::Key_End, Qt::Key_PageDown, Qt::Key_Z, Qt::Key_Up}) {
        out.push_back({"key", [&, key] { pointer.key(key); }});
    }
    out.push_back({"long", [&] { pointer.key(Qt::Key_Home); }});
    out.push_back({"seek", [&, thumb] { pointer.press(form.scSeek, thumb(0.0)); }});
    out.push_back({"seek", [&, thumb] { pointer.moveTo(form.scSeek, thumb(0.5)); }});
    out.push_back({"seek", [&, thumb] { pointer.moveTo(form.scSeek, thumb(0.75)); }});
    out.push_back({"seek", [&, thumb] { pointer.release(form.scSeek, thumb(0.75)); }});
    out.push_back({"key", [&] { pointer.key(Qt::Key_Right); }});
    out.push_back(
        {"click", [&] {
             pointer.click(form.scSeek, {form.scSeek.width() - 12, form.scSeek.height() / 2});
         }});
    for (int i = 0; i < 8; ++i)
        out.push_back({"tick", [] {}});
    return out;
}

} // namespace

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: window_bench FOLDER\n");
        return 2;
    }
    QElapsedTimer clock;
    clock.start();
    player::Form1 form(QString::fromLocal8Bit(argv[1]), player::Surroundings{});
    form.load();
    const qint64 loaded = clock.elapsed();
    form.show();
    QApplication::processEvents();
    std::printf("{\"load_ms\": %lld, \"entries\": %d", loaded, form.File1.ListCount());

    std::map<std::string, qint64> longest;
    const char* kind = "tick";
    QTimer probe;
    probe.setTimerType(Qt::PreciseTimer);
    QElapsedTimer sinceLast;
    probe.callOnTimeout([&] {
        const qint64 late = sinceLast.restart() - 10;
        longest[kind] = std::max(longest[kind], late);
    });
    input::Pointer pointer(form);
    const std::vector<Step> script = steps(form, pointer);
    size_t next = 0;
    QTimer stepper;
    stepper.callOnTimeout([&] {
        if (next == script.size()) {
            QApplication::quit();
            return;
        }
        kind = script[next].first;
        script[next].second();
        ++next;
    });
    QTimer::singleShot(1000, [&] {
        sinceLast.start();
        probe.start(10);
        stepper.start(400);
    });
    QApplication::exec();
    for (const auto& [name, ms] : longest)
        std::printf(", \"%s_ms\": %lld", name.c_str(), ms);
    std::printf("}\n");
    form.close();
    return 0;
}
