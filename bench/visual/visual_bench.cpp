// The cost of one visualization frame in each view mode, on the designed surface and window
// width, with busy buffers so that bars, markers and the trace all move.
#include <QApplication>
#include <benchmark/benchmark.h>

#include "fake_vbmp3.h"
#include "platform/line_control.h"
#include "platform/picture_box.h"
#include "visual/visualization.h"

namespace {

constexpr float kForm1ScaleWidth = 4335;

// What the fake engine answers: a loud and a quiet frame in turn keep the levels rising and
// falling.
fake::Engine scripted(bool loud) {
    fake::Engine e;
    for (int i = 0; i < 256; ++i) {
        e.wave1[i] = (i * 37 % 200) - 100;
        e.wave2[i] = ((i * 53 + 17) % 200) - 100;
        e.spectrum1[i] = loud ? 110 - i / 8 : 40 + i % 20;
        e.spectrum2[i] = loud ? 60 + i % 30 : 30;
    }
    return e;
}

void BM_Frame(benchmark::State& state) {
    const auto viewMode = static_cast<visual::ViewMode>(state.range(0));
    visual::SpectrumLevels levels;
    platform::PictureBox picWave;
    platform::LineControl lineCenter(&picWave);
    picWave.resize(93, 37); // 1395 x 555 twips
    picWave.show();
    picWave.setBackColor(viewMode == visual::ViewMode::Waveform ? 0x00FFFFFF : 0x00000000);
    const fake::Engine frames[] = {scripted(true), scripted(false)};
    int next = 0;
    // Each pass also swaps the script in (a few kilobytes copied), small beside a frame.
    for (auto _ : state) {
        fake::engine() = frames[next];
        next ^= 1;
        visual::GraphShow(viewMode, levels, picWave, kForm1ScaleWidth);
    }
}
BENCHMARK(BM_Frame)->DenseRange(1, 6)->ArgName("viewMode")->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char** argv) {
    // No display is needed to draw into the surface's image.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
