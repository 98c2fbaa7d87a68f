// The count of every frame of an MP3 (mpg123_scan), on a thread of its own: where no header
// gives the length, or the header does not fit the file, open goes on with the best estimate and
// this corrects it long before the track could end. It also gives the seek index that it built.
#pragma once

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

class MpegScan {
public:
    // Scans `path` with the handle flags that playback uses, so that both count alike. The
    // length found goes into `length` in the file's own frames.
    MpegScan(const std::string& path, long flags, std::shared_ptr<LaterLength> length);
    ~MpegScan(); // stops the scan at its next read

    MpegScan(const MpegScan&) = delete;
    MpegScan& operator=(const MpegScan&) = delete;

    // The seek index, once, when the scan has ended; nothing before or after.
    std::optional<FrameIndex> takeIndex();

private:
    void run(const std::string& path, long flags);

    std::shared_ptr<LaterLength> length_;
    std::mutex mutex_;
    std::optional<FrameIndex> index_;
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

} // namespace vbmp3
