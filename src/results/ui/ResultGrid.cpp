#include "results/ui/ResultGrid.h"

#include <QMouseEvent>

ResultGrid::ResultGrid(QWidget *parent) : QTableWidget(parent)
{
    setEditTriggers(QAbstractItemView::AllEditTriggers | QAbstractItemView::CurrentChanged);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectItems);
    setTabKeyNavigation(true);
}

void ResultGrid::setCursorColumns(std::function<bool(int column)> takesCursor)
{
    m_takesCursor = std::move(takesCursor);
}

bool ResultGrid::takesCursor(int column) const
{
    return column >= 0 && column < columnCount() && !isColumnHidden(column)
        && (!m_takesCursor || m_takesCursor(column));
}

void ResultGrid::openEditor()
{
    const QModelIndex current = currentIndex();
    if (current.isValid() && takesCursor(current.column()) && state() != EditingState)
        edit(current);
}

QModelIndex ResultGrid::step(const QModelIndex &from, bool forward) const
{
    // Tab walks the cells that take the cursor row by row and stops at the ends.
    int row = from.row();
    int column = from.column();
    for (;;) {
        column += forward ? 1 : -1;
        if (column >= columnCount()) {
            column = 0;
            ++row;
        } else if (column < 0) {
            column = columnCount() - 1;
            --row;
        }
        if (row < 0 || row >= rowCount())
            return from;
        if (takesCursor(column))
            return model()->index(row, column);
    }
}

QModelIndex ResultGrid::moveCursor(CursorAction cursorAction, Qt::KeyboardModifiers modifiers)
{
    const QModelIndex current = currentIndex();
    if (cursorAction == MoveNext || cursorAction == MovePrevious)
        return current.isValid() ? step(current, cursorAction == MoveNext) : current;
    const QModelIndex target = QTableWidget::moveCursor(cursorAction, modifiers);
    // A cell that may not take the cursor refuses the move, as the grid's OnSelectCell did.
    if (target.isValid() && !takesCursor(target.column()))
        return current;
    return target;
}

bool ResultGrid::atEnd(bool forward) const
{
    const QModelIndex current = currentIndex();
    return !current.isValid() || step(current, forward) == current;
}

bool ResultGrid::focusNextPrevChild(bool next)
{
    // Tab walks the cells and, past the last one, leaves the grid for the check boxes and
    // buttons, as it does backwards past the first: the grid is no trap.
    if (atEnd(next))
        return QWidget::focusNextPrevChild(next);
    return QTableWidget::focusNextPrevChild(next);
}

void ResultGrid::closeEditor(QWidget *editor, QAbstractItemDelegate::EndEditHint hint)
{
    const bool tab = hint == QAbstractItemDelegate::EditNextItem
        || hint == QAbstractItemDelegate::EditPreviousItem;
    const bool next = hint == QAbstractItemDelegate::EditNextItem;
    if (tab && atEnd(next)) {
        QTableWidget::closeEditor(editor, QAbstractItemDelegate::NoHint);
        QWidget::focusNextPrevChild(next);
        return;
    }
    QTableWidget::closeEditor(editor, hint);
}

void ResultGrid::mousePressEvent(QMouseEvent *event)
{
    const QModelIndex index = indexAt(event->position().toPoint());
    if (index.isValid() && !takesCursor(index.column())) {
        event->accept();
        return;
    }
    QTableWidget::mousePressEvent(event);
}

void ResultGrid::mouseDoubleClickEvent(QMouseEvent *event)
{
    const QModelIndex index = indexAt(event->position().toPoint());
    if (index.isValid() && !takesCursor(index.column())) {
        event->accept();
        return;
    }
    QTableWidget::mouseDoubleClickEvent(event);
}

void ResultGrid::focusInEvent(QFocusEvent *event)
{
    QTableWidget::focusInEvent(event);
    openEditor();
}
