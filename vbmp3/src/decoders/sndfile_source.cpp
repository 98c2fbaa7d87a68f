// The WAV decoder: libsndfile, for PCM of every width, float, and IMA and MS ADPCM. It bounds a
// data chunk whose size runs past the end of the file by the bytes that are there.
#include "decoders/converted_source.h"
#include "shared/readable_file.h"

#include <cmath>
#include <fcntl.h>
#include <sndfile.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vbmp3 {
namespace {

struct Encoding {
    int subtype;
    int bits; // 0 for compressed data
};

constexpr Encoding kEncodings[] = {
    {SF_FORMAT_PCM_U8, 8},    {SF_FORMAT_PCM_16, 16},  {SF_FORMAT_PCM_24, 24},
    {SF_FORMAT_PCM_32, 32},   {SF_FORMAT_FLOAT, 32},   {SF_FORMAT_DOUBLE, 64},
    {SF_FORMAT_IMA_ADPCM, 0}, {SF_FORMAT_MS_ADPCM, 0},
};

class SndfileSource : public ConvertedSource {
public:
    ~SndfileSource() override {
        if (file_)
            sf_close(file_);
        if (fd_ >= 0)
            ::close(fd_);
    }

    bool open(const std::string& path) {
        fd_ = openForReading(path);
        SF_INFO info{};
        file_ = fd_ < 0 ? nullptr : sf_open_fd(fd_, SFM_READ, &info, SF_FALSE);
        if (!file_ || (info.format & SF_FORMAT_TYPEMASK) != SF_FORMAT_WAV || info.frames <= 0 ||
            !startConversion(info.samplerate, info.channels))
            return false;
        const Encoding* encoding = nullptr;
        for (const Encoding& e : kEncodings)
            encoding = (info.format & SF_FORMAT_SUBMASK) == e.subtype ? &e : encoding;
        if (!encoding)
            return false; // another codec inside a WAV: left to FFmpeg
        SF_FORMAT_INFO format{};
        format.format = info.format & SF_FORMAT_SUBMASK;
        sf_command(file_, SFC_GET_FORMAT_INFO, &format, sizeof format);
        facts_.formatName = "WAV / WAVE (Waveform Audio)";
        facts_.codecName = format.name ? format.name : "";
        facts_.fileKind = kKindWave;
        facts_.sampleRate = info.samplerate;
        facts_.channels = info.channels;
        facts_.bitsPerSample = encoding->bits;
        facts_.totalFrames = info.frames;
        facts_.bitRateKbps = bitRateKbps(info, encoding->bits);
        facts_.hasTag = sf_get_string(file_, SF_STR_TITLE) || sf_get_string(file_, SF_STR_ARTIST);
        return true;
    }

private:
    int32_t bitRateKbps(const SF_INFO& info, int bits) const {
        if (bits > 0) // uncompressed samples have an exact rate
            return static_cast<int32_t>((int64_t{info.samplerate} * info.channels * bits + 500) /
                                        1000);
        struct stat file {};
        const double seconds = static_cast<double>(info.frames) / info.samplerate;
        if (fstat(fd_, &file) != 0 || seconds <= 0)
            return 0;
        return static_cast<int32_t>(
            std::lround(static_cast<double>(file.st_size) * 8 / seconds / 1000));
    }

    size_t readNative(float* out, size_t frames) override {
        const sf_count_t got = sf_readf_float(file_, out, static_cast<sf_count_t>(frames));
        return got > 0 ? static_cast<size_t>(got) : 0;
    }

    bool seekNative(int64_t frame) override { return sf_seek(file_, frame, SEEK_SET) >= 0; }

    int fd_ = -1;
    SNDFILE* file_ = nullptr;
};

} // namespace

std::unique_ptr<Source> openSndfileSource(const std::string& path) {
    auto source = std::make_unique<SndfileSource>();
    if (!source->open(path))
        return nullptr;
    return source;
}

} // namespace vbmp3
