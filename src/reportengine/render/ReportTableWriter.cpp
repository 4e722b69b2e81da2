#include "reportengine/render/ReportTableWriter.h"

#include "reportengine/render/ExportError.h"

#include <QBuffer>
#include <QFile>
#include <QTemporaryDir>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextDocumentWriter>
#include <QTextTable>

#include <algorithm>
#include <xlsxwriter.h>

namespace Render {

namespace {

bool isNumber(const QVariant &value)
{
    switch (value.typeId()) {
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Long:
    case QMetaType::ULong:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::Double:
    case QMetaType::Float:
        return true;
    default:
        return false;
    }
}

QString csvField(const QString &text)
{
    if (!text.contains(u';') && !text.contains(u'"') && !text.contains(u'\n')
        && !text.contains(u'\r'))
        return text;
    QString quoted = text;
    quoted.replace(QStringLiteral("\""), QStringLiteral("\"\""));
    return u'"' + quoted + u'"';
}

// A spreadsheet takes a cell that begins with one of these for a formula, which a name typed
// into a registration form must never become: the apostrophe keeps it text.
QString neutralised(const QString &text)
{
    static const QString formulaStarts = QStringLiteral("=+-@\t\r");
    if (!text.isEmpty() && formulaStarts.contains(text.front()))
        return u'\'' + text;
    return text;
}

// numeric: per field, whether it holds a number, which stays as it is ("-3,50").
QString csvLine(const QStringList &fields, const QList<bool> &numeric = {})
{
    QStringList out;
    out.reserve(fields.size());
    for (int i = 0; i < fields.size(); ++i)
        out.append(csvField(numeric.value(i) ? fields.at(i) : neutralised(fields.at(i))));
    return out.join(u';') + QStringLiteral("\r\n");
}

QString htmlAlign(Report::Align align)
{
    switch (align) {
    case Report::Align::Right:
        return QStringLiteral(" class=\"r\"");
    case Report::Align::Center:
        return QStringLiteral(" class=\"c\"");
    case Report::Align::Left:
        break;
    }
    return {};
}

QString oneLine(QString text)
{
    text.replace(u'\n', u' ');
    text.remove(u'\r');
    return text;
}

class Workbook
{
public:
    explicit Workbook(const QByteArray &path) : m_book(workbook_new(path.constData())) { }
    ~Workbook()
    {
        if (m_book)
            workbook_close(m_book); // only after a failure; close() took it otherwise
    }
    Workbook(const Workbook &) = delete;
    Workbook &operator=(const Workbook &) = delete;

