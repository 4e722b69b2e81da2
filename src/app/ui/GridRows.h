#pragma once

#include <QAbstractItemView>
#include <QItemSelectionModel>
#include <QList>

// Makes row the current and only selected row of a whole-row grid and scrolls to it; with no
// such row the selection is cleared.
void selectGridRow(QAbstractItemView *grid, int row);

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
