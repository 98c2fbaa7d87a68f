#include "decoders/mpeg_scan.h"

#include "shared/readable_file.h"

#include <array>
#include <cmath>
#include <fcntl.h>
#include <mpg123.h>
#include <unistd.h>
#include <utility>

namespace vbmp3 {
namespace {

// A ten-hour file is millions of frames: the scan reads it in large pieces.
constexpr size_t kScanBufferBytes = 1 << 16;

// The frames' samples at each of the rates a frame can have: pieces at other rates play
// converted to the first one's.
class SamplesByRate {
public:
    void add(long rate, int samples) {
        for (Count& count : counts_)
            if (count.rate == rate || count.rate == 0) {
                count.rate = rate;
                count.samples += samples;
                return;
            }
    }
    double at(long rate) const {
        double total = 0;
        for (const Count& count : counts_)
            if (count.rate > 0)
                total += static_cast<double>(count.samples) * static_cast<double>(rate) /
                         static_cast<double>(count.rate);
        return total;
    }

private:
    struct Count {
        long rate = 0;
        int64_t samples = 0;
    };
    std::array<Count, 9> counts_{}; // MPEG-1, -2 and -2.5 at three rates each
};

// The frames' length of the stream open on `handle`, which libmpg123 indexes meanwhile.
std::optional<int64_t> countFrames(mpg123_handle* handle, const MpegSettings& settings) {
    SamplesByRate samples;
    ReadingOn reading;
    int result = MPG123_OK;
    while (reading.after(handle, result = mpg123_framebyframe_next(handle))) {
        mpg123_frameinfo2 frame{};
        if ((result == MPG123_OK || result == MPG123_NEW_FORMAT) &&
            mpg123_info2(handle, &frame) == MPG123_OK)
            samples.add(frame.rate, mpg123_spf(handle));
    }
    if (result != MPG123_DONE)
        return std::nullopt;
    // libmpg123 leaves out what LAME's header says the encoder added, where it heeds the header.
    long delay = 0, padding = 0;
    mpg123_getstate(handle, MPG123_ENC_DELAY, &delay, nullptr);
    mpg123_getstate(handle, MPG123_ENC_PADDING, &padding, nullptr);
    const auto length =
        std::llround(samples.at(settings.rate)) - std::max(delay, 0L) - std::max(padding, 0L);
    return std::max<int64_t>(length, 0);
}

} // namespace

std::optional<ScannedFrames> scanFrames(const std::string& path, off_t start,
                                        const MpegSettings& settings,
                                        const std::atomic<bool>* stop) {
    const int fd = openForReading(path);
    mpg123_handle* handle = fd < 0 ? nullptr : newMpegHandle(settings);
    MpegReader reader(fd, start, kScanBufferBytes, stop);
    std::optional<ScannedFrames> scanned;
    off_t* offsets = nullptr;
    off_t step = 0;
    size_t fill = 0;
    if (handle && reader.openOn(handle))
        if (const std::optional<int64_t> length = countFrames(handle, settings))
            if (!(stop && *stop) && mpg123_index(handle, &offsets, &step, &fill) == MPG123_OK)
                scanned = ScannedFrames{*length, {{offsets, offsets + fill}, step}};
    mpg123_delete(handle);
    if (fd >= 0)
        ::close(fd);
    return scanned;
}

MpegScan::MpegScan(const std::string& path, off_t start, const MpegSettings& settings,
                   std::shared_ptr<LaterLength> length)
    : length_(std::move(length)) {
    thread_ = std::thread([this, path, start, settings] {
        std::optional<ScannedFrames> scanned = scanFrames(path, start, settings, &stop_);
        if (!scanned)
            return;
        if (scanned->length > 0)
            length_->frames = scanned->length;
        if (!scanned->index.offsets.empty()) {
            std::lock_guard lock(mutex_);
            index_ = std::move(scanned->index);
        }
    });
}

MpegScan::~MpegScan() {
    stop_ = true;
    thread_.join();
}

std::optional<FrameIndex> MpegScan::takeIndex() {
    std::lock_guard lock(mutex_);
    return std::exchange(index_, std::nullopt);
}

} // namespace vbmp3
