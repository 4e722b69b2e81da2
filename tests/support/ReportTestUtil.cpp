#include "support/ReportTestUtil.h"

#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>

#include <climits>
#include <cmath>

namespace ReportTestUtil {

namespace {

Report::Element field(const QString &name, double left, double width, Report::Align align,
                      const QString &format = QString())
{
    Report::Element e;
    e.name = name;
    e.kind = Report::ElementKind::Field;
    e.field = name;
    e.format = format;
    e.left = left;
    e.top = 0.5;
    e.width = width;
    e.height = 4.0;
    e.align = align;
    return e;
}

Report::Element line(double top)
{
    Report::Element e;
    e.kind = Report::ElementKind::Line;
    e.top = top;
    return e;
}

} // namespace

Report::Element label(const QString &text, double left, double top, double width, double pointSize)
{
    Report::Element e;
    e.kind = Report::ElementKind::Label;
    e.text = text;
    e.left = left;
    e.top = top;
    e.width = width;
    e.font.pointSize = pointSize;
    return e;
}

Report::ReportDocument rankListDocument(int rows)
{
    using namespace Report;
    ReportDocument doc;
    doc.title = QStringLiteral("Sommerplausch 2024");
    doc.titleLines = {doc.title, QStringLiteral("Einzel-Rangliste sortiert \"Punkte/Zeit\"")};
    doc.page.marginLeft = 6;
    doc.page.marginRight = 6;

    Band title;
    title.kind = BandKind::Title;
    title.height = 26.7;
    Element reportTitle;
    reportTitle.name = QStringLiteral("title");
    reportTitle.kind = ElementKind::ReportTitle;
    reportTitle.top = 4.0;
    reportTitle.centerOnBand = true;
    reportTitle.font = {QStringLiteral("Arial"), 16, true, false};
    title.elements.append(reportTitle);
    Element subtitle = label(doc.titleLines.at(1), 0, 13.2, 0, 11);
    subtitle.name = QStringLiteral("subtitle");
    subtitle.centerOnBand = true;
    subtitle.wrap = true;
    subtitle.font.bold = true;
    title.elements.append(subtitle);
    const QList<QPair<QString, double>> headings{
        {QStringLiteral("Rang"), 0.5},        {QStringLiteral("StrNr."), 9.8},
        {QStringLiteral("Name"), 20.4},       {QStringLiteral("Verein"), 56.1},
        {QStringLiteral("Hund"), 93.1},       {QStringLiteral("Rasse"), 124.9},
        {QStringLiteral("Kategorie"), 155.3}, {QStringLiteral("Punkte / Zeit"), 177.0}};
    for (const auto &[text, left] : headings) {
        Element heading = label(text, left, 21.4, 0, 8);
        heading.font.bold = true;
        title.elements.append(heading);
    }
    title.elements.append(line(26.5));
    doc.bands.append(title);

    Band header;
    header.kind = BandKind::PageHeader;
    header.height = 5;
    Element headerText = label(QStringLiteral("Kopfzeile"), 0, 0.5, 0, 8);
    headerText.name = QStringLiteral("header");
    header.elements.append(headerText);
    doc.bands.append(header);

    Band detail;
    detail.kind = BandKind::Detail;
    detail.height = 4.8;
    detail.elements = {
        field(QStringLiteral("Rang"), 0.5, 6.3, Align::Right),
        field(QStringLiteral("StartNr"), 8.5, 9.0, Align::Right),
        field(QStringLiteral("CalcFullName"), 20.4, 34.1, Align::Left),
        field(QStringLiteral("CalcVerein"), 56.1, 35.5, Align::Left),
        field(QStringLiteral("CalcHund"), 93.1, 30.2, Align::Left),
        field(QStringLiteral("CalcRasse"), 124.9, 28.8, Align::Left),
        field(QStringLiteral("CalcKategorie"), 155.3, 18.0, Align::Left),
        field(QStringLiteral("Punkte"), 174.6, 10.6, Align::Right, QStringLiteral("0.00")),
        field(QStringLiteral("Zeit"), 185.7, 10.6, Align::Right, QStringLiteral("0.00")),
        line(4.5)};
    doc.bands.append(detail);

    Band summary;
    summary.kind = BandKind::Summary;
    summary.height = 10;
    Element total = label(QStringLiteral("Ende der Liste"), 0, 2, 0, 8);
    total.name = QStringLiteral("summary");
    summary.elements.append(total);
    doc.bands.append(summary);

    Band footer;
    footer.kind = BandKind::PageFooter;
    footer.height = 6.6;
    footer.elements.append(line(0.5));
    Element footerText = label(QStringLiteral("Velunda 3.00 - https://example"), 0, 1.9, 0, 7);
    footerText.name = QStringLiteral("footer");
    footerText.align = Align::Right;
    footer.elements.append(footerText);
    doc.bands.append(footer);

    doc.data.columns = {QStringLiteral("Rang"),       QStringLiteral("TeamNr"),
                        QStringLiteral("StartNr"),    QStringLiteral("Punkte"),
                        QStringLiteral("Zeit"),       QStringLiteral("CalcFullName"),
                        QStringLiteral("CalcVerein"), QStringLiteral("CalcHund"),
                        QStringLiteral("CalcRasse"),  QStringLiteral("CalcKategorie")};
    for (int i = 1; i <= rows; ++i) {
        doc.data.rows.append({i, 100 + i, 200 + i, i * 1.5, 60.0 + i / 4.0,
                              QStringLiteral("Name %1").arg(i),
                              QStringLiteral("Hundeclub Über-Dorf"), QStringLiteral("Bello"),
                              QStringLiteral("Berner Sennenhund"), QStringLiteral("Senioren")});
    }
    doc.exportColumns = {
        {QStringLiteral("Rang"), QStringLiteral("Rang"), QString(), Align::Right},
        {QStringLiteral("StrNr."), QStringLiteral("StartNr"), QString(), Align::Right},
        {QStringLiteral("Name"), QStringLiteral("CalcFullName"), QString(), Align::Left},
        {QStringLiteral("Verein"), QStringLiteral("CalcVerein"), QString(), Align::Left},
        {QStringLiteral("Punkte"), QStringLiteral("Punkte"), QStringLiteral("0.00"), Align::Right},
        {QStringLiteral("Zeit"), QStringLiteral("Zeit"), QStringLiteral("0.00"), Align::Right}};
    return doc;
}

Report::ReportDocument singleBandDocument(const QList<Report::Element> &elements,
                                          Report::BandKind kind, double bandHeight)
{
    Report::ReportDocument doc;
    doc.title = QStringLiteral("Test");
    Report::Band band;
    band.kind = kind;
    band.height = bandHeight;
    band.elements = elements;
    doc.bands.append(band);
    return doc;
}

QRect inkBounds(const QImage &image, const QRect &area)
{
    const QRect r = (area.isNull() ? image.rect() : area).intersected(image.rect());
    int left = INT_MAX, top = INT_MAX, right = -1, bottom = -1;
    for (int y = r.top(); y <= r.bottom(); ++y) {
        for (int x = r.left(); x <= r.right(); ++x) {
            if (qGray(image.pixel(x, y)) < 200) {
                left = std::min(left, x);
                right = std::max(right, x);
                top = std::min(top, y);
                bottom = std::max(bottom, y);
            }
        }
    }
    if (right < 0)
        return {};
    return QRect(QPoint(left, top), QPoint(right, bottom));
}

QList<QPair<int, int>> inkColumnRuns(const QImage &image, const QRect &area)
{
    const QRect r = area.intersected(image.rect());
    QList<QPair<int, int>> runs;
    int start = -1;
    for (int x = r.left(); x <= r.right() + 1; ++x) {
        bool ink = false;
        for (int y = r.top(); x <= r.right() && y <= r.bottom() && !ink; ++y)
            ink = qGray(image.pixel(x, y)) < 128;
        if (ink && start < 0)
            start = x;
        if (!ink && start >= 0) {
            runs.append({start, x - 1});
            start = -1;
        }
    }
    return runs;
}

int mmToPixels(double mm, double dpi)
{
    return int(std::lround(mm / 25.4 * dpi));
}

QRect mmRect(double left, double top, double width, double height, double dpi)
{
    return QRect(QPoint(mmToPixels(left, dpi), mmToPixels(top, dpi)),
                 QPoint(mmToPixels(left + width, dpi) - 1, mmToPixels(top + height, dpi) - 1));
}

QString runTool(const QString &program, const QStringList &arguments)
{
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit
        || process.exitCode() != 0)
        return {};
    return QString::fromUtf8(process.readAllStandardOutput());
}

bool hasTool(const QString &program)
{
    return !QStandardPaths::findExecutable(program).isEmpty();
}

int pdfPageCount(const QString &fileName)
{
    if (hasTool(QStringLiteral("pdfinfo"))) {
        const QString info = runTool(QStringLiteral("pdfinfo"), {fileName});
        const QRegularExpressionMatch match =
            QRegularExpression(QStringLiteral("^Pages:\\s+(\\d+)"),
                               QRegularExpression::MultilineOption)
                .match(info);
        return match.hasMatch() ? match.captured(1).toInt() : -1;
    }
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        return -1;
    const QString contents = QString::fromLatin1(file.readAll());
    return int(contents.count(QRegularExpression(QStringLiteral("/Type\\s*/Page(?!s)"))));
}

QByteArray unzipEntry(const QString &zipFile, const QString &entry)
{
    QProcess process;
    process.start(QStringLiteral("unzip"), {QStringLiteral("-p"), zipFile, entry});
    if (!process.waitForFinished(60000) || process.exitCode() != 0)
        return {};
    return process.readAllStandardOutput();
}

} // namespace ReportTestUtil
