#pragma once

#include "reportengine/ReportDefinition.h"

#include <QByteArray>
#include <QList>
#include <QStringList>

namespace Render {

// The data exports: the document's title lines (or its title), then a table of its export columns
// with a heading row and one row per data row, each cell formatted as the report shows it. Each
// function returns the complete file contents; ReportExport writes them.
class ReportTableWriter
{
public:
    explicit ReportTableWriter(const Report::ReportDocument &document);

    QByteArray html(bool xhtml) const;
    QByteArray odt() const;
    QByteArray text() const;
    QByteArray csv() const;
    // Throws ExportError naming fileName when libxlsxwriter fails.
    QByteArray xlsx(const QString &fileName) const;

private:
    const Report::ReportDocument &m_document;
    QStringList m_titleLines; // the document's, or its title when it has none
    QList<Report::ExportColumn> m_columns;
    QList<QStringList> m_cells; // [row][column], as shown
    QList<QList<bool>> m_numeric; // [row][column]: the value behind the cell is a number
};

} // namespace Render
