#include "decoders/midi/soundfont.h"
#include "decoders/midi/midi_synth.h"
#include "shared/own_load.h"

#include <algorithm>
#include <condition_variable>
#include <cstdio>
#include <filesystem>
#include <mutex>
#include <thread>

namespace vbmp3 {

namespace {

namespace fs = std::filesystem;

// The Debian alternatives for the General MIDI SoundFont, then the folders they live in.
const std::vector<std::string> kPreferredSoundFonts = {"/usr/share/sounds/sf2/default-GM.sf2",
                                                       "/usr/share/sounds/sf3/default-GM.sf3"};
const std::vector<std::string> kSoundFontFolders = {"/usr/share/sounds/sf2",
                                                    "/usr/share/sounds/sf3"};

bool isSoundFontName(const fs::path& path) {
    std::string ext = path.extension().string();
    std::transform(ext.begin(), ext.end(), ext.begin(),
                   [](unsigned char c) { return std::tolower(c); });
    return ext == ".sf2" || ext == ".sf3";
}

std::shared_ptr<MidiSynth> loadFirstSoundFont() {
    const std::vector<std::string> candidates =
        soundFontCandidates(kPreferredSoundFonts, soundFontFolders());
    for (const std::string& path : candidates) {
        if (auto synth = loadMidiSynth(path))
            return synth;
    }
    if (candidates.empty())
        std::fprintf(stderr, "vbmp3: no General MIDI SoundFont (.sf2 or .sf3) in "
                             "/usr/share/sounds/sf2 or /usr/share/sounds/sf3; MIDI files will not "
                             "open (install timgm6mb-soundfont)\n");
    else
        std::fprintf(stderr,
                     "vbmp3: none of the %zu SoundFonts in /usr/share/sounds/sf2 or "
                     "/usr/share/sounds/sf3 loads; MIDI files will not open\n",
                     candidates.size());
    return nullptr;
}

// The one background load per engine life.
struct Loader {
    std::mutex mutex;
    std::condition_variable loaded;
    std::thread thread;
    bool started = false;
    bool done = false;
    std::shared_ptr<MidiSynth> synth;

    ~Loader() {
        if (thread.joinable())
            thread.join();
    }
};

Loader& loader() {
    static Loader instance;
    return instance;
}

} // namespace

const std::vector<std::string>& soundFontFolders() {
    return kSoundFontFolders;
}

std::vector<std::string> soundFontCandidates(const std::vector<std::string>& preferred,
                                             const std::vector<std::string>& folders) {
    std::vector<std::string> found;
    auto add = [&found](const fs::path& path) {
        std::error_code error;
        if (!fs::is_regular_file(path, error))
            return;
        const std::string canonical = fs::weakly_canonical(path, error).string();
        if (std::find(found.begin(), found.end(), canonical) == found.end())
            found.push_back(canonical);
    };
    for (const std::string& path : preferred)
        add(path);
    for (const std::string& folder : folders) {
        std::error_code error;
        std::vector<fs::path> names;
        for (const auto& entry : fs::directory_iterator(folder, error)) {
            if (isSoundFontName(entry.path()))
                names.push_back(entry.path());
        }
        std::sort(names.begin(), names.end());
        for (const fs::path& path : names)
            add(path);
    }
    return found;
}

void startSoundFontLoad() {
    Loader& state = loader();
    std::lock_guard lock(state.mutex);
    if (state.started)
        return;
    state.started = true;
    state.done = false;
    state.thread = std::thread([&state] {
        std::shared_ptr<MidiSynth> synth;
        {
            const OwnLoad loading;
            synth = loadFirstSoundFont();
        }
        std::lock_guard done(state.mutex);
        state.synth = std::move(synth);
        state.done = true;
        state.loaded.notify_all();
    });
}

std::shared_ptr<MidiSynth> engineMidiSynth() {
    startSoundFontLoad();
    Loader& state = loader();
    std::unique_lock lock(state.mutex);
    if (!state.done) {
        // A wait for the load is the load's time, on the waiting thread too: a bound that
        // watches this thread sees it asleep from now, before the loading thread has begun.
        const OwnLoad waiting;
        state.loaded.wait(lock, [&state] { return state.done; });
    }
    return state.synth;
}

void releaseSoundFont() {
    Loader& state = loader();
    std::thread finished;
    {
        std::unique_lock lock(state.mutex);
        if (!state.started)
            return;
        state.loaded.wait(lock, [&state] { return state.done; });
        state.synth.reset();
        state.started = false;
        finished = std::move(state.thread);
    }
    // Joined here, not at the next load, so that a released engine leaves no thread behind.
    finished.join();
}

} // namespace vbmp3
