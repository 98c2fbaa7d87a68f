// Decode speed of the engine's sources, reading a minute of each kind of file as fast as they
// go, against the ffmpeg command line decoding the same file to its null muxer. Each side goes
// through the file kPasses times (ffmpeg with -stream_loop), so that the measured span is long
// beside the noise of the clock and of ffmpeg's start-up.
//
// Times are CPU seconds (user + system), the best of the iterations, so that other work on the
// machine disturbs them less. ffmpeg's own start-up (measured on a file of a tenth of a second)
// is taken off its time. "ratio" is the engine's speed over ffmpeg's: 1 means as fast.
// The engine keeps the file's rate, as ffmpeg -f null does; "ratio_resampling" compares with
// ffmpeg resampling to 48 kHz float, the work a player that resamples in its own process does.
#include "decoders/source.h"
#include "fixtures/audio_writer.h"
#include "read_to_end.h"

#include <benchmark/benchmark.h>

#include <sys/resource.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <limits>
#include <numbers>
#include <string>
#include <utility>
#include <vector>

namespace {

constexpr double kFixtureSeconds = 60;
constexpr double kStartupFixtureSeconds = 0.1;
constexpr int kPasses = 10;

using fixtures::Kind;

const char* extensionOf(Kind kind) {
    switch (kind) {
    case Kind::Mp3Cbr:
    case Kind::Mp3Vbr:
        return ".mp3";
    case Kind::WmaV2:
        return ".wma";
    default:
        return ".wav";
    }
}

// A chord whose notes swell and fade, over a little noise: something for a perceptual coder to
// spend its bits on, unlike a lone sine.
fixtures::Pcm chord(double seconds, int rate) {
    fixtures::Pcm pcm;
    pcm.rate = rate;
    const auto frames = static_cast<size_t>(seconds * rate);
    pcm.samples.resize(frames * 2);
    const double notes[] = {220.0, 277.18, 329.63, 440.0};
    unsigned noise = 1;
    for (size_t i = 0; i < frames; ++i) {
        const double t = double(i) / rate;
        double left = 0, right = 0;
        for (int n = 0; n < 4; ++n) {
            const double swell = 0.5 + 0.5 * std::sin(2 * std::numbers::pi * (0.3 + 0.1 * n) * t);
            const double v = 0.12 * swell * std::sin(2 * std::numbers::pi * notes[n] * t);
            (n % 2 ? right : left) += v;
            (n % 2 ? left : right) += 0.5 * v;
        }
        noise = noise * 1664525u + 1013904223u;
        const double hiss = 0.01 * (double(noise >> 8) / double(1u << 24) - 0.5);
        pcm.samples[2 * i] = static_cast<float>(left + hiss);
        pcm.samples[2 * i + 1] = static_cast<float>(right - hiss);
    }
    return pcm;
}

std::string fixture(Kind kind, int rate, double seconds) {
    const std::string name = "tonalisk_engine_bench_" + std::to_string(int(kind)) + "_" +
                             std::to_string(rate) + "_" + std::to_string(int(seconds * 10)) +
                             extensionOf(kind);
    const std::string path = (std::filesystem::temp_directory_path() / name).string();
    fixtures::writeAudio(path, chord(seconds, rate), kind);
    return path;
}

double cpuSeconds(int who) {
    rusage usage{};
    getrusage(who, &usage);
    auto seconds = [](timeval t) { return double(t.tv_sec) + double(t.tv_usec) / 1e6; };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

double threadCpuSeconds() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return double(t.tv_sec) + double(t.tv_nsec) / 1e9;
}

// Opens the file and reads it to the end; returns the audio seconds.
double decodeAll(const std::string& path) {
    auto source = vbmp3::openSource(path);
    return source ? readToEnd(*source) : -1;
}

// CPU seconds of ffmpeg decoding path kPasses times with `output`, or a negative number if it
// failed.
double ffmpegCpu(const std::string& path, const std::string& output) {
    const std::string command = "ffmpeg -nostdin -hide_banner -loglevel error -stream_loop " +
                                std::to_string(kPasses - 1) + " -i '" + path + "' " + output +
                                " -f null - > /dev/null 2>&1";
    const double before = cpuSeconds(RUSAGE_CHILDREN);
    if (std::system(command.c_str()) != 0)
        return -1;
    return cpuSeconds(RUSAGE_CHILDREN) - before;
}

// ffmpeg's decoding time of the file, without its start-up: the best of `runs`.
double ffmpegDecodeCpu(const std::string& full, const std::string& tiny, const std::string& output,
                       int runs) {
    double best = std::numeric_limits<double>::infinity();
    for (int i = 0; i < runs; ++i) {
        const double whole = ffmpegCpu(full, output), startup = ffmpegCpu(tiny, output);
        if (whole < 0 || startup < 0)
            return -1;
        best = std::min(best, whole - startup);
    }
    return best;
}

void BM_Decode(benchmark::State& state, Kind kind, int rate) {
    const std::string path = fixture(kind, rate, kFixtureSeconds);
    const std::string tiny = fixture(kind, rate, kStartupFixtureSeconds);
    double best = std::numeric_limits<double>::infinity(), audio = 0;
    for (auto _ : state) {
        const double start = threadCpuSeconds();
        for (int pass = 0; pass < kPasses; ++pass) {
            audio = decodeAll(path);
            if (audio <= 0) {
                state.SkipWithError("the engine did not open the file");
                return;
            }
        }
        best = std::min(best, threadCpuSeconds() - start);
    }
    const auto runs = static_cast<int>(state.iterations());
    const double plain = ffmpegDecodeCpu(path, tiny, "", runs);
    const double resampling = ffmpegDecodeCpu(path, tiny, "-ar 48000 -c:a pcm_f32le", runs);
    std::filesystem::remove(path);
    std::filesystem::remove(tiny);
    if (plain <= 0 || resampling <= 0) {
        state.SkipWithError("ffmpeg failed (is it installed?)");
        return;
    }
    state.counters["audio_s"] = audio;
    state.counters["cpu_ms"] = best * 1000 / kPasses; // one pass
    state.counters["realtime_x"] = kPasses * audio / best;
    state.counters["ffmpeg_cpu_ms"] = plain * 1000 / kPasses;
    state.counters["ratio"] = plain / best;
    state.counters["ratio_resampling"] = resampling / best;
}

} // namespace

int main(int argc, char** argv) {
    const std::pair<const char*, Kind> kinds[] = {
        {"wav16", Kind::Wav16},    {"adpcm_ima", Kind::WavAdpcmIma}, {"adpcm_ms", Kind::WavAdpcmMs},
        {"mp3_cbr", Kind::Mp3Cbr}, {"mp3_vbr", Kind::Mp3Vbr},        {"wma_v2", Kind::WmaV2}};
    for (const auto& [name, kind] : kinds)
        for (int rate : {44100, 48000})
            benchmark::RegisterBenchmark(
                ("BM_Decode/" + std::string(name) + "/" + std::to_string(rate)).c_str(), BM_Decode,
                kind, rate)
                ->Iterations(3)
                ->Unit(benchmark::kMillisecond);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
}
