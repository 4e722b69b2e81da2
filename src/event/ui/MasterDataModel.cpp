#include "event/ui/MasterDataModel.h"

#include "data/DataLibrary.h"
#include "event/MasterDataList.h"

#include <QColor>

MasterDataModel::MasterDataModel(MasterDataList &list, QObject *parent)
    : QAbstractTableModel(parent), m_list(list)
{ }

int MasterDataModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_list.rows().size());
}

int MasterDataModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : (m_list.posts() ? 3 : 1);
}

int MasterDataModel::widthInCharacters(int column) const
{
    if (!m_list.posts())
        return 55;
    static const int widths[] = {40, 7, 6};
    return widths[qBound(0, column, 2)];
}

QVariant MasterDataModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= rowCount())
        return {};
    const MasterRecord &r = m_list.rows().at(index.row());
    switch (role) {
    case Qt::DisplayRole:
        switch (index.column()) {
        case 0:
            return r.name;
        case 1:
            return MasterDataList::factorText(r.Faktor);
        case 2:
            return DataLibrary::YesNoText(r.Aktiv);
        }
        return {};
    case Qt::BackgroundRole:
        if (m_list.posts() && !r.Aktiv)
            return QColor(0xC0, 0xC0, 0xC0);
        return {};
    case Qt::TextAlignmentRole:
        if (index.column() == 1)
            return int(Qt::AlignRight | Qt::AlignVCenter);
        return {};
    }
    return {};
}

QVariant MasterDataModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return QAbstractTableModel::headerData(section, orientation, role);
    if (!m_list.posts())
        return QStringLiteral("Kategorie");
    switch (section) {
    case 0:
        return QStringLiteral("Posten");
    case 1:
        return QStringLiteral("Faktor");
    case 2:
        return QStringLiteral("Aktiv");
    }
    return {};
}

void MasterDataModel::reload()
{
    beginResetModel();
    endResetModel();
}
