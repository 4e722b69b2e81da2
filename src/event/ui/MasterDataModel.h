#pragma once

#include <QAbstractTableModel>

class MasterDataList;

// The grid of the master-data list: the category name, or the post's name, factor and
// "Aktiv"; inactive posts on silver.
class MasterDataModel : public QAbstractTableModel
{
    Q_OBJECT

public:
    explicit MasterDataModel(MasterDataList &list, QObject *parent = nullptr);

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    int widthInCharacters(int column) const;
    void reload();

private:
    MasterDataList &m_list;
};
