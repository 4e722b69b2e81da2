#include "participants/ui/TeamOverviewModel.h"

#include "participants/TeamOverview.h"

TeamOverviewModel::TeamOverviewModel(TeamOverview &overview, QObject *parent)
    : QAbstractTableModel(parent), m_overview(overview)
{ }

int TeamOverviewModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_overview.rows().size());
}

int TeamOverviewModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant TeamOverviewModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= m_overview.rows().size())
        return {};
    const OverviewRow &row = m_overview.rows().at(index.row());
    if (role == Qt::TextAlignmentRole && index.column() == StartNr)
        return int(Qt::AlignRight | Qt::AlignVCenter);
    if (role != Qt::DisplayRole)
        return {};
    switch (Column(index.column())) {
    case CalcName:
        return row.CalcName();
    case StartNr:
        return row.StartNr;
    case Verein:
        return row.Verein;
    case Hund:
        return row.Hund;
    case Rasse:
        return row.Rasse;
    case KatBez:
        return row.KatBez;
    case CalcZusatz:
        return row.CalcZusatz();
    case ColumnCount:
        break;
    }
    return {};
}

QVariant TeamOverviewModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return QAbstractTableModel::headerData(section, orientation, role);
    static const char *const titles[ColumnCount] = {"Name",  "StartNr",   "Verein", "Hund",
                                                    "Rasse", "Kategorie", "Zusatz"};
    return section >= 0 && section < ColumnCount ? QVariant(QString::fromUtf8(titles[section]))
                                                 : QVariant();
}

int TeamOverviewModel::widthInCharacters(int column)
{
    static const int widths[ColumnCount] = {29, 5, 18, 15, 17, 10, 6};
    return column >= 0 && column < ColumnCount ? widths[column] : 10;
}
