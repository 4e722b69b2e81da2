#include "participants/OverviewRow.h"

#include "data/DataLibrary.h"

QString OverviewRow::CalcName() const
{
    return Name + QLatin1Char(' ') + Vorname;
}

QString OverviewRow::CalcZusatz() const
{
    return DataLibrary::YesNoText(Zusatzspiel);
}

QString OverviewRow::displayName() const
{
    return QString(Vorname + QLatin1Char(' ') + Name).trimmed();
}
