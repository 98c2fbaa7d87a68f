#include "decoders/midi/midi_file.h"

#include "shared/readable_file.h"

#include <algorithm>
#include <iterator>
#include <string_view>
#include <sys/stat.h>

namespace vbmp3 {

namespace {

// Larger files are not music; refusing them keeps a stray path from filling memory.
constexpr off_t kMaxFileBytes = 64 << 20;
constexpr uint32_t kDefaultTempo = 500000; // 120 beats per minute until the file says

uint32_t bigEndian(const uint8_t* p, int bytes) {
    uint32_t value = 0;
    for (int i = 0; i < bytes; ++i)
        value = value << 8 | p[i];
    return value;
}

// Reads one track chunk's body; stops quietly at the first thing that does not parse.
class TrackReader {
public:
    // `startTick`: where the track begins on the file's time line.
    TrackReader(const uint8_t* data, size_t size, int track, int64_t startTick, MidiFile& file,
                std::vector<TempoMap::Change>& tempos)
        : p_(data), end_(data + size), track_(track), file_(file), tempos_(tempos),
          tick_(startTick) {}

    // Returns the track's end tick.
    int64_t read() {
        while (p_ < end_) {
            uint32_t delta = 0;
            if (!readVarLen(delta))
                break;
            tick_ += delta;
            if (!readEvent())
                break;
            if (ended_)
                return tick_;
        }
        return tick_;
    }

private:
    bool readVarLen(uint32_t& value) {
        value = 0;
        for (int i = 0; i < 4; ++i) {
            if (p_ >= end_)
                return false;
            uint8_t byte = *p_++;
            value = value << 7 | (byte & 0x7F);
            if (!(byte & 0x80))
                return true;
        }
        return false; // longer than the four bytes a length may take
    }

    // Takes `length` bytes, or fails when the chunk holds fewer.
    bool take(uint32_t length, const uint8_t*& start) {
        if (length > static_cast<size_t>(end_ - p_))
            return false;
        start = p_;
        p_ += length;
        return true;
    }

    bool readEvent() {
        if (p_ >= end_)
            return false; // a delta time with no event after it
        uint8_t status = *p_;
        if (status & 0x80)
            ++p_;
        else if (runningStatus_ != 0)
            status = runningStatus_;
        else
            return false;

        if (status == 0xFF)
            return readMeta();
        if (status == 0xF0 || status == 0xF7)
            return readSysex(status);
        if (status >= 0xF0)
            return skipSystemMessage(status);

        runningStatus_ = status;
        const int dataBytes = (status & 0xE0) == 0xC0 ? 1 : 2; // program change, channel pressure
        MidiEvent event{tick_, status};
        const uint8_t* data = nullptr;
        if (!take(dataBytes, data))
            return false;
        event.data1 = data[0] & 0x7F;
        if (dataBytes == 2)
            event.data2 = data[1] & 0x7F;
        file_.events.push_back(event);
        return true;
    }

    // System common and real-time messages have no place in a file, but some files hold them,
    // undefined ones (F4, F5, F9, FD) too: skipped with their data bytes, and the track plays on.
    bool skipSystemMessage(uint8_t status) {
        const uint8_t* data = nullptr;
        const uint32_t dataBytes = status == 0xF2 ? 2 : (status == 0xF1 || status == 0xF3) ? 1 : 0;
        return take(dataBytes, data);
    }

    bool readMeta() {
        const uint8_t* type = nullptr;
        uint32_t length = 0;
        const uint8_t* body = nullptr;
        if (!take(1, type) || !readVarLen(length) || !take(length, body))
            return false;
        std::string text(reinterpret_cast<const char*>(body), length);
        switch (*type) {
        case 0x01:
            if (file_.firstText.empty())
                file_.firstText = text;
            break;
        case 0x02:
            if (file_.copyright.empty())
                file_.copyright = text;
            break;
        case 0x03:
            if (track_ == 0 && file_.firstTrackName.empty())
                file_.firstTrackName = text;
            break;
        case 0x2F:
            ended_ = true;
            break;
        case 0x51:
            if (length == 3)
                tempos_.push_back({tick_, bigEndian(body, 3)});
            break;
        default:
            break;
        }
        return true;
    }

    bool readSysex(uint8_t status) {
        uint32_t length = 0;
        const uint8_t* body = nullptr;
        if (!readVarLen(length))
            return false;
        if (!take(length, body)) {
            // An unterminated message running off the chunk: nothing after it can be trusted.
            return false;
        }
        if (status == 0xF7)
            return true; // escaped raw bytes: not a message the synthesizer can take whole
        uint32_t payload = length;
        if (payload > 0 && body[payload - 1] == 0xF7)
            --payload;
        MidiEvent event{tick_, 0xF0};
        event.sysex = static_cast<uint32_t>(file_.sysexData.size());
        file_.sysexData.emplace_back(reinterpret_cast<const char*>(body), payload);
        file_.events.push_back(event);
        return true;
    }

