#pragma once

#include <QAbstractListModel>

#include "platform/folder_names.h"

namespace platform {

// A folder's names as the rows of a list view, replaced all at once.
class FolderNamesModel : public QAbstractListModel {
    Q_OBJECT
public:
    using QAbstractListModel::QAbstractListModel;

    void replace(FolderNames names);
    const FolderNames& names() const { return names_; }

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;

private:
    FolderNames names_;
};

} // namespace platform
