#include "platform/folder_names_model.h"

namespace platform {

void FolderNamesModel::replace(FolderNames names) {
    beginResetModel();
    names_ = std::move(names);
    endResetModel();
}

int FolderNamesModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : names_.count();
}

QVariant FolderNamesModel::data(const QModelIndex& index, int role) const {
    if (role != Qt::DisplayRole || !index.isValid() || index.row() >= names_.count()) {
        return QVariant();
    }
    return names_.shown(index.row()).toString();
}

} // namespace platform
