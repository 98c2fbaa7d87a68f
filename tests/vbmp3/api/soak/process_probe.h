// What the process holds, read from /proc (Linux only): its threads and its resident memory.
#pragma once

#include <chrono>
#include <cstddef>

namespace soak {

size_t threadCount();
size_t residentKiB();
// Waits up to `patience` for the thread count to fall to `expected` (an exiting thread leaves
// /proc a moment after it was joined) and returns the last count seen.
size_t settledThreadCount(size_t expected,
                          std::chrono::milliseconds patience = std::chrono::milliseconds(1000));

} // namespace soak
