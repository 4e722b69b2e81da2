#pragma once

#include <QDialog>

struct HistoryLine;
class QTableWidget;

// "Verlauf": the change log of one participant, oldest first, read-only.
class HistoryDialog : public QDialog
{
    Q_OBJECT

public:
    HistoryDialog(const QString &participant, const QList<HistoryLine> &lines, QWidget *parent);

    QTableWidget *table() const { return m_table; }

private:
    QTableWidget *m_table = nullptr;
};
