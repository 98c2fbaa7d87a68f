// Inputs the fuzzer once broke the engine with, kept so that the fixes stay fixed: each goes
// through the fuzzer's own path (open, tags, facts, reads and seeks) under every file name.
#include <filesystem>
#include <gtest/gtest.h>
#include <vector>

#include "engine_input.h"
#include "file_bytes.h"
#include "temp_folder.h"

namespace {

namespace fs = std::filesystem;

TEST(FuzzRegression, EveryKeptInputKeepsTheEnginesPromises) {
    const fs::path kept = KEPT_INPUTS_DIR;
    int inputs = 0;
    for (const fs::directory_entry& entry : fs::directory_iterator(kept)) {
        const std::vector<uint8_t> bytes = test_support::readBytes(entry.path());
        ASSERT_FALSE(bytes.empty()) << entry.path();
        EXPECT_EQ(fuzz::runThroughEngine(bytes.data(), bytes.size(), test_support::processFolder()),
                  "")
            << entry.path();
        ++inputs;
    }
    EXPECT_GT(inputs, 0) << "no inputs in " << kept;
}

} // namespace
