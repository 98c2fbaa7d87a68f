#include "outputs/pulse_volume_sync.h"

#include "outputs/pulse_terms.h"

namespace vbmp3 {

pa_cvolume PulseVolumeSync::begin(const Cues& cues) {
    gainLeft_ = cues.gainLeft;
    gainRight_ = cues.gainRight;
    return volumeOf(gainLeft_, gainRight_);
}

void PulseVolumeSync::follow(const Cues& cues) {
    if (cues.gainLeft != gainLeft_ || cues.gainRight != gainRight_)
        set(cues);
}

void PulseVolumeSync::streamChanged(uint32_t index) {
    if (setsPending_ == 0 && stream_ && index == pa_stream_get_index(stream_))
        ask();
}

void PulseVolumeSync::set(const Cues& cues) {
    const pa_cvolume volume = begin(cues);
    pa_operation* operation = pa_context_set_sink_input_volume(
        context_, pa_stream_get_index(stream_), &volume, &PulseVolumeSync::onSet, this);
    if (operation) {
        ++setsPending_;
        pa_operation_unref(operation);
    }
}

void PulseVolumeSync::ask() {
    if (!stream_)
        return;
    if (pa_operation* operation = pa_context_get_sink_input_info(
            context_, pa_stream_get_index(stream_), &PulseVolumeSync::onInfo, this))
        pa_operation_unref(operation);
}

// A volume set on the server, unless it is the one we set.
void PulseVolumeSync::take(const pa_cvolume& volume) {
    const pa_cvolume ours = volumeOf(gainLeft_, gainRight_);
    const pa_volume_t left = volume.values[0];
    const pa_volume_t right = volume.channels > 1 ? volume.values[1] : left;
    if (left == ours.values[0] && right == ours.values[1])
        return;
    engine_.volumeSetOnDevice(percentOf(left), percentOf(right));
    // The engine's volume now stands for the server's: nothing to set back, even where the
    // engine's range ends below the server's.
    const Cues cues = engine_.cues();
    gainLeft_ = cues.gainLeft;
    gainRight_ = cues.gainRight;
}

void PulseVolumeSync::onSet(pa_context* context, int, void* self) {
    auto* sync = static_cast<PulseVolumeSync*>(self);
    if (context == sync->context_ && --sync->setsPending_ == 0)
        sync->ask(); // a panel may have set one meanwhile
}

void PulseVolumeSync::onInfo(pa_context* context, const pa_sink_input_info* info, int end,
                             void* self) {
    auto* sync = static_cast<PulseVolumeSync*>(self);
    if (context != sync->context_ || end || !info || sync->setsPending_ > 0 || !sync->stream_ ||
        info->index != pa_stream_get_index(sync->stream_))
        return;
    sync->take(info->volume);
}

} // namespace vbmp3
