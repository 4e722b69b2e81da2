#pragma once

#include <QAbstractTableModel>

class Competition;

// The participant grid of the main window over the open event's participant list.
class ParticipantModel : public QAbstractTableModel
{
    Q_OBJECT

public:
    enum Column {
        StartNr,
        CalcFullName,
        Hund,
        Verein,
        Rasse,
        CalcKategorie,
        CalcSumOfPoints,
        CalcSumOfTime,
        CalcAbgeschlossen,
        CalcGedruckt,
        Dummy,
        CalcZusatz,
        CalcSumOfPointsAdd,
        CalcSumOfTimeAdd,
        CalcZusatzAbgeschlossen,
        CalcZusatzGedruckt,
        ColumnCount
    };

    static QColor silver();

    explicit ParticipantModel(Competition &competition, QObject *parent = nullptr);

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    // Display width of a column in characters, as the grid lays it out by default.
    static int defaultWidth(Column column);
    // True when the row is drawn on silver: printed on the lists of its event.
    bool isGreyed(int row) const;

    // Around a replacement of the participant list, so that views never read a row of
    // the new list as one of the old.
    void beginReload() { beginResetModel(); }
    void endReload() { endResetModel(); }

private:
    Competition &m_competition;
};
