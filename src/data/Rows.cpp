#include "data/Rows.h"

#include "data/DataLibrary.h"

QString EventRow::CalcAutoRangBer() const
{
    return DataLibrary::YesNoText(AutoRangBerechnung);
}

QString EventRow::CalcZusatzspiel() const
{
    return DataLibrary::YesNoText(Zusatzspiel);
}

QString EventRow::CalcRangberechnung() const
{
    return DataLibrary::CalcRangberechnung(Rangberechnung, PunkteSort, ZeitSort);
}

QString TeamRow::CalcFullName() const
{
    return DataLibrary::CalcFullName(Name, Vorname);
}

QString PostRow::CalcAktiv() const
{
    return DataLibrary::YesNoText(Aktiv);
}
