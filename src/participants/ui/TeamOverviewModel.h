#pragma once

#include <QAbstractTableModel>

class TeamOverview;

// The grid of the team overview over the rows of the list shown, read-only.
class TeamOverviewModel : public QAbstractTableModel
{
    Q_OBJECT

public:
    enum Column { CalcName, StartNr, Verein, Hund, Rasse, KatBez, CalcZusatz, ColumnCount };

    explicit TeamOverviewModel(TeamOverview &overview, QObject *parent = nullptr);

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    static int widthInCharacters(int column);
    // Wraps a change of the overview's rows.
    void beginReload() { beginResetModel(); }
    void endReload() { endResetModel(); }

private:
    TeamOverview &m_overview;
};
