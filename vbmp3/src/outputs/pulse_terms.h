// The engine's terms in libpulse's: volumes, and how the desktop's panels show the player.
#pragma once

#include "outputs/output.h"

#include <pulse/pulseaudio.h>

#include <cstdint>
#include <memory>
#include <string>

namespace vbmp3 {

pa_cvolume volumeOf(float left, float right);
// The server's volume scale is cubic like the engine's, so its percent is the engine's.
int32_t percentOf(pa_volume_t volume);

// The player's icon (named after its program, as libpulse names the application), and for a
// stream also what plays (`mediaName`, or a plain name while nothing does) and why.
struct Properties {
    Properties();
    ~Properties();
    Properties(const Properties&) = delete;
    Properties& operator=(const Properties&) = delete;

    Properties& forStream(const std::shared_ptr<const std::string>& mediaName);

    pa_proplist* list;
};

} // namespace vbmp3
