// What the engine and its decoder process say to each other. Each call is one message on a
// SOCK_SEQPACKET socket, answered by one message; files and shared memory go across as
// descriptors (SCM_RIGHTS). The engine asks on one socket for opens, tags and pictures; while a
// call runs, the decoder process may say first that it is loading a part of the engine's own (the
// FFmpeg module, the SoundFont) and that it is done, so that the engine does not count that time
// against the file. Each open file then
// has a socket of its own for its reads and seeks, served on a thread of its own, and hands its
// frames back in a shared window (a memfd both map), never in a message.
#pragma once

#include "decoders/source.h"
#include "tags/tags.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vbmp3::wire {

enum class Call : int64_t { Open = 1, Tags = 2, Read = 3, Seek = 4, Picture = 5 };
// The first number of the decoder process's messages that come ahead of an answer; an answer's
// first is 0 or 1.
enum class Interim : int64_t { Loading = -1, Loaded = -2 };

// The descriptor the decoder process is started with: its end of the engine's call socket.
inline constexpr int kCallSocket = 3;
// Its argument when an earlier one has said already what its sandbox lacks.
inline constexpr const char* kQuietArgument = "--quiet";
// What one read hands back at most, and so the shared window's size.
inline constexpr size_t kWindowFrames = 8192;
// No message is longer; a longer text is cut (the records' slots are far smaller).
inline constexpr size_t kMaxMessageBytes = 32768;
inline constexpr size_t kMaxTextBytes = 1024;

// The memory an open file's frames come back in, mapped by both processes.
struct FrameWindow {
    LaterLength later; // the length a scan found after the open, kept up to date by the decoder
    alignas(64) float frames[kWindowFrames * kOutputChannels];
};

// A message's fields in order: numbers and texts.
class Writer {
public:
    Writer& number(int64_t value);
    Writer& text(std::string_view value); // cut to kMaxTextBytes at a character's start
    const std::string& bytes() const { return bytes_; }

private:
    std::string bytes_;
};

class Reader {
public:
    explicit Reader(std::string_view bytes) : bytes_(bytes) {}
    int64_t number();
    std::string text();
    // Whether every field read so far was there.
    bool whole() const { return whole_; }

private:
    std::string_view bytes_;
    bool whole_ = true;
};

void putFacts(Writer& out, const StreamFacts& facts);
StreamFacts takeFacts(Reader& in);
void putTags(Writer& out, const Tags& tags);
Tags takeTags(Reader& in);

struct Message {
    std::string bytes;
    std::vector<int> descriptors; // the receiver's to close
};

// Sends `bytes` with `descriptors` (not given away). False when the other side is gone.
bool send(int socket, const std::string& bytes, const std::vector<int>& descriptors = {});
// The next message, waiting up to `timeoutMs` (-1: for ever); nullopt when the other side is
// gone, on an error, or when the time is up (then `timedOut` says so).
std::optional<Message> receive(int socket, int timeoutMs, bool* timedOut = nullptr);

} // namespace vbmp3::wire
