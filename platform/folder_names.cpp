#include "platform/folder_names.h"

#include "platform/codepage.h"

#include <QRegularExpression>
#include <algorithm>
#include <filesystem>
#include <numeric>
#include <system_error>

namespace platform {

namespace {

std::vector<QRegularExpression> wildcards(const QStringList& patterns) {
    std::vector<QRegularExpression> out;
    for (const QString& pattern : patterns) {
        out.push_back(QRegularExpression::fromWildcard(pattern.trimmed(), Qt::CaseInsensitive));
        out.back().optimize();
    }
    return out;
}

bool matchesAny(const std::vector<QRegularExpression>& wildcards, const QString& name) {
    return std::any_of(wildcards.begin(), wildcards.end(),
                       [&](const QRegularExpression& w) { return w.match(name).hasMatch(); });
}

// Like QDir::Files without System/Hidden: no dot files, folders, devices, pipes or sockets; a link
// to a regular file counts as the file. The type comes from the folder's own listing; only links
// (and file systems that do not tell) cost a look at the file.
bool isListedFile(const std::filesystem::directory_entry& entry) {
    std::error_code error;
    return entry.is_regular_file(error);
}

} // namespace

FolderNames FolderNames::read(const QString& folder, const QStringList& patterns) {
    const std::vector<QRegularExpression> match = wildcards(patterns);
    FolderNames unsorted;
    // Read by bytes: QDir leaves out every name that is not UTF-8.
    std::error_code error;
    const std::filesystem::path path(toEightBit(folder).toStdString());
    for (std::filesystem::directory_iterator it(path, error), end; !error && it != end;
         it.increment(error)) {
        const std::string bytes = it->path().filename().native();
        if (bytes.starts_with('.') || !isListedFile(*it)) {
            continue;
        }
        const QString name = fromEightBit(QByteArray::fromStdString(bytes));
        // Matched on the decoded name: a regular expression takes no escaped bytes.
        const QString shown = displayName(name);
        if (!matchesAny(match, shown)) {
            continue;
        }
        if (shown != name) {
            unsorted.escapedNames_.emplace(unsorted.count(), name);
        }
        unsorted.append(shown);
    }
    unsorted.sortByShownName();
    return unsorted;
}

void FolderNames::append(QStringView shown) {
    text_.append(shown);
    starts_.push_back(static_cast<uint32_t>(text_.size()));
}

void FolderNames::sortByShownName() {
    std::vector<int32_t> order(static_cast<size_t>(count()));
    std::iota(order.begin(), order.end(), 0);
    std::sort(order.begin(), order.end(), [this](int32_t a, int32_t b) {
        // Names that differ only in case keep one order from run to run.
        const int order = shown(a).compare(shown(b), Qt::CaseInsensitive);
        return order != 0 ? order < 0 : shown(a).compare(shown(b)) < 0;
    });
    FolderNames sorted;
    sorted.text_.reserve(text_.size());
    sorted.starts_.reserve(starts_.size());
    for (const int32_t from : order) {
        if (const auto escaped = escapedNames_.find(from); escaped != escapedNames_.end()) {
            sorted.escapedNames_.emplace(sorted.count(), escaped->second);
        }
        sorted.append(shown(from));
    }
    *this = std::move(sorted);
}

QStringView FolderNames::shown(int32_t row) const {
    const auto at = static_cast<size_t>(row);
    return QStringView(text_).sliced(starts_[at], starts_[at + 1] - starts_[at]);
}

QString FolderNames::name(int32_t row) const {
    const auto escaped = escapedNames_.find(row);
    return escaped != escapedNames_.end() ? escaped->second : shown(row).toString();
}

} // namespace platform
