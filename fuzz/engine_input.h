// Bytes on disk through the engine's path from file to sound, shared by the fuzzer and the
// regression test so that both exercise exactly the same calls.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>

namespace fuzz {

// Writes the bytes into `folder` under each music file name the player offers and, for each,
// hands the file to the decoders as the decoder process gets it (an open descriptor), opens it,
// reads its tags, picture and facts, plays a little, seeks to the middle and past the end and plays
// again. Returns the first promise the engine broke, or an empty string.
std::string runThroughEngine(const uint8_t* data, size_t size, const std::filesystem::path& folder);

} // namespace fuzz
