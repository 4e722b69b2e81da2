#pragma once

#include <QStyledItemDelegate>

// The in-place editor of a result cell. What is typed reaches the cell at once, as in a
// plain string grid, so that saving never misses the cell being edited; Enter and Esc
// belong to the dialog (save and cancel), not to the editor.
class ResultCellDelegate : public QStyledItemDelegate
{
    Q_OBJECT

public:
    using QStyledItemDelegate::QStyledItemDelegate;

    QWidget *createEditor(QWidget *parent, const QStyleOptionViewItem &option,
                          const QModelIndex &index) const override;
    void setEditorData(QWidget *editor, const QModelIndex &index) const override;

Q_SIGNALS:
    void enterPressed();
    void escapePressed();

protected:
    bool eventFilter(QObject *object, QEvent *event) override;
};
