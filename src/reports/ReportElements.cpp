#include "reports/ReportElements.h"

namespace ReportElements {

using namespace Report;

FontSpec arial(double pointSize, bool bold)
{
    return FontSpec{QStringLiteral("Arial"), pointSize, bold, false};
}

Element text(const QString &name, const QString &caption, double left, double top,
             const FontSpec &font)
{
    Element e;
    e.name = name;
    e.kind = ElementKind::Label;
    e.text = caption;
    e.left = left;
    e.top = top;
    e.font = font;
    return e;
}

Element field(const QString &name, double left, double width, Align align, const QString &format,
              double pointSize, double height)
{
    Element e;
    e.name = name;
    e.kind = ElementKind::Field;
    e.field = name;
    e.format = format;
    e.left = left;
    e.top = 0.5;
    e.width = width;
    e.height = height;
    e.align = align;
    e.font = arial(pointSize);
    return e;
}

Element reportTitle()
{
    Element e;
    e.name = QStringLiteral("Title");
    e.kind = ElementKind::ReportTitle;
    e.top = 4.0;
    e.centerOnBand = true;
    e.font = arial(16, true);
    return e;
}

Element centred(const QString &name, double top, const FontSpec &font)
{
    Element e = text(name, QString(), 0, top, font);
    e.centerOnBand = true;
    return e;
}

Element rule(double top)
{
    Element e;
    e.kind = ElementKind::Line;
    e.top = top;
    return e;
}

} // namespace ReportElements
