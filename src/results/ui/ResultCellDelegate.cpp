#include "results/ui/ResultCellDelegate.h"

#include <QKeyEvent>
#include <QLineEdit>

QWidget *ResultCellDelegate::createEditor(QWidget *parent, const QStyleOptionViewItem &,
                                          const QModelIndex &) const
{
    auto *editor = new QLineEdit(parent);
    editor->setObjectName(QStringLiteral("CellEditor"));
    editor->setFrame(false);
    auto *self = const_cast<ResultCellDelegate *>(this);
    connect(editor, &QLineEdit::textEdited, self,
            [self, editor] { Q_EMIT self->commitData(editor); });
    return editor;
}

void ResultCellDelegate::setEditorData(QWidget *editor, const QModelIndex &index) const
{
    // The cell changes with every key typed; writing the same text back into the editor
    // would throw the caret to the end in the middle of a correction.
    auto *line = qobject_cast<QLineEdit *>(editor);
    if (line && line->text() == index.data(Qt::EditRole).toString())
        return;
    QStyledItemDelegate::setEditorData(editor, index);
}

bool ResultCellDelegate::eventFilter(QObject *object, QEvent *event)
{
    if (event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            Q_EMIT enterPressed();
            return true;
        }
        if (key == Qt::Key_Escape) {
            Q_EMIT escapePressed();
            return true;
        }
    }
    return QStyledItemDelegate::eventFilter(object, event);
}
