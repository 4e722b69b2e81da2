#include "backup/ui/HistoryDialog.h"

#include "backup/ChangeHistory.h"

#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

HistoryDialog::HistoryDialog(const QString &participant, const QList<HistoryLine> &lines,
                             QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("HistoryDialog"));
    setWindowTitle(QStringLiteral("Verlauf von ") + participant);
    resize(760, 420);
    auto *layout = new QVBoxLayout(this);
    if (lines.isEmpty()) {
        auto *none = new QLabel(QStringLiteral("Für diesen Teilnehmer wurde in diesem Anlass noch "
                                               "nichts geändert."),
                                this);
        none->setObjectName(QStringLiteral("EmptyLabel"));
        layout->addWidget(none);
    }
    m_table = new QTableWidget(int(lines.size()), 7, this);
    m_table->setObjectName(QStringLiteral("HistoryTable"));
    m_table->setHorizontalHeaderLabels({QStringLiteral("Zeitpunkt"), QStringLiteral("Quelle"),
                                        QStringLiteral("Wer"), QStringLiteral("Posten"),
                                        QStringLiteral("Feld"), QStringLiteral("Alt"),
                                        QStringLiteral("Neu")});
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->setTabKeyNavigation(false); // arrows move in the table, Tab leaves it
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->verticalHeader()->hide();
    m_table->verticalHeader()->setDefaultSectionSize(m_table->fontMetrics().height() + 6);
    m_table->horizontalHeader()->setStretchLastSection(true);
    for (int row = 0; row < lines.size(); ++row) {
        const HistoryLine &l = lines.at(row);
        const QStringList cells = {l.time,  l.source,   l.participant, l.post,
                                   l.field, l.oldValue, l.newValue};
        for (int column = 0; column < cells.size(); ++column) {
            auto *item = new QTableWidgetItem(cells.at(column));
            if (column >= 5)
                item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            m_table->setItem(row, column, item);
        }
    }
    m_table->resizeColumnsToContents();
    // The latest change is what the operator usually looks for.
    if (!lines.isEmpty())
        m_table->scrollToBottom();
    layout->addWidget(m_table, 1);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    buttons->button(QDialogButtonBox::Close)->setText(QStringLiteral("&Schliessen"));
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
}
