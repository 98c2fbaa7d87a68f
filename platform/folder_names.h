// The names of one folder's matching files, read once and sorted once, packed for folders of any
// size: an entry costs its name's UTF-16 characters and four bytes.
#pragma once

#include <QString>
#include <QStringList>
#include <QStringView>
#include <cstdint>
#include <unordered_map>
#include <vector>

namespace platform {

class FolderNames {
public:
    FolderNames() = default;
    // The folder's regular files (and links to them) whose names match one of the wildcard
    // patterns without regard to case, sorted without regard to case; none if it cannot be read.
    static FolderNames read(const QString& folder, const QStringList& patterns);

    int32_t count() const { return static_cast<int32_t>(starts_.size()) - 1; }
    // The name as the list shows it.
    QStringView shown(int32_t row) const;
    // The name as the engine gets it: one that is no UTF-8 on disk carries its bytes escaped.
    QString name(int32_t row) const;

private:
    void append(QStringView shown);
    void sortByShownName();

    QString text_;                       // the shown names, one after the other
    std::vector<uint32_t> starts_ = {0}; // where each begins, and the end
    // The few names shown other than they are named (a legacy code page), by row.
    std::unordered_map<int32_t, QString> escapedNames_;
};

} // namespace platform
