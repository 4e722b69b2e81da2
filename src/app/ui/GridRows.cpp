#include "app/ui/GridRows.h"

void selectGridRow(QAbstractItemView *grid, int row)
{
    if (row < 0 || row >= grid->model()->rowCount()) {
        grid->selectionModel()->clear();
        return;
    }
    const QModelIndex index = grid->model()->index(row, 0);
    grid->selectionModel()->setCurrentIndex(
        index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    grid->scrollTo(index);
}
