#include "app/ui/GridRows.h"

#include <QHeaderView>

int columnWidth(const QTableView *grid, int column, int characters)
{
    const QString heading =
        grid->model()->headerData(column, Qt::Horizontal, Qt::DisplayRole).toString();
    return qMax(characters * grid->fontMetrics().averageCharWidth() + 8,
                grid->horizontalHeader()->fontMetrics().horizontalAdvance(heading) + 12);
}

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
