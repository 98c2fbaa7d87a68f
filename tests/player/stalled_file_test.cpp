// The real window over the real engine, with a file whose reads hang as on a share that stopped
// answering (the preloaded shim stalled_read.c): clicking it keeps the 200 ms status tick on time,
// measured against the tick's own timestamps, and the next file clicked plays.
#include <QTest>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <gtest/gtest.h>
#include <string>
#include <vector>

#include "fixtures/audio_writer.h"
#include "player/form1.h"
#include "pointer.h"
#include "qt_main.h"
#include "qt_temp_folder.h"

namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

// The tick's period and how late one may come.
constexpr milliseconds kTickPeriod{200};
constexpr milliseconds kLateAtMost{100};
// How long the window is watched after each click: several ticks, and any file started by them.
constexpr int kWatchMs = 1500;
// A click's start, on a busy machine, and the time a played file needs to show a second.
constexpr int kPlaysWithinMs = 5000;

struct Case {
    const char* name;
    const char* stalled; // the file's name, fresh for each case: a stalled file stays so
    const char* threads; // where its reads hang (the shim's STALLED_READ_THREAD; "": everywhere)
    bool opens;          // whether it opens (its reads hang only once it plays)
};

class StalledFileWindow : public testing::Test {
protected:
    void write(const QString& name, double seconds) {
        fixtures::writeAudio(folder.filePath(name).toStdString(), fixtures::sine(440, seconds),
                             fixtures::Kind::Wav16);
    }
    void loadWindow() {
        const auto answer = [this](const QString& text, const QString&) {
            boxes.push_back(text.toStdString());
        };
        form = std::make_unique<player::Form1>(
            folder.path(), player::Surroundings{answer, platform::mountedVolumes});
        QObject::connect(form.get(), &player::Form1::statusTicked,
                         [this] { ticks.push_back(Clock::now()); });
        form->load();
        form->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));
    }
    void click(const QString& name) {
        for (int row = 0; row < form->File1.ListCount(); ++row) {
            if (form->File1.List(row) != name)
                continue;
            input::Pointer(*form).click(
                form->File1,
                form->File1.viewport()->mapTo(&form->File1, input::rowCenter(form->File1, row)));
            return;
        }
        ADD_FAILURE() << "no entry " << name.toStdString();
    }
    // The latest gap between two ticks beyond the period, since tick `from`.
    milliseconds latestTickSince(size_t from) const {
        milliseconds late{0};
        for (size_t i = from + 1; i < ticks.size(); ++i)
            late =
                std::max(late, std::chrono::duration_cast<milliseconds>(ticks[i] - ticks[i - 1]) -
                                   kTickPeriod);
        return late;
    }
    void TearDown() override {
        if (form)
            form->close();
        form.reset();
    }

    test_support::QtTempFolder folder;
    std::unique_ptr<player::Form1> form;
    std::vector<std::string> boxes;
    std::vector<Clock::time_point> ticks;
};

TEST_F(StalledFileWindow, ClickingAFileWhoseReadsHangKeepsTheTickOnTimeAndTheNextFilePlays) {
    const Case cases[] = {
        {"its opening and tag reading hang", "opening.wav", "", false},
        {"its decoding hangs", "decoding.wav", "vbmp3-decoder", true},
    };
    write("tone.wav", 30);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        setenv("STALLED_READ_NAME", ("/" + std::string(c.stalled)).c_str(), 1);
        setenv("STALLED_READ_THREAD", c.threads, 1);
        ticks.clear();
        loadWindow();
        QTest::qWait(kWatchMs); // the start-up's track, and ticks to measure from
        // Listed now, so that only the click starts it.
        write(c.stalled, 30);
        form->File1.setPath(folder.path());

        const size_t before = ticks.size();
        boxes.clear();
        const auto clicked = Clock::now();
        click(c.stalled);
        const auto took = std::chrono::duration_cast<milliseconds>(Clock::now() - clicked);
        EXPECT_TRUE(form->state().currentFile.endsWith(QString("/") + c.stalled));
        EXPECT_EQ(boxes.empty(), c.opens) << "an Open Error box, or none";
        QTest::qWait(kWatchMs);
        std::printf("%s: the click took %lld ms, the latest tick came %lld ms late\n", c.name,
                    static_cast<long long>(took.count()),
                    static_cast<long long>(latestTickSince(before).count()));
        EXPECT_GE(ticks.size(), before + kWatchMs / kTickPeriod.count() / 2) << "ticks stopped";
        EXPECT_LE(latestTickSince(before), kLateAtMost);
        if (c.opens) {
            EXPECT_TRUE(form->state().currentFile.endsWith(QString("/") + c.stalled));
            EXPECT_EQ(form->state().playSeconds, 0) << "it plays nothing";
        }

        click("tone.wav");
        const auto playing = [this] {
            return form->state().currentFile.endsWith("/tone.wav") &&
                   form->state().playState == engine::Playing && form->state().playSeconds >= 1;
        };
        EXPECT_TRUE(QTest::qWaitFor(playing, kPlaysWithinMs)) << "the next file does not play";
        form->close();
        form.reset();
    }
}

} // namespace

TONALISK_QT_TEST_MAIN