    const uint8_t* p_;
    const uint8_t* end_;
    int track_;
    MidiFile& file_;
    std::vector<TempoMap::Change>& tempos_;
    int64_t tick_;
    uint8_t runningStatus_ = 0;
    bool ended_ = false;
};

std::optional<TempoMap> timeDivision(uint16_t division,
                                     const std::vector<TempoMap::Change>& tempos) {
    if (division & 0x8000) {
        const int framesPerSecond = -static_cast<int8_t>(division >> 8);
        const int ticksPerFrame = division & 0xFF;
        if (ticksPerFrame == 0)
            return std::nullopt;
        double rate = 0;
        switch (framesPerSecond) {
        case 24:
        case 25:
        case 30:
            rate = framesPerSecond;
            break;
        case 29:
            rate = 30000.0 / 1001.0; // drop-frame
            break;
        default:
            return std::nullopt;
        }
        return TempoMap::smpte(rate * ticksPerFrame);
    }
    if (division == 0)
        return std::nullopt;
    return TempoMap::metrical(division, tempos);
}

} // namespace

TempoMap TempoMap::metrical(int ticksPerQuarter, const std::vector<Change>& changes) {
    TempoMap map;
    map.segments_.push_back({0, 0.0, kDefaultTempo / 1e6 / ticksPerQuarter});
    for (const Change& change : changes) {
        if (change.microsPerQuarter == 0)
            continue; // a zero tempo would put every later event at the same instant
        const double perTick = change.microsPerQuarter / 1e6 / ticksPerQuarter;
        Segment& last = map.segments_.back();
        if (change.tick == last.tick) {
            last.secondsPerTick = perTick;
            continue;
        }
        map.segments_.push_back({change.tick, map.seconds(change.tick), perTick});
    }
    return map;
}

TempoMap TempoMap::smpte(double ticksPerSecond) {
    TempoMap map;
    map.segments_.push_back({0, 0.0, 1.0 / ticksPerSecond});
    return map;
}

double TempoMap::seconds(int64_t tick) const {
    auto after = std::upper_bound(segments_.begin(), segments_.end(), tick,
                                  [](int64_t t, const Segment& s) { return t < s.tick; });
    const Segment& segment = after == segments_.begin() ? segments_.front() : *std::prev(after);
    return segment.startSeconds + static_cast<double>(tick - segment.tick) * segment.secondsPerTick;
}

std::optional<MidiFile> parseMidiFile(const std::vector<uint8_t>& bytes) {
    const uint8_t* data = bytes.data();
    const size_t size = bytes.size();
    if (size < 14 || std::string_view(reinterpret_cast<const char*>(data), 4) != "MThd")
        return std::nullopt;
    const uint32_t headerLength = bigEndian(data + 4, 4);
    if (headerLength < 6)
        return std::nullopt;

    MidiFile file;
    file.format = static_cast<int>(bigEndian(data + 8, 2));
    const auto division = static_cast<uint16_t>(bigEndian(data + 12, 2));

    std::vector<TempoMap::Change> tempos;
    size_t pos = 8 + static_cast<size_t>(std::min<uint32_t>(headerLength, size));
    while (pos + 8 <= size) {
        const uint8_t* chunk = data + pos;
        const size_t declared = bigEndian(chunk + 4, 4);
        const size_t available = std::min(declared, size - pos - 8); // a length past the end
        if (std::string_view(reinterpret_cast<const char*>(chunk), 4) == "MTrk") {
            // Format 2 holds independent sequences: each starts where the one before ended, at
            // the default tempo unless it sets its own.
            const int64_t start = file.format == 2 ? file.endTick : 0;
            if (file.format == 2 && file.trackCount > 0)
                tempos.push_back({start, kDefaultTempo});
            TrackReader reader(chunk + 8, available, file.trackCount, start, file, tempos);
            file.endTick = std::max(file.endTick, reader.read());
            ++file.trackCount;
        }
        pos += 8 + available;
    }
    if (file.trackCount == 0)
        return std::nullopt;

    std::stable_sort(tempos.begin(), tempos.end(),
                     [](const auto& a, const auto& b) { return a.tick < b.tick; });
    std::optional<TempoMap> map = timeDivision(division, tempos);
    if (!map)
        return std::nullopt;
    file.tempo = *map;

    // Tracks were appended one after another, so a stable sort by tick keeps the track order
    // and each track's own order at equal ticks.
    std::stable_sort(file.events.begin(), file.events.end(),
                     [](const MidiEvent& a, const MidiEvent& b) { return a.tick < b.tick; });
    return file;
}

std::optional<MidiFile> loadMidiFile(const std::string& path) {
    const int fd = openForReading(path);
    struct stat info {};
    if (fd < 0 || ::fstat(fd, &info) != 0 || info.st_size > kMaxFileBytes) {
        if (fd >= 0)
            ::close(fd);
        return std::nullopt;
    }
    std::vector<uint8_t> bytes(static_cast<size_t>(info.st_size));
    const ssize_t got = ::pread(fd, bytes.data(), bytes.size(), 0);
    ::close(fd);
    if (got != static_cast<ssize_t>(bytes.size()))
        return std::nullopt;
    return parseMidiFile(bytes);
}

} // namespace vbmp3
