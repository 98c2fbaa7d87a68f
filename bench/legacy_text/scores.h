// Shares of pieces read right, by sample, locale and tag kind, and their table.
#pragma once

#include "tag_files.h"

#include <array>
#include <cstddef>
#include <ostream>
#include <string>
#include <vector>

namespace legacy_text_bench {

struct Count {
    size_t right = 0;
    size_t all = 0;
    void add(bool wasRight) {
        right += wasRight;
        ++all;
    }
    void add(const Count& other) {
        right += other.right;
        all += other.all;
    }
};

using KindCounts = std::array<Count, std::size(kTagKinds)>;

struct SampleScore {
    std::string name;   // "bg/windows-1251"
    std::string locale; // the language's own, "bg_BG"
    bool ownCodePage;   // the encoding is (within) that locale's Windows code page
    size_t pieces;
    KindCounts own, english; // under the language's own locale and under en_US
};

// A Markdown table: one row per sample, then the totals per tag kind and locale.
void printTable(std::ostream& out, const std::vector<SampleScore>& scores);

} // namespace legacy_text_bench
