#include "decoders/mpg123_source.h"

#include "shared/readable_file.h"

#include <cmath>
#include <fcntl.h>
#include <mpg123.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vbmp3 {
namespace {

// A VBR file longer than this gets the background scan's exact index as well: libmpg123 would
// otherwise read every frame up to a far seek's target.
constexpr int64_t kLongVbrSeconds = 600;
// Seek points of a constant bit rate file: one every so many frames (26 ms each).
constexpr int64_t kFramesPerSeekPoint = 256;
// Files up to this size are scanned at open, which reads no more than a header-less file's
// length estimate would cost anyway; larger ones in the background.
constexpr int64_t kScanAtOpenBytes = 1 << 20;
// Frames decoded before a seek's target: a VBR frame's data may begin several frames earlier
// (the bit reservoir), and every frame overlaps the one before.
constexpr long kFramesBeforeSeek = 8;
// Playback reads a few frames at a time: what it has read of a file that is then cut short or
// rewritten still plays, so it keeps no more than a fraction of a second.
constexpr size_t kPlaybackBufferBytes = 4096;

} // namespace

Mpg123Source::~Mpg123Source() {
    scan_.reset();
    mpg123_delete(handle_);
    reader_.reset();
    if (fd_ >= 0)
        ::close(fd_);
}

bool Mpg123Source::open(const std::string& path) {
    fd_ = openForReading(path);
    struct stat info {};
    if (fd_ < 0 || fstat(fd_, &info) != 0)
        return false;
    const std::optional<MpegLayout> layout = readMpegLayout(fd_, info.st_size);
    if (!layout)
        return false;
    const HeaderFit fit = fitOf(*layout);
    // A header that counts fewer bytes than follow it counts too few frames as well; playback
    // would end where it says. One whose count is wrong is no guide at all.
    const bool heeded = fit != HeaderFit::Longer && fit != HeaderFit::Contradicts;
    const MpegSettings settings{heeded ? 0 : MPG123_IGNORE_INFOFRAME, layout->sampleRate};
    handle_ = newMpegHandle(settings);
    reader_.emplace(fd_, layout->audioStart, kPlaybackBufferBytes);
    long rate = 0;
    int channels = 0, encoding = 0;
    if (!handle_ || mpg123_param(handle_, MPG123_PREFRAMES, kFramesBeforeSeek, 0) != MPG123_OK ||
        !reader_->openOn(handle_) ||
        mpg123_getformat(handle_, &rate, &channels, &encoding) != MPG123_OK ||
        !startConversion(static_cast<int>(rate), channels))
        return false;
    const bool scanNow = fit != HeaderFit::Fits && layout->audioBytes <= kScanAtOpenBytes;
    std::optional<ScannedFrames> scanned;
    if (scanNow && !(scanned = scanFrames(path, layout->audioStart, settings)))
        return false;
    fillFacts(*layout, fit, scanned ? std::optional(scanned->length) : std::nullopt,
              static_cast<int>(rate));
    if (scanned) {
        mpg123_set_index(handle_, scanned->index.offsets.data(), scanned->index.step,
                         scanned->index.offsets.size());
    } else if (fit == HeaderFit::Fits && layout->header->constant && layout->header->frames > 0) {
        indexConstantFrames(*layout,
                            static_cast<double>(layout->header->bytes - layout->headerFrameBytes) /
                                static_cast<double>(layout->header->frames));
    } else if (!layout->header && !layout->bitRateVaries) {
        // Most files without a header have a constant bit rate: their seek points hold until
        // the scan's replace them.
        indexConstantFrames(*layout, layout->meanBitRateKbps * 125.0 * mpg123_spf(handle_) /
                                         static_cast<double>(rate));
    }
    const bool longVbr = !layout->header || !layout->header->constant
                             ? facts_.totalFrames > kLongVbrSeconds * rate
                             : false;
    if ((fit != HeaderFit::Fits && !scanNow) || longVbr) {
        auto later = std::make_shared<LaterLength>();
        facts_.laterLength = later;
        scan_ = std::make_unique<MpegScan>(path, layout->audioStart, settings, later);
    }
    return true;
}

