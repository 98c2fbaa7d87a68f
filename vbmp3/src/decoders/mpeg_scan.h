// The count of every frame of an MP3, on a thread of its own: where no header gives the length,
// or the header does not fit the file, open goes on with the best estimate and this corrects it
// long before the track could end. It also gives the seek index that it built.
#pragma once

#include "decoders/mpeg_reader.h"
#include "decoders/source.h"

#include <mutex>
#include <optional>
#include <sys/types.h>
#include <thread>
#include <vector>

namespace vbmp3 {

struct FrameIndex {
    std::vector<off_t> offsets;
    off_t step = 0;
};

struct ScannedFrames {
    int64_t length = 0; // in frames at the settings' rate, delay and padding left out
    FrameIndex index;
};

// Reads every frame of `path` from its first frame at `start` without decoding it, each counted
// at its own rate; nothing if the reading failed or `stop` was set. With the settings that
// playback uses, so that both count alike.
std::optional<ScannedFrames> scanFrames(const std::string& path, off_t start,
                                        const MpegSettings& settings,
                                        const std::atomic<bool>* stop = nullptr);

class MpegScan {
public:
    // Scans `path` from its first frame at `start`, with the settings that playback uses, so
    // that both count alike. The length found goes into `length` in the stream's frames.
    MpegScan(const std::string& path, off_t start, const MpegSettings& settings,
             std::shared_ptr<LaterLength> length);
    ~MpegScan(); // stops the scan at its next read

    MpegScan(const MpegScan&) = delete;
    MpegScan& operator=(const MpegScan&) = delete;

    // The seek index, once, when the scan has ended; nothing before or after.
    std::optional<FrameIndex> takeIndex();

private:
    std::shared_ptr<LaterLength> length_;
    std::mutex mutex_;
    std::optional<FrameIndex> index_;
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

} // namespace vbmp3
