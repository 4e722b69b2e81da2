#include "app/ParticipantSearch.h"

#include "data/Rows.h"

int findParticipant(const QList<ParticipantRow> &rows, const QString &text, int from)
{
    const QString wanted = text.simplified();
    const int count = int(rows.size());
    if (wanted.isEmpty() || count == 0)
        return -1;
    bool isNumber = false;
    const int startNr = wanted.toInt(&isNumber);
    const auto matches = [&](const ParticipantRow &row) {
        if (isNumber)
            return row.StartNr == startNr;
        return row.CalcFullName.contains(wanted, Qt::CaseInsensitive)
            || row.Hund.contains(wanted, Qt::CaseInsensitive);
    };
    from = from < 0 || from >= count ? 0 : from;
    for (int i = 0; i < count; ++i) {
        const int row = (from + i) % count;
        if (matches(rows.at(row)))
            return row;
    }
    return -1;
}
