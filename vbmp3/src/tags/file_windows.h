// A file as TagLib reads it for tags: of its true length, but only its head and its tail can be
// read, so that no search of TagLib's ever runs through the audio (or the gigabytes of a file that
// only calls itself music).
#pragma once

#include <cstdint>
#include <string>
#include <taglib/tiostream.h>

namespace vbmp3 {

// The largest window a reader may open: more than a tag's text and a cover picture need.
inline constexpr uint64_t kMaxTagWindow = 16 << 20;

class FileWindows final : public TagLib::IOStream {
public:
    explicit FileWindows(const std::string& path); // isOpen() tells whether it could be opened
    ~FileWindows() override;
    FileWindows(const FileWindows&) = delete;
    FileWindows& operator=(const FileWindows&) = delete;

    // The first `count` bytes (fewer in a shorter file), whatever the windows; for the size of
    // what a format keeps at its head.
    std::string firstBytes(size_t count) const;
    // Lets TagLib read the first and the last `bytes` of the file, each at most kMaxTagWindow.
    void openHead(uint64_t bytes);
    void openTail(uint64_t bytes);

    TagLib::FileName name() const override;
    // The bytes from the position to the end of the window it lies in, at most `length`; nothing
    // outside the windows, and nothing after kMaxReads reads (a walk over countless tiny chunks).
    TagLib::ByteVector readBlock(unsigned long length) override;
    void writeBlock(const TagLib::ByteVector&) override {}
    void insert(const TagLib::ByteVector&, unsigned long, unsigned long) override {}
    void removeBlock(unsigned long, unsigned long) override {}
    bool readOnly() const override { return true; }
    bool isOpen() const override { return descriptor_ >= 0; }
    void seek(long offset, Position from) override;
    long tell() const override { return position_; }
    long length() override { return size_; }
    void truncate(long) override {}

private:
    static constexpr int kMaxReads = 4096;

    // How far a read at `position` may go: the end of its window, or `position` outside them.
    long windowEnd(long position) const;

    std::string path_;
    int descriptor_ = -1;
    long size_ = 0;
    long headEnd_ = 0;
    long tailStart_ = 0;
    long position_ = 0;
    int reads_ = 0;
};

} // namespace vbmp3
