#include "sandbox/wire.h"

#include <cerrno>
#include <cstring>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace vbmp3::wire {
namespace {

constexpr size_t kMaxDescriptors = 4;

// The length of `text` cut to `limit` bytes without splitting a UTF-8 character.
size_t cutLength(std::string_view text, size_t limit) {
    if (text.size() <= limit)
        return text.size();
    size_t length = limit;
    while (length > 0 && (static_cast<unsigned char>(text[length]) & 0xC0) == 0x80)
        --length;
    return length;
}

} // namespace

Writer& Writer::number(int64_t value) {
    bytes_.append(reinterpret_cast<const char*>(&value), sizeof value);
    return *this;
}

Writer& Writer::text(std::string_view value) {
    const size_t length = cutLength(value, kMaxTextBytes);
    number(static_cast<int64_t>(length));
    bytes_.append(value.substr(0, length));
    return *this;
}

int64_t Reader::number() {
    int64_t value = 0;
    if (bytes_.size() < sizeof value) {
        whole_ = false;
        return 0;
    }
    std::memcpy(&value, bytes_.data(), sizeof value);
    bytes_.remove_prefix(sizeof value);
    return value;
}

std::string Reader::text() {
    const int64_t length = number();
    if (length < 0 || static_cast<uint64_t>(length) > bytes_.size()) {
        whole_ = false;
        return {};
    }
    std::string value(bytes_.substr(0, static_cast<size_t>(length)));
    bytes_.remove_prefix(static_cast<size_t>(length));
    return value;
}

void putFacts(Writer& out, const StreamFacts& facts) {
    out.text(facts.formatName).text(facts.codecName);
    for (const int64_t value :
         {int64_t{facts.fileKind}, int64_t{facts.sampleRate}, int64_t{facts.channels},
          int64_t{facts.bitsPerSample}, int64_t{facts.bitRateKbps}, int64_t{facts.variableBitRate},
          int64_t{facts.trackCount}, int64_t{facts.hasTag}, int64_t{facts.hasPicture},
          int64_t{facts.seekable}, facts.totalFrames})
        out.number(value);
}

StreamFacts takeFacts(Reader& in) {
    StreamFacts facts;
    facts.formatName = in.text();
    facts.codecName = in.text();
    facts.fileKind = static_cast<int32_t>(in.number());
    facts.sampleRate = static_cast<int32_t>(in.number());
    facts.channels = static_cast<int32_t>(in.number());
    facts.bitsPerSample = static_cast<int32_t>(in.number());
    facts.bitRateKbps = static_cast<int32_t>(in.number());
    facts.variableBitRate = in.number() != 0;
    facts.trackCount = static_cast<int32_t>(in.number());
    facts.hasTag = in.number() != 0;
    facts.hasPicture = in.number() != 0;
    facts.seekable = in.number() != 0;
    facts.totalFrames = in.number();
    return facts;
}

void putTags(Writer& out, const Tags& tags) {
    out.text(tags.title).text(tags.artist).text(tags.album).text(tags.year).text(tags.comment);
    out.text(tags.genreName).number(tags.genreCode);
}

Tags takeTags(Reader& in) {
    Tags tags;
    tags.title = in.text();
    tags.artist = in.text();
    tags.album = in.text();
    tags.year = in.text();
    tags.comment = in.text();
    tags.genreName = in.text();
    tags.genreCode = static_cast<int32_t>(in.number());
    return tags;
}

bool send(int socket, const std::string& bytes, const std::vector<int>& descriptors) {
    iovec part{const_cast<char*>(bytes.data()), bytes.size()};
    msghdr message{};
    message.msg_iov = &part;
    message.msg_iovlen = 1;
    alignas(cmsghdr) char control[CMSG_SPACE(sizeof(int) * kMaxDescriptors)] = {};
    if (!descriptors.empty() && descriptors.size() <= kMaxDescriptors) {
        message.msg_control = control;
        message.msg_controllen = CMSG_SPACE(sizeof(int) * descriptors.size());
        cmsghdr* header = CMSG_FIRSTHDR(&message);
        header->cmsg_level = SOL_SOCKET;
        header->cmsg_type = SCM_RIGHTS;
        header->cmsg_len = CMSG_LEN(sizeof(int) * descriptors.size());
        std::memcpy(CMSG_DATA(header), descriptors.data(), sizeof(int) * descriptors.size());
    }
    ssize_t sent = -1;
    do
        sent = ::sendmsg(socket, &message, MSG_NOSIGNAL);
    while (sent < 0 && errno == EINTR);
    return sent == static_cast<ssize_t>(bytes.size());
}

std::optional<Message> receive(int socket, int timeoutMs, bool* timedOut) {
    if (timedOut)
        *timedOut = false;
    pollfd waiting{socket, POLLIN, 0};
    int ready = -1;
    do
        ready = ::poll(&waiting, 1, timeoutMs);
    while (ready < 0 && errno == EINTR);
    if (ready == 0 && timedOut)
        *timedOut = true;
    if (ready <= 0)
        return std::nullopt;
    Message received;
    received.bytes.resize(kMaxMessageBytes);
    iovec part{received.bytes.data(), received.bytes.size()};
    msghdr message{};
    message.msg_iov = &part;
    message.msg_iovlen = 1;
    alignas(cmsghdr) char control[CMSG_SPACE(sizeof(int) * kMaxDescriptors)] = {};
    message.msg_control = control;
    message.msg_controllen = sizeof control;
    ssize_t got = -1;
    do
        got = ::recvmsg(socket, &message, MSG_CMSG_CLOEXEC);
    while (got < 0 && errno == EINTR);
    for (cmsghdr* header = CMSG_FIRSTHDR(&message); header; header = CMSG_NXTHDR(&message, header))
        if (header->cmsg_level == SOL_SOCKET && header->cmsg_type == SCM_RIGHTS) {
            const size_t count = (header->cmsg_len - CMSG_LEN(0)) / sizeof(int);
            received.descriptors.resize(count);
            std::memcpy(received.descriptors.data(), CMSG_DATA(header), sizeof(int) * count);
        }
    if (got <= 0 || (message.msg_flags & (MSG_TRUNC | MSG_CTRUNC))) {
        for (const int fd : received.descriptors)
            ::close(fd);
        return std::nullopt;
    }
    received.bytes.resize(static_cast<size_t>(got));
    return received;
}

} // namespace vbmp3::wire
