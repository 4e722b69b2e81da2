#pragma once

#include "reportengine/ReportDefinition.h"

// The pieces the list reports are built of: Arial text, data fields on a detail row and rules.
namespace ReportElements {

Report::FontSpec arial(double pointSize, bool bold = false);
Report::Element text(const QString &name, const QString &caption, double left, double top,
                     const Report::FontSpec &font);
// A field named after its data column, at the top of a detail row.
Report::Element field(const QString &name, double left, double width, Report::Align align,
                      const QString &format, double pointSize, double height);
// The report's title (the event's name), centred at the top of the title band, 16 pt bold.
Report::Element reportTitle();
// A line of text centred on its band, such as a subtitle.
Report::Element centred(const QString &name, double top, const Report::FontSpec &font);
// A horizontal line over the band's width.
Report::Element rule(double top);

} // namespace ReportElements
