// Inputs the fuzzer once broke the engine with, kept so that the fixes stay fixed: each goes
// through the fuzzer's own path (open, tags, facts, reads and seeks) under every file name.
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <vector>

#include "engine_input.h"
#include "pulled_engine.h"

namespace {

namespace fs = std::filesystem;

std::vector<uint8_t> readBytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

TEST(FuzzRegression, EveryKeptInputKeepsTheEnginesPromises) {
    const fs::path kept = KEPT_INPUTS_DIR;
    int inputs = 0;
    for (const fs::directory_entry& entry : fs::directory_iterator(kept)) {
        const std::vector<uint8_t> bytes = readBytes(entry.path());
        ASSERT_FALSE(bytes.empty()) << entry.path();
        EXPECT_EQ(fuzz::runThroughEngine(bytes.data(), bytes.size(), core_test::folder()), "")
            << entry.path();
        ++inputs;
    }
    EXPECT_GT(inputs, 0) << "no inputs in " << kept;
}

} // namespace
