// What reading a file's embedded picture costs the caller's thread, against the picture's size:
// the two calls a caller makes (the size, then the bytes) beside the tag read that the window
// makes anyway, with the bytes each reads from the file.
#include <benchmark/benchmark.h>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "fixtures/audio_writer.h"
#include "fixtures/id3v2_writer.h"
#include "temp_folder.h"
#include "vbmp3.h"

namespace {

constexpr size_t kKiB = 1024;
constexpr double kTrackSeconds = 30;

// The bytes this thread has read through system calls.
uint64_t bytesRead() {
    std::ifstream io("/proc/thread-self/io");
    std::string key;
    for (uint64_t value = 0; io >> key >> value;)
        if (key == "rchar:")
            return value;
    return 0;
}

double threadCpuSeconds() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

// A 30-second MP3 whose ID3v2 tag holds a picture of `pictureBytes` (none for 0).
std::string taggedMp3(const test_support::TempFolder& folder, size_t pictureBytes) {
    const std::string path = folder.file("cover.mp3");
    fixtures::writeAudio(path, fixtures::sine(440, kTrackSeconds), fixtures::Kind::Mp3Cbr);
    const fixtures::TrackTags tags{"Title", "Artist", "Album", "Rock", "2026", "", -1};
    fixtures::replaceId3v2(path,
                           fixtures::id3v2Tag(tags, {fixtures::Id3Text::Utf16, pictureBytes}));
    return path;
}

// Runs `call` once per iteration and reports its thread CPU time and the bytes it read.
template <typename Call> void measure(benchmark::State& state, Call call) {
    double cpu = 0;
    uint64_t bytes = 0;
    for (auto _ : state) {
        const uint64_t bytesBefore = bytesRead();
        const double cpuBefore = threadCpuSeconds();
        call();
        cpu += threadCpuSeconds() - cpuBefore;
        bytes += bytesRead() - bytesBefore;
    }
    const auto runs = static_cast<double>(state.iterations());
    state.counters["cpu_ms"] = cpu * 1000 / runs;
    state.counters["read_KiB"] = static_cast<double>(bytes) / kKiB / runs;
}

void BM_TagRead(benchmark::State& state) {
    const test_support::TempFolder folder;
    const std::string path = taggedMp3(folder, static_cast<size_t>(state.range(0)) * kKiB);
    measure(state, [&] {
        vbmp3_TagInfo tag;
        benchmark::DoNotOptimize(vbmp3_getFileTagInfo(path.c_str(), &tag));
    });
}

void BM_PictureRead(benchmark::State& state) {
    const test_support::TempFolder folder;
    const std::string path = taggedMp3(folder, static_cast<size_t>(state.range(0)) * kKiB);
    std::vector<char> picture;
    measure(state, [&] {
        int32_t size = 0;
        if (vbmp3_getFilePicture(path.c_str(), nullptr, 0, &size) == 0)
            return;
        picture.resize(static_cast<size_t>(size));
        benchmark::DoNotOptimize(vbmp3_getFilePicture(path.c_str(), picture.data(), size, &size));
    });
}

// No picture, a small cover, a large one, one beyond any real cover.
BENCHMARK(BM_TagRead)->Arg(0)->Arg(100)->Arg(1024)->Arg(8192)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PictureRead)->Arg(0)->Arg(100)->Arg(1024)->Arg(8192)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    if (vbmp3_init() == 0)
        return 1;
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    vbmp3_free();
}
