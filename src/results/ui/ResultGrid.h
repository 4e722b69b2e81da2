#pragma once

#include <QTableWidget>

#include <functional>

// The grid of the result entry dialog: only some columns take the cursor, and the cell
// under the cursor always has its editor open.
class ResultGrid : public QTableWidget
{
    Q_OBJECT

public:
    explicit ResultGrid(QWidget *parent = nullptr);

    // StringGrid1SelectCell: whether a column may take the cursor.
    void setCursorColumns(std::function<bool(int column)> takesCursor);
    bool takesCursor(int column) const;
    // Opens the editor on the current cell unless one is open already.
    void openEditor();

protected:
    QModelIndex moveCursor(CursorAction cursorAction, Qt::KeyboardModifiers modifiers) override;
    bool focusNextPrevChild(bool next) override;
    void closeEditor(QWidget *editor, QAbstractItemDelegate::EndEditHint hint) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;

private:
    QModelIndex step(const QModelIndex &from, bool forward) const;
    bool atEnd(bool forward) const; // Tab would find no further cell

    std::function<bool(int)> m_takesCursor;
};
