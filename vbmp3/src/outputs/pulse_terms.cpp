#include "outputs/pulse_terms.h"

#include "shared/output_format.h"

#include <cerrno>
#include <cmath>

namespace vbmp3 {
namespace {

constexpr const char* kUnnamed = "Playback"; // the stream's name while nothing is open

} // namespace

pa_cvolume volumeOf(float left, float right) {
    pa_cvolume volume;
    volume.channels = kOutputChannels;
    volume.values[0] = pa_sw_volume_from_linear(left);
    volume.values[1] = pa_sw_volume_from_linear(right);
    return volume;
}

int32_t percentOf(pa_volume_t volume) {
    return static_cast<int32_t>(std::lround(100.0 * volume / PA_VOLUME_NORM));
}

Properties::Properties() : list(pa_proplist_new()) {
    pa_proplist_sets(list, PA_PROP_APPLICATION_ICON_NAME, program_invocation_short_name);
}

Properties::~Properties() {
    pa_proplist_free(list);
}

Properties& Properties::forStream(const std::shared_ptr<const std::string>& mediaName) {
    pa_proplist_sets(list, PA_PROP_MEDIA_ROLE, "music");
    char* name = pa_utf8_filter(mediaName ? mediaName->c_str() : kUnnamed); // valid UTF-8
    pa_proplist_sets(list, PA_PROP_MEDIA_NAME, name);
    pa_xfree(name);
    return *this;
}

} // namespace vbmp3
