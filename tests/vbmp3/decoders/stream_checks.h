// What the engine's tests check of an opened stream beside its sound: the bytes its thread read,
// the length once the background scan has ended; and a byte writer for headers the tests patch.
#pragma once

#include <chrono>
#include <cstdint>
#include <fstream>
#include <string>
#include <thread>

#include "decoders/source.h"

namespace core_test {

// Bytes this thread has read so far.
inline int64_t bytesReadByThisThread() {
    std::ifstream io("/proc/thread-self/io");
    std::string key;
    int64_t value = 0;
    while (io >> key >> value)
        if (key == "rchar:")
            return value;
    return -1;
}

// The length in seconds once any background scan has ended.
inline double settledSeconds(const vbmp3::StreamFacts& facts) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::minutes(3);
    while (facts.laterLength && facts.laterLength->frames < 0 &&
           std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    return static_cast<double>(facts.framesNow()) / facts.sampleRate;
}

inline void putBigEndian(std::string& bytes, size_t at, uint32_t value) {
    for (int i = 0; i < 4; ++i)
        bytes[at + static_cast<size_t>(i)] = static_cast<char>(value >> (24 - 8 * i));
}

} // namespace core_test
