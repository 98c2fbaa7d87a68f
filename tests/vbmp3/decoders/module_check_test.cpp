// The FFmpeg module beside the engine is looked at before it is mapped: one that is cut short,
// missing or foreign costs the files that need it, never the process.
#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <gtest/gtest.h>
#include <sys/wait.h>

#include "file_bytes.h"
#include "fixtures/audio_writer.h"
#include "temp_folder.h"

namespace fs = std::filesystem;

namespace {

constexpr size_t kElfMachineOffset = 18; // e_machine, in both classes

struct ProbeRun {
    std::string output;
    int status = -1;
};

// The probe's lines after it opened and played `files`, and how it ended.
ProbeRun runProbe(const fs::path& probe, const std::vector<std::string>& files) {
    std::string command = "'" + probe.string() + "'";
    for (const std::string& file : files)
        command += " '" + file + "'";
    ProbeRun run;
    FILE* pipe = popen(command.c_str(), "r");
    std::array<char, 4096> buffer{};
    for (size_t got; pipe && (got = fread(buffer.data(), 1, buffer.size(), pipe)) > 0;)
        run.output.append(buffer.data(), got);
    run.status = pipe ? pclose(pipe) : -1;
    return run;
}

void writeBytes(const fs::path& path, const std::vector<uint8_t>& bytes, size_t count) {
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(count));
}

struct Case {
    const char* name;
    std::function<void(const fs::path& module)> place;
    const char* wma; // what the probe says of the WMA
};

TEST(FfmpegModule, OnlyAWholeModuleOfThisMachineIsMapped) {
    const test_support::TempFolder tracks;
    const std::string wma = tracks.file("a.wma"), mp3 = tracks.file("b.mp3");
    fixtures::writeAudio(wma, fixtures::sine(440, 1), fixtures::Kind::WmaV2);
    fixtures::writeAudio(mp3, fixtures::sine(440, 1), fixtures::Kind::Mp3Cbr);
    const std::vector<uint8_t> module = test_support::readBytes(FFMPEG_MODULE);
    ASSERT_GT(module.size(), 16000u);

    const auto cut = [&](size_t count) {
        return [&module, count](const fs::path& to) { writeBytes(to, module, count); };
    };
    const auto forAnotherMachine = [&](const fs::path& to) {
        std::vector<uint8_t> bytes = module;
        bytes[kElfMachineOffset] ^= 0xFF;
        writeBytes(to, bytes, bytes.size());
    };
    const Case cases[] = {
        {"the module as built", cut(module.size()), "played"},
        {"cut to 16000 bytes", cut(16000), "refused"},
        {"cut to half", cut(module.size() / 2), "refused"},
        {"short of its last byte", cut(module.size() - 1), "refused"},
        {"built for another machine", forAnotherMachine, "refused"},
        {"missing", [](const fs::path&) {}, "refused"},
        {"a text file", [](const fs::path& to) { std::ofstream(to) << "not a library\n"; },
         "refused"},
        {"the engine in its place", [](const fs::path& to) { fs::copy_file(ENGINE_LIBRARY, to); },
         "refused"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        // The engine's decoder process looks for the module in its own folder, beside the
        // engine: a copy of all three in a folder of their own, with the probe that loads the
        // engine from beside itself.
        const test_support::TempFolder install;
        const fs::path probe = install.path() / fs::path(MODULE_PROBE).filename();
        fs::copy_file(MODULE_PROBE, probe);
        fs::copy_file(ENGINE_LIBRARY, install.path() / fs::path(ENGINE_LIBRARY).filename());
        fs::copy_file(DECODER_PROGRAM, install.path() / fs::path(DECODER_PROGRAM).filename());
        c.place(install.path() / fs::path(FFMPEG_MODULE).filename());

        const ProbeRun run = runProbe(probe, {wma, mp3});
        EXPECT_TRUE(WIFEXITED(run.status) && WEXITSTATUS(run.status) == 0) << run.status;
        EXPECT_EQ(run.output, std::string(c.wma) + "\nplayed\n");
    }
}

} // namespace