    lxw_workbook *get() const { return m_book; }
    lxw_error close()
    {
        lxw_workbook *book = m_book;
        m_book = nullptr;
        return workbook_close(book);
    }

private:
    lxw_workbook *m_book;
};

} // namespace

ReportTableWriter::ReportTableWriter(const Report::ReportDocument &document)
    : m_document(document), m_titleLines(document.titleLines), m_columns(document.exportColumns)
{
    if (m_titleLines.isEmpty() && !document.title.isEmpty())
        m_titleLines.append(document.title);
    if (m_columns.isEmpty()) {
        for (const QString &column : document.data.columns)
            m_columns.append({column, column, QString(), Report::Align::Left});
    }
    m_cells.reserve(document.data.rows.size());
    m_numeric.reserve(document.data.rows.size());
    for (int row = 0; row < document.data.rows.size(); ++row) {
        QStringList cells;
        QList<bool> numeric;
        cells.reserve(m_columns.size());
        for (const Report::ExportColumn &column : m_columns) {
            const QVariant value = document.data.value(row, column.field);
            cells.append(Report::formatValue(value, column.format));
            numeric.append(isNumber(value));
        }
        m_cells.append(cells);
        m_numeric.append(numeric);
    }
}

QByteArray ReportTableWriter::html(bool xhtml) const
{
    const QString title = m_titleLines.value(0).toHtmlEscaped();
    QString out;
    if (xhtml) {
        out += QStringLiteral(
            "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<!DOCTYPE html>\n"
            "<html xmlns=\"http://www.w3.org/1999/xhtml\" xml:lang=\"de\" lang=\"de\">\n"
            "<head>\n<meta charset=\"utf-8\"/>\n");
    } else {
        out += QStringLiteral(
            "<!DOCTYPE html>\n<html lang=\"de\">\n<head>\n<meta charset=\"utf-8\">\n");
    }
    out += QStringLiteral("<title>") + title + QStringLiteral("</title>\n")
        + QStringLiteral("<style>\nbody { font-family: Arial, \"Liberation Sans\", sans-serif; "
                         "font-size: 10pt; }\nh1 { font-size: 16pt; }\np.sub { font-size: 11pt; "
                         "font-weight: bold; }\ntable { border-collapse: collapse; }\nth, td { "
                         "padding: 1px 8px; border-bottom: 1px solid #999; text-align: left; }\n"
                         ".r { text-align: right; }\n.c { text-align: center; }\n</style>\n"
                         "</head>\n<body>\n");
    for (int i = 0; i < m_titleLines.size(); ++i) {
        const QString line = m_titleLines.at(i).toHtmlEscaped();
        out += i == 0 ? QStringLiteral("<h1>") + line + QStringLiteral("</h1>\n")
                      : QStringLiteral("<p class=\"sub\">") + line + QStringLiteral("</p>\n");
    }
    out += QStringLiteral("<table>\n<thead>\n<tr>");
    for (const Report::ExportColumn &column : m_columns)
        out += QStringLiteral("<th") + htmlAlign(column.align) + u'>'
            + column.heading.toHtmlEscaped() + QStringLiteral("</th>");
    out += QStringLiteral("</tr>\n</thead>\n<tbody>\n");
    for (const QStringList &cells : m_cells) {
        out += QStringLiteral("<tr>");
        for (int c = 0; c < m_columns.size(); ++c)
            out += QStringLiteral("<td") + htmlAlign(m_columns.at(c).align) + u'>'
                + cells.at(c).toHtmlEscaped() + QStringLiteral("</td>");
        out += QStringLiteral("</tr>\n");
    }
    out += QStringLiteral("</tbody>\n</table>\n</body>\n</html>\n");
    return out.toUtf8();
}

QByteArray ReportTableWriter::odt() const
{
    QTextDocument document;
    document.setMetaInformation(QTextDocument::DocumentTitle, m_document.title);
    QTextCursor cursor(&document);
    for (int i = 0; i < m_titleLines.size(); ++i) {
        QTextCharFormat format;
        format.setFontFamilies({QStringLiteral("Arial")});
        format.setFontPointSize(i == 0 ? 16 : 11);
        format.setFontWeight(QFont::Bold);
        if (i > 0)
            cursor.insertBlock();
        cursor.insertText(m_titleLines.at(i), format);
    }
    if (!m_titleLines.isEmpty())
        cursor.insertBlock();

    QTextTableFormat tableFormat;
    tableFormat.setHeaderRowCount(1);
    tableFormat.setBorderStyle(QTextFrameFormat::BorderStyle_None);
    tableFormat.setCellPadding(2);
    tableFormat.setCellSpacing(0);
    const int columns = std::max<int>(1, int(m_columns.size()));
    QTextTable *table = cursor.insertTable(int(m_cells.size()) + 1, columns, tableFormat);
    QTextCharFormat headingFormat;
    headingFormat.setFontWeight(QFont::Bold);
    auto fill = [&](int row, int column, const QString &text, const QTextCharFormat &format) {
        QTextCursor cell = table->cellAt(row, column).firstCursorPosition();
        QTextBlockFormat block;
        const Report::Align align = m_columns.at(column).align;
        block.setAlignment(align == Report::Align::Right        ? Qt::AlignRight
                               : align == Report::Align::Center ? Qt::AlignHCenter
                                                                : Qt::AlignLeft);
        cell.setBlockFormat(block);
        cell.insertText(text, format);
    };
    for (int c = 0; c < m_columns.size(); ++c)
        fill(0, c, m_columns.at(c).heading, headingFormat);
    for (int r = 0; r < m_cells.size(); ++r) {
        for (int c = 0; c < m_columns.size(); ++c)
            fill(r + 1, c, m_cells.at(r).at(c), QTextCharFormat());
    }

    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    QTextDocumentWriter writer(&buffer, "odf");
    if (!writer.write(&document))
        return {};
    return buffer.data();
}

QByteArray ReportTableWriter::text() const
{
    QList<qsizetype> widths;
    for (const Report::ExportColumn &column : m_columns)
        widths.append(oneLine(column.heading).size());
    for (const QStringList &cells : m_cells) {
        for (int c = 0; c < cells.size(); ++c)
            widths[c] = std::max(widths[c], oneLine(cells.at(c)).size());
    }
    auto line = [&](const QStringList &cells) -> QString {
        QString out;
        for (int c = 0; c < m_columns.size(); ++c) {
            const QString cell = oneLine(cells.at(c));
            if (c > 0)
                out += QStringLiteral("  ");
            if (m_columns.at(c).align == Report::Align::Right)
                out += cell.rightJustified(widths.at(c));
            else
                out += cell.leftJustified(widths.at(c));
        }
        while (out.endsWith(u' '))
            out.chop(1);
        return out + u'\n';
    };

    QString out;
    for (const QString &title : m_titleLines)
        out += oneLine(title) + u'\n';
    if (!m_titleLines.isEmpty())
        out += u'\n';
    QStringList headings;
    for (const Report::ExportColumn &column : m_columns)
        headings.append(column.heading);
    out += line(headings);
    for (const QStringList &cells : m_cells)
        out += line(cells);
    return out.toUtf8();
}

QByteArray ReportTableWriter::csv() const
{
    QString out = QString(QChar(0xFEFF));
    for (const QString &title : m_titleLines)
        out += csvLine({title});
    if (!m_titleLines.isEmpty())
        out += QStringLiteral("\r\n");
    QStringList headings;
    for (const Report::ExportColumn &column : m_columns)
        headings.append(column.heading);
    out += csvLine(headings);
    for (int row = 0; row < m_cells.size(); ++row)
        out += csvLine(m_cells.at(row), m_numeric.at(row));
    return out.toUtf8();
}

QByteArray ReportTableWriter::xlsx(const QString &fileName) const
{
    // libxlsxwriter writes to a path of its own, so it builds the workbook in a private
    // directory and ReportExport then writes the bytes to the target like every other format.
    QTemporaryDir dir;
    if (!dir.isValid())
        throw ExportError(fileName, dir.errorString());
    const QString path = dir.filePath(QStringLiteral("report.xlsx"));
    Workbook book(QFile::encodeName(path));
    if (!book.get())
        throw ExportError(fileName, QString());
    lxw_worksheet *sheet = workbook_add_worksheet(book.get(), "Tabelle1");
    lxw_format *titleFormat = workbook_add_format(book.get());
    format_set_bold(titleFormat);
    format_set_font_size(titleFormat, 14);
    lxw_format *subtitleFormat = workbook_add_format(book.get());
    format_set_bold(subtitleFormat);
    lxw_format *headingFormat = workbook_add_format(book.get());
    format_set_bold(headingFormat);
    format_set_bottom(headingFormat, LXW_BORDER_THIN);

    QList<lxw_format *> numberFormats;
    QList<double> widths;
    for (const Report::ExportColumn &column : m_columns) {
        lxw_format *format = nullptr;
        if (Report::formatDecimals(column.format) >= 0) {
            format = workbook_add_format(book.get());
            format_set_num_format(format, column.format.toUtf8().constData());
        }
        numberFormats.append(format);
        widths.append(column.heading.size());
    }

    lxw_row_t row = 0;
    for (int i = 0; i < m_titleLines.size(); ++i)
        worksheet_write_string(sheet, row++, 0, m_titleLines.at(i).toUtf8().constData(),
                               i == 0 ? titleFormat : subtitleFormat);
    if (!m_titleLines.isEmpty())
        ++row;
    for (int c = 0; c < m_columns.size(); ++c)
        worksheet_write_string(sheet, row, lxw_col_t(c),
                               m_columns.at(c).heading.toUtf8().constData(), headingFormat);
    ++row;
    for (int r = 0; r < m_cells.size(); ++r, ++row) {
        for (int c = 0; c < m_columns.size(); ++c) {
            const Report::ExportColumn &column = m_columns.at(c);
            const QVariant value = m_document.data.value(r, column.field);
            const QString &shown = m_cells.at(r).at(c);
            widths[c] = std::max(widths.at(c), double(shown.size()));
            if (numberFormats.at(c) || (isNumber(value) && !value.isNull())) {
                worksheet_write_number(sheet, row, lxw_col_t(c), value.toDouble(),
                                       numberFormats.at(c));
            } else if (!shown.isEmpty()) {
                worksheet_write_string(sheet, row, lxw_col_t(c), shown.toUtf8().constData(),
                                       nullptr);
            }
        }
    }
    for (int c = 0; c < m_columns.size(); ++c)
        worksheet_set_column(sheet, lxw_col_t(c), lxw_col_t(c), std::min(60.0, widths.at(c) + 2),
                             nullptr);

    const lxw_error error = book.close();
    if (error != LXW_NO_ERROR)
        throw ExportError(fileName, QString::fromUtf8(lxw_strerror(error)));
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw ExportError(fileName, file.errorString());
    return file.readAll();
}

} // namespace Render
