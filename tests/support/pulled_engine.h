// An engine whose output is pulled by the test, and a folder of generated tracks for it.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/engine.h"
#include "fixtures/audio_writer.h"
#include "outputs/pull_output.h"
#include "temp_folder.h"

namespace core_test {

inline std::string writeTrack(const std::string& name, const fixtures::Pcm& pcm,
                              fixtures::Kind kind = fixtures::Kind::Wav16) {
    const std::string path = (test_support::processFolder() / name).string();
    fixtures::writeAudio(path, pcm, kind);
    return path;
}

struct PulledEngine {
    std::shared_ptr<vbmp3::PullOutput> output = std::make_shared<vbmp3::PullOutput>();
    vbmp3::Engine engine{[this](vbmp3::Renderer& renderer) {
        output->start(renderer);
        return output;
    }};

    // Opens `path` and plays it; false if it does not open.
    bool playFile(const std::string& path) {
        std::unique_ptr<vbmp3::Source> source = vbmp3::openSource(path);
        if (!source)
            return false;
        engine.replace(std::move(source));
        engine.play();
        return true;
    }
    // The rate the output plays now: the current track's.
    int rate() const {
        const std::optional<vbmp3::StreamFacts> facts = engine.facts();
        return facts ? facts->sampleRate : output->rate();
    }
    std::vector<float> pullSeconds(double seconds) {
        return output->pull(static_cast<size_t>(seconds * rate()));
    }
    // Pulls until the track ends, at most `limitSeconds` of output; false if it does not end.
    bool playToEnd(double limitSeconds = 30) {
        for (double pulled = 0; pulled < limitSeconds; pulled += 0.5) {
            pullSeconds(0.5);
            if (engine.status().state != vbmp3::PlayState::Playing)
                return true;
        }
        return false;
    }
};

} // namespace core_test
