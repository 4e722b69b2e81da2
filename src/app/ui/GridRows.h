#pragma once

#include <QAbstractItemView>
#include <QItemSelectionModel>
#include <QList>
#include <QTableView>

// Makes row the current and only selected row of a whole-row grid and scrolls to it; with no
// such row the selection is cleared.
void selectGridRow(QAbstractItemView *grid, int row);

// The width of a grid column given in characters, but never narrower than its heading, which
// would otherwise be cut ("Gedruckt" in six characters).
int columnWidth(const QTableView *grid, int column, int characters);

// The TeamNr of each selected row of a grid over rows, in selection order.
template<class Row>
QList<int> selectedTeamNrs(const QAbstractItemView *grid, const QList<Row> &rows)
{
    QList<int> teamNrs;
    for (const QModelIndex &index : grid->selectionModel()->selectedRows()) {
        if (index.row() < rows.size())
            teamNrs << rows.at(index.row()).TeamNr;
    }
    return teamNrs;
}
