#include "app/ui/ParticipantModel.h"

#include "app/Competition.h"

#include <QColor>
#include <QLocale>

namespace {

struct ColumnInfo
{
    const char *label;
    int width;
    bool number;
};

const ColumnInfo Columns[ParticipantModel::ColumnCount] = {
    {"StartNr", 6, false},    {"Name", 23, false},  {"Hund", 20, false},
    {"Verein", 22, false},    {"Rasse", 18, false}, {"Kategorie", 12, false},
    {"Punkte", 8, true},      {"Zeit", 8, true},    {"Fertig", 6, false},
    {"Gedruckt", 6, false},   {" ", 1, false},      {"Zusatz", 6, false},
    {"Z-Punkte", 8, true},    {"Z-Zeit", 8, true},  {"Z-Fertig", 6, false},
    {"Z-Gedruckt", 6, false},
};

} // namespace

QColor ParticipantModel::silver()
{
    return QColor(192, 192, 192);
}

ParticipantModel::ParticipantModel(Competition &competition, QObject *parent)
    : QAbstractTableModel(parent), m_competition(competition)
{
    // A change to one participant moves one row, so that the view keeps its selection.
    connect(&competition, &Competition::participantAboutToBeInserted, this,
            [this](int row) { beginInsertRows({}, row, row); });
    connect(&competition, &Competition::participantInserted, this, [this] { endInsertRows(); });
    connect(&competition, &Competition::participantAboutToBeRemoved, this,
            [this](int row) { beginRemoveRows({}, row, row); });
    connect(&competition, &Competition::participantRemoved, this, [this] { endRemoveRows(); });
    connect(&competition, &Competition::participantChanged, this,
            [this](int row) { Q_EMIT dataChanged(index(row, 0), index(row, ColumnCount - 1)); });
}

int ParticipantModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_competition.participants().size());
}

int ParticipantModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

int ParticipantModel::defaultWidth(Column column)
{
    return Columns[column].width;
}

bool ParticipantModel::isGreyed(int row) const
{
    if (!m_competition.hasAutoRank() || row < 0 || row >= rowCount())
        return false;
    const ParticipantRow &p = m_competition.participants().at(row);
    if (m_competition.hasAddGame())
        return p.RangBerechnet && p.ZusatzRangBerechnet;
    return p.RangBerechnet;
}

QVariant ParticipantModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= rowCount())
        return {};
    const auto column = Column(index.column());
    if (role == Qt::BackgroundRole) {
        if (column == Dummy || isGreyed(index.row()))
            return silver();
        return {};
    }
    if (role == Qt::TextAlignmentRole) {
        const bool right = Columns[column].number || column == StartNr;
        return int((right ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignVCenter);
    }
    if (role == Qt::ToolTipRole) {
        // Names may be cut to fit their column; the tooltip shows them whole.
        switch (column) {
        case CalcFullName:
        case Hund:
        case Verein:
        case Rasse:
        case CalcKategorie:
            return data(index, Qt::DisplayRole);
        default:
            return {};
        }
    }
    if (role != Qt::DisplayRole)
        return {};
    const ParticipantRow &p = m_competition.participants().at(index.row());
    const auto number = [](double v) {
        // As the result entry shows and reads them: "1.039,50" would read as a decimal
        // point where the entry takes one.
        QLocale locale;
        locale.setNumberOptions(QLocale::OmitGroupSeparator);
        return locale.toString(v, 'f', 2);
    };
    switch (column) {
    case StartNr:
        return p.StartNr;
    case CalcFullName:
        return p.CalcFullName;
    case Hund:
        return p.Hund;
    case Verein:
        return p.Verein;
    case Rasse:
        return p.Rasse;
    case CalcKategorie:
        return p.CalcKategorie;
    case CalcSumOfPoints:
        return number(p.CalcSumOfPoints);
    case CalcSumOfTime:
        return number(p.CalcSumOfTime);
    case CalcAbgeschlossen:
        return p.CalcAbgeschlossen;
    case CalcGedruckt:
        return p.CalcGedruckt;
    case Dummy:
        return QString();
    case CalcZusatz:
        return p.CalcZusatz;
    case CalcSumOfPointsAdd:
        return number(p.CalcSumOfPointsAdd);
    case CalcSumOfTimeAdd:
        return number(p.CalcSumOfTimeAdd);
    case CalcZusatzAbgeschlossen:
        return p.CalcZusatzAbgeschlossen;
    case CalcZusatzGedruckt:
        return p.CalcZusatzGedruckt;
    case ColumnCount:
        break;
    }
    return {};
}

QVariant ParticipantModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0
        && section < ColumnCount)
        return QString::fromUtf8(Columns[section].label);
    return QAbstractTableModel::headerData(section, orientation, role);
}
