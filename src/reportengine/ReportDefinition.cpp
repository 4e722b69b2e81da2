#include "reportengine/ReportDefinition.h"

#include <QLocale>

#include <utility>

namespace Report {

Element *Band::element(const QString &name)
{
    for (Element &e : elements) {
        if (e.name == name)
            return &e;
    }
    return nullptr;
}

const Element *Band::element(const QString &name) const
{
    return const_cast<Band *>(this)->element(name);
}

Orientation PageSetup::orientation() const
{
    return width > height ? Orientation::Landscape : Orientation::Portrait;
}

void PageSetup::setOrientation(Orientation wanted)
{
    if (wanted != orientation())
        std::swap(width, height);
}

QVariant Dataset::value(int row, const QString &name) const
{
    const int column = columnIndex(name);
    if (row < 0 || row >= rows.size() || column < 0 || column >= rows.at(row).size())
        return {};
    return rows.at(row).at(column);
}

Band *ReportDocument::band(BandKind kind)
{
    for (Band &b : bands) {
        if (b.kind == kind)
            return &b;
    }
    return nullptr;
}

const Band *ReportDocument::band(BandKind kind) const
{
    return const_cast<ReportDocument *>(this)->band(kind);
}

Element *ReportDocument::element(const QString &name)
{
    for (Band &b : bands) {
        if (Element *e = b.element(name))
            return e;
    }
    return nullptr;
}

const Element *ReportDocument::element(const QString &name) const
{
    return const_cast<ReportDocument *>(this)->element(name);
}

int formatDecimals(const QString &format)
{
    if (format == QLatin1String("0"))
        return 0;
    if (format.size() < 3 || !format.startsWith(QLatin1String("0.")))
        return -1;
    for (qsizetype i = 2; i < format.size(); ++i) {
        if (format.at(i) != u'0')
            return -1;
    }
    return int(format.size() - 2);
}

QString formatValue(const QVariant &value, const QString &format)
{
    // "0.00" has no thousands separator: a time of 1234.5 prints as 1234,50, not 1.234,50.
    QLocale locale;
    locale.setNumberOptions(locale.numberOptions() | QLocale::OmitGroupSeparator);
    const int decimals = formatDecimals(format);
    if (!value.isValid() || value.isNull())
        return format.isEmpty() ? QString()
                                : locale.toString(0.0, 'f', decimals < 0 ? 2 : decimals);
    if (decimals >= 0)
        return locale.toString(value.toDouble(), 'f', decimals);
    if (value.typeId() == QMetaType::Double)
        return locale.toString(value.toDouble(), 'g', 15);
    return value.toString();
}

} // namespace Report
