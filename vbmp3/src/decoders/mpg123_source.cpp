#include "decoders/mpg123_source.h"

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
// A download whose every frame fails is no music.
constexpr int kMaxEmptyReads = 64;

} // namespace

Mpg123Source::~Mpg123Source() {
    scan_.reset();
    mpg123_delete(handle_);
    if (fd_ >= 0)
        ::close(fd_);
}

bool Mpg123Source::open(const std::string& path) {
    fd_ = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    struct stat info {};
    if (fd_ < 0 || fstat(fd_, &info) != 0)
        return false;
    const std::optional<MpegLayout> layout = readMpegLayout(fd_, info.st_size);
    if (!layout)
        return false;
    const HeaderFit fit = fitOf(*layout);
    // A header that counts fewer bytes than follow it counts too few frames as well; playback
    // would end where it says.
    const long flags =
        MPG123_GAPLESS | MPG123_QUIET | (fit == HeaderFit::Longer ? MPG123_IGNORE_INFOFRAME : 0);
    handle_ = mpg123_new(nullptr, nullptr);
    if (!handle_ || mpg123_param(handle_, MPG123_FLAGS, flags, 0) != MPG123_OK ||
        mpg123_param(handle_, MPG123_PREFRAMES, kFramesBeforeSeek, 0) != MPG123_OK ||
        mpg123_format_none(handle_) != MPG123_OK)
        return false;
    const long* rates = nullptr;
    size_t count = 0;
    mpg123_rates(&rates, &count);
    for (size_t i = 0; i < count; ++i)
        mpg123_format(handle_, rates[i], MPG123_MONO | MPG123_STEREO, MPG123_ENC_FLOAT_32);
    long rate = 0;
    int channels = 0, encoding = 0;
    if (mpg123_open_fd(handle_, fd_) != MPG123_OK ||
        mpg123_getformat(handle_, &rate, &channels, &encoding) != MPG123_OK ||
        !startConversion(static_cast<int>(rate), channels))
        return false;
    channels_ = channels;
    const bool scanNow = fit != HeaderFit::Fits && layout->audioBytes <= kScanAtOpenBytes;
    if (scanNow && mpg123_scan(handle_) != MPG123_OK)
        return false;
    fillFacts(*layout, fit, scanNow, static_cast<int>(rate), channels);
    const int64_t audioEnd = layout->audioStart + layout->audioBytes;
    if (fit == HeaderFit::Fits && layout->header->constant && layout->header->frames > 1) {
        off_t* offsets = nullptr;
        off_t step = 0;
        size_t fill = 0;
        if (mpg123_index(handle_, &offsets, &step, &fill) == MPG123_OK && fill > 0)
            indexConstantFrames(audioEnd, static_cast<double>(audioEnd - offsets[0]) /
                                              static_cast<double>(layout->header->frames - 1));
    } else if (!layout->header && !layout->bitRateVaries && !scanNow) {
        // Most files without a header have a constant bit rate: their seek points hold until
        // the scan's replace them.
        indexConstantFrames(audioEnd, layout->meanBitRateKbps * 125.0 * mpg123_spf(handle_) /
                                          static_cast<double>(rate));
    }
    const bool longVbr = !layout->header || !layout->header->constant
                             ? facts_.totalFrames > kLongVbrSeconds * rate
                             : false;
    if ((fit != HeaderFit::Fits && !scanNow) || longVbr) {
        auto later = std::make_shared<LaterLength>();
        facts_.laterLength = later;
        scan_ = std::make_unique<MpegScan>(path, flags, later);
    }
    return true;
}

void Mpg123Source::fillFacts(const MpegLayout& layout, HeaderFit fit, bool scanned, int rate,
                             int channels) {
    facts_.formatName = "MPEG audio";
    facts_.codecName = "MPEG audio layer 1/2/3 (libmpg123)";
    facts_.fileKind = kKindMpeg;
    facts_.sampleRate = rate;
    facts_.channels = channels;
    facts_.hasTag = layout.tagged;
    int64_t samples = mpg123_length(handle_);
    // libmpg123 reads no VBRI header and guesses from the first frame's bit rate; it plays the
    // header's own (silent) frame, which the header leaves out of its count.
    if (!scanned && layout.header && layout.header->vbri && layout.header->frames > 0)
        samples = (layout.header->frames + 1) * mpg123_spf(handle_);
    // Cut short: as much of the claimed length as of the claimed bytes is there. Without a
    // header that holds, the bytes at the bit rate of the first frames (libmpg123 would take
    // the first frame's alone, which may be the unheeded header's).
    if (fit == HeaderFit::Cut && !scanned)
        samples = samples * layout.audioBytes / layout.header->bytes;
    else if (fit != HeaderFit::Fits && !scanned && layout.meanBitRateKbps > 0)
        samples = layout.audioBytes * 8 * rate / (int64_t{layout.meanBitRateKbps} * 1000);
    facts_.totalFrames = std::max<int64_t>(samples, 0);
    facts_.variableBitRate = layout.bitRateVaries || (layout.header && !layout.header->constant);
    const double seconds = static_cast<double>(samples) / rate;
    const int64_t bytes = fit == HeaderFit::Fits ? layout.header->bytes : layout.audioBytes;
    facts_.bitRateKbps =
        (fit == HeaderFit::Fits || scanned) && seconds > 0
            ? static_cast<int32_t>(std::lround(static_cast<double>(bytes) * 8 / seconds / 1000))
            : layout.meanBitRateKbps;
}

void Mpg123Source::indexConstantFrames(int64_t audioEnd, double frameBytes) {
    off_t* offsets = nullptr;
    off_t step = 0;
    size_t fill = 0;
    if (mpg123_index(handle_, &offsets, &step, &fill) != MPG123_OK || fill == 0 || frameBytes <= 0)
        return;
    // From the first audio frame on, frames follow at the average size; a start computed a
    // byte or two early is found by libmpg123's resync, never a frame late.
    const off_t first = offsets[0];
    const auto frames = static_cast<int64_t>(static_cast<double>(audioEnd - first) / frameBytes);
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
    const size_t frameBytes = sizeof(float) * static_cast<size_t>(channels_);
    for (int empty = 0; empty < kMaxEmptyReads; ++empty) {
        size_t done = 0;
        const int result = mpg123_read(handle_, out, frames * frameBytes, &done);
        if (done > 0)
            return done / frameBytes;
        if (result != MPG123_OK && result != MPG123_NEW_FORMAT)
            return 0; // the end, or nothing more that decodes
    }
    return 0;
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
