#include "scores.h"

#include <cmath>
#include <sstream>

namespace legacy_text_bench {
namespace {

std::string percent(const Count& count) {
    if (count.all == 0)
        return "-";
    return std::to_string(static_cast<int>(
        std::floor(100.0 * static_cast<double>(count.right) / static_cast<double>(count.all))));
}

// "ID3v1 / ID3v2 / RIFF" in one cell.
std::string cell(const KindCounts& counts) {
    std::ostringstream text;
    for (size_t i = 0; i < counts.size(); ++i)
        text << (i ? " / " : "") << percent(counts[i]);
    return text.str();
}

Count all(const KindCounts& counts) {
    Count sum;
    for (const Count& count : counts)
        sum.add(count);
    return sum;
}

void printTotal(std::ostream& out, const std::vector<SampleScore>& scores, bool ownOnly,
                const char* label) {
    KindCounts own{}, english{};
    size_t pieces = 0;
    for (const SampleScore& score : scores) {
        if (ownOnly && !score.ownCodePage)
            continue;
        pieces += score.pieces;
        for (size_t i = 0; i < own.size(); ++i) {
            own[i].add(score.own[i]);
            english[i].add(score.english[i]);
        }
    }
    out << "| " << label << " | | " << pieces << " | " << cell(own) << " | " << percent(all(own))
        << " | " << cell(english) << " | " << percent(all(english)) << " |\n";
}

} // namespace

void printTable(std::ostream& out, const std::vector<SampleScore>& scores) {
    out << "Share read right, % (rounded down), ID3v1 / ID3v2 marked ISO-8859-1 / RIFF INFO; "
           "* where the encoding is the locale's own code page\n\n"
        << "| Language/encoding | Locale | Pieces | Own locale | all | en_US | all |\n"
        << "|---|---|---|---|---|---|---|\n";
    for (const SampleScore& score : scores)
        out << "| " << score.name << (score.ownCodePage ? " *" : "") << " | " << score.locale
            << " | " << score.pieces << " | " << cell(score.own) << " | " << percent(all(score.own))
            << " | " << cell(score.english) << " | " << percent(all(score.english)) << " |\n";
    printTotal(out, scores, true, "all marked *");
    printTotal(out, scores, false, "all");
}

} // namespace legacy_text_bench