void Mpg123Source::fillFacts(const MpegLayout& layout, HeaderFit fit,
                             std::optional<int64_t> scannedLength, int rate) {
    const bool scanned = scannedLength.has_value();
    facts_.formatName = "MPEG audio";
    facts_.codecName = "MPEG audio layer 1/2/3 (libmpg123)";
    facts_.fileKind = kKindMpeg;
    facts_.sampleRate = rate;
    facts_.channels = layout.channels;
    facts_.hasTag = layout.tagged;
    const int64_t spf = mpg123_spf(handle_);
    int64_t samples = scannedLength.value_or(mpg123_length(handle_));
    // libmpg123 reads no VBRI header and guesses from the first frame's bit rate; it plays the
    // header's own (silent) frame, which the header leaves out of its count.
    if (!scanned && layout.header && layout.header->vbri && fit != HeaderFit::Contradicts)
        samples = (layout.header->frames + 1) * spf;
    // Cut short: as much of the claimed length as of the claimed bytes is there. Without a
    // header that holds, the bytes at the bit rate of the first frames (libmpg123 would take
    // the first frame's alone, which may be the unheeded header's).
    if (fit == HeaderFit::Cut && !scanned)
        samples = samples * layout.audioBytes / layout.header->bytes;
    else if (fit != HeaderFit::Fits && !scanned && layout.meanBitRateKbps > 0)
        samples = (layout.audioBytes - layout.headerFrameBytes) * 8 * rate /
                  (int64_t{layout.meanBitRateKbps} * 1000);
    facts_.totalFrames = std::max<int64_t>(samples, 0);
    facts_.variableBitRate = layout.bitRateVaries || (layout.header && !layout.header->constant);
    // A constant bit rate is the frames' own. An average counts the audio's bytes (no tags, no
    // header frame) over the time of all its frames, delay and padding included.
    const bool counted = fit == HeaderFit::Fits && layout.header->frames > 0;
    const double seconds = static_cast<double>(counted ? layout.header->frames * spf : samples) /
                           static_cast<double>(rate);
    const int64_t bytes = (fit == HeaderFit::Fits ? layout.header->bytes : layout.audioBytes) -
                          layout.headerFrameBytes;
    facts_.bitRateKbps =
        facts_.variableBitRate && (fit == HeaderFit::Fits || scanned) && seconds > 0
            ? static_cast<int32_t>(std::lround(static_cast<double>(bytes) * 8 / seconds / 1000))
            : layout.meanBitRateKbps;
}

void Mpg123Source::indexConstantFrames(const MpegLayout& layout, double frameBytes) {
    off_t* offsets = nullptr;
    off_t step = 0;
    size_t fill = 0;
    if (mpg123_index(handle_, &offsets, &step, &fill) != MPG123_OK || fill == 0 ||
        frameBytes < static_cast<double>(layout.minFrameBytes) * 0.9)
        return;
    // From the first audio frame on, frames follow at the average size; a start computed a
    // byte or two early is found by libmpg123's resync, never a frame late.
    const off_t first = offsets[0];
    const auto frames =
        static_cast<int64_t>(static_cast<double>(layout.audioBytes - first) / frameBytes);
    std::vector<off_t> points;
    for (int64_t frame = 0; frame < frames; frame += kFramesPerSeekPoint)
        points.push_back(
            frame == 0 ? first
                       : first + static_cast<off_t>(static_cast<double>(frame) * frameBytes) - 2);
    mpg123_set_index(handle_, points.data(), kFramesPerSeekPoint, points.size());
}

void Mpg123Source::adoptScannedIndex() {
    if (!scan_)
        return;
    if (std::optional<FrameIndex> index = scan_->takeIndex())
        mpg123_set_index(handle_, index->offsets.data(), index->step, index->offsets.size());
}

size_t Mpg123Source::readNative(float* out, size_t frames) {
    constexpr size_t kFrameBytes = sizeof(float) * kOutputChannels;
    ReadingOn reading;
    for (;;) {
        size_t done = 0;
        const int result = mpg123_read(handle_, out, frames * kFrameBytes, &done);
        if (done > 0)
            return done / kFrameBytes;
        if (!reading.after(handle_, result))
            return 0; // the end, or nothing more that decodes
    }
}

bool Mpg123Source::seekNative(int64_t frame) {
    adoptScannedIndex();
    return mpg123_seek(handle_, static_cast<off_t>(frame), SEEK_SET) >= 0;
}

std::unique_ptr<Source> openMpg123Source(const std::string& path) {
    auto source = std::make_unique<Mpg123Source>();
    if (!source->open(path))
        return nullptr;
    return source;
}

} // namespace vbmp3
