#include "participants/TeamImport.h"

#include "engine/ChangeLog.h"
#include "engine/Database.h"
#include "engine/DatabaseError.h"
#include "engine/Schema.h"
#include "engine/Statement.h"
#include "engine/Transaction.h"
#include "participants/TeamEditor.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QRegularExpression>
#include <QStringDecoder>

#include <optional>

namespace {

enum Column { Name, Vorname, Verein, Hund, Rasse, Kategorie, Zusatzspiel, StartNr, ColumnCount };

const char *const ColumnNames[ColumnCount] = {"Name",  "Vorname",   "Verein",      "Hund",
                                              "Rasse", "Kategorie", "Zusatzspiel", "StartNr"};

// Columns the header must name; Zusatzspiel and StartNr may be left out.
constexpr int RequiredColumns = Kategorie + 1;

QString columnName(int c)
{
    return QString::fromLatin1(ColumnNames[c]);
}

QString quotedText(const QString &s)
{
    return QStringLiteral("„") + s + QStringLiteral("“");
}

int columnOfHeader(const QString &cell)
{
    const QString name = cell.trimmed();
    for (int c = 0; c < ColumnCount; ++c) {
        if (name.compare(columnName(c), Qt::CaseInsensitive) == 0)
            return c;
    }
    return -1;
}

// Bytes 0x80..0x9F of Windows-1252; the five it leaves undefined keep their code.
const char16_t Cp1252High[32] = {0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                 0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
                                 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

QString fromWindows1252(const QByteArray &data)
{
    QString text;
    text.reserve(data.size());
    for (const char ch : data) {
        const auto b = static_cast<unsigned char>(ch);
        text.append(b >= 0x80 && b < 0xA0 ? QChar(Cp1252High[b - 0x80]) : QChar(char16_t(b)));
    }
    return text;
}

QString folded(const QString &s)
{
    return s.trimmed().toCaseFolded();
}

QString teamKey(const QString &name, const QString &vorname, const QString &hund)
{
    return folded(name) + QChar(0x1F) + folded(vorname) + QChar(0x1F) + folded(hund);
}

// The engine counts characters, not UTF-16 units.
int characters(const QString &s)
{
    return int(s.toUcs4().size());
}

int teamColumnLength(int c)
{
    const Schema::Column *column = Schema::table(QStringLiteral("Team"))->column(columnName(c));
    return column ? column->length : 0;
}

// NUL and the other control characters have no place in a name; they come from a damaged or
// binary file. A line break or a tab in a quoted field is what a spreadsheet cell may hold.
std::optional<QChar> controlCharacter(const QString &field)
{
    for (const QChar ch : field) {
        const char16_t u = ch.unicode();
        const bool whitespace = u == u'\t' || u == u'\n' || u == u'\r';
        if ((u < 0x20 && !whitespace) || (u >= 0x7F && u < 0xA0))
            return ch;
    }
    return std::nullopt;
}

bool parseYesNo(const QString &text, bool &value)
{
    const QString t = text.trimmed().toLower();
    if (t.isEmpty() || t == QLatin1String("nein") || t == QLatin1String("0")) {
        value = false;
        return true;
    }
    if (t == QLatin1String("ja") || t == QLatin1String("1") || t == QLatin1String("x")) {
        value = true;
        return true;
    }
    return false;
}

} // namespace

QString TeamImportLine::statusText() const
{
    switch (status) {
    case Status::New:
        return QStringLiteral("neu");
    case Status::Duplicate:
        return QStringLiteral("übersprungen");
    case Status::Error:
        return QStringLiteral("Fehler");
    }
    return {};
}

TeamImport::TeamImport(Database &db) : m_db(db)
{ }

QString TeamImport::decode(const QByteArray &data, QString *encodingName)
{
    const auto setName = [encodingName](const char *name) {
        if (encodingName)
            *encodingName = QString::fromLatin1(name);
    };
    if (data.startsWith("\xEF\xBB\xBF")) {
        setName("UTF-8");
        return QString::fromUtf8(data.mid(3));
    }
    if (data.startsWith("\xFF\xFE") || data.startsWith("\xFE\xFF")) {
        const bool little = data.startsWith("\xFF\xFE");
        setName(little ? "UTF-16LE" : "UTF-16BE");
        QStringDecoder decoder(little ? QStringDecoder::Utf16LE : QStringDecoder::Utf16BE);
        return decoder(data.mid(2));
    }
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = utf8(data);
    if (!utf8.hasError()) {
        setName("UTF-8");
        return text;
    }
    // Spreadsheets on Windows save "CSV" in the ANSI code page; its umlauts are never valid
    // UTF-8, so a file that is not valid UTF-8 is taken for Windows-1252.
    setName("Windows-1252");
    return fromWindows1252(data);
}

QList<TeamImport::Record> TeamImport::parseRecords(const QString &text, QChar separator)
{
    QList<Record> records;
    Record record;
    QString field;
    int line = 1;
    record.lineNumber = 1;
    bool inQuotes = false;
    bool fieldStarted = false; // something of the current field has been read
    bool any = false; // the current record has any character at all
    const qsizetype n = text.size();
    const auto endRecord = [&]() {
        record.fields << field;
        records << record;
        record = Record();
        field.clear();
        fieldStarted = false;
        any = false;
    };
    for (qsizetype i = 0; i < n; ++i) {
        const QChar ch = text.at(i);
        if (inQuotes) {
            if (ch == QLatin1Char('"')) {
                if (i + 1 < n && text.at(i + 1) == QLatin1Char('"')) {
                    field += QLatin1Char('"');
                    ++i;
                } else {
                    inQuotes = false;
                }
            } else {
                if (ch == QLatin1Char('\n')
                    || (ch == QLatin1Char('\r')
                        && !(i + 1 < n && text.at(i + 1) == QLatin1Char('\n'))))
                    ++line;
                field += ch;
            }
            continue;
        }
        if (ch == QLatin1Char('\r') || ch == QLatin1Char('\n')) {
            if (ch == QLatin1Char('\r') && i + 1 < n && text.at(i + 1) == QLatin1Char('\n'))
                ++i;
            endRecord();
            ++line;
            record.lineNumber = line;
            continue;
        }
        any = true;
        if (ch == separator) {
            record.fields << field;
            field.clear();
            fieldStarted = false;
        } else if (ch == QLatin1Char('"') && !fieldStarted) {
            inQuotes = true;
            fieldStarted = true;
        } else {
            field += ch;
            if (!ch.isSpace())
                fieldStarted = true;
        }
    }
    if (inQuotes) {
        record.unterminatedQuote = true;
        any = true;
    }
    if (any || !field.isEmpty())
        endRecord();
    return records;
}

void TeamImport::load(const QString &path)
{
    const auto refuse = [this](const QString &error) {
        m_fileError = error;
        m_lines.clear();
        m_records.clear();
    };
    // Checked before opening: reading a pipe or a device could wait for ever.
    const QFileInfo info(path);
    if (info.exists() && !info.isFile())
        return refuse(QStringLiteral("%1 ist keine gewöhnliche Datei und kann nicht importiert "
                                     "werden.")
                          .arg(QDir::toNativeSeparators(path)));
    const QString tooLarge = QStringLiteral("Die Datei %1 ist zu gross: erlaubt sind höchstens "
                                            "%2 MB.")
                                 .arg(QDir::toNativeSeparators(path))
                                 .arg(MaxFileSize / (1024 * 1024));
    if (info.size() > MaxFileSize)
        return refuse(tooLarge);
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return refuse(QStringLiteral("Die Datei %1 kann nicht gelesen werden: %2")
                          .arg(path, file.errorString()));
    const QByteArray data = file.read(MaxFileSize + 1);
    if (data.size() > MaxFileSize)
        return refuse(tooLarge);
    loadData(data);
}

void TeamImport::loadData(const QByteArray &data)
{
    m_fileError.clear();
    m_notes.clear();
    m_records.clear();
    m_lines.clear();
    m_columnOf = QList<int>(ColumnCount, -1);
    m_separator = QLatin1Char(';');

    const QString text = decode(data, &m_encoding);
    if (text.trimmed().isEmpty()) {
        m_fileError = QStringLiteral("Die Datei ist leer: sie hat nicht einmal eine Kopfzeile.");
        return;
    }

    // The separator is the one under which the header names the most of our columns.
    const QString firstLine =
        text.trimmed().section(QRegularExpression(QStringLiteral("[\r\n]")), 0, 0);
    int bestKnown = -1;
    int bestFields = -1;
    for (const QChar candidate : {QChar(u';'), QChar(u','), QChar(u'\t')}) {
        const QList<Record> header = parseRecords(firstLine, candidate);
        const QStringList cells = header.isEmpty() ? QStringList() : header.first().fields;
        int known = 0;
        for (const QString &cell : cells)
            known += columnOfHeader(cell) >= 0 ? 1 : 0;
        if (known > bestKnown || (known == bestKnown && cells.size() > bestFields)) {
            bestKnown = known;
            bestFields = int(cells.size());
            m_separator = candidate;
        }
    }

    QList<Record> records = parseRecords(text, m_separator);
    while (!records.isEmpty() && records.first().fields.join(QString()).trimmed().isEmpty())
        records.removeFirst();
    const Record header = records.takeFirst();

    QStringList names;
    for (int c = 0; c < ColumnCount; ++c)
        names << columnName(c);
    for (int i = 0; i < header.fields.size(); ++i) {
        const QString cell = header.fields.at(i).trimmed();
        const int c = columnOfHeader(cell);
        if (c < 0) {
            if (!cell.isEmpty())
                m_notes
                    << QStringLiteral("Die Spalte %1 wird nicht verwendet.").arg(quotedText(cell));
            continue;
        }
        if (m_columnOf[c] >= 0) {
            m_fileError = QStringLiteral("Die Spalte %1 steht zweimal in der Kopfzeile.")
                              .arg(quotedText(columnName(c)));
            return;
        }
        m_columnOf[c] = i;
    }
    if (bestKnown == 0) {
        m_fileError =
            QStringLiteral("Die erste Zeile ist keine Kopfzeile: sie nennt keine der Spalten %1.")
                .arg(names.join(QStringLiteral(", ")));
        return;
    }
    QStringList missing;
    for (int c = 0; c < RequiredColumns; ++c) {
        if (m_columnOf[c] < 0)
            missing << columnName(c);
    }
    if (!missing.isEmpty()) {
        m_fileError = QStringLiteral("In der Kopfzeile fehlen die Spalten: %1.")
                          .arg(missing.join(QStringLiteral(", ")));
        return;
    }
    m_headerFields = int(header.fields.size());
    m_records = records;
    validate();
}

void TeamImport::validate()
{
    m_lines.clear();
    if (!m_fileError.isEmpty())
        return;

    QHash<QString, QList<int>> categories;
    {
        Statement s(m_db, QStringLiteral("SELECT KatNr, KatBez FROM Kategorie ORDER BY KatNr"));
        while (s.next())
            categories[folded(s.text(1))] << int(s.integer(0));
    }
    QHash<QString, int> existing;
    {
        Statement s(m_db,
                    QStringLiteral("SELECT TeamNr, Name, Vorname, Hund FROM Team "
                                   "WHERE Typ = 1 ORDER BY TeamNr"));
        while (s.next()) {
            const QString key = teamKey(s.text(1), s.text(2), s.text(3));
            if (!existing.contains(key))
                existing.insert(key, int(s.integer(0)));
        }
    }
    QHash<QString, int> earlierLines;

    for (const Record &record : std::as_const(m_records)) {
        bool blank = true;
        for (const QString &f : record.fields)
            blank = blank && f.trimmed().isEmpty();
        if (blank && !record.unterminatedQuote)
            continue;

        const auto value = [&](int c) {
            const int i = m_columnOf.at(c);
            return i >= 0 && i < record.fields.size() ? record.fields.at(i).trimmed() : QString();
        };
        TeamImportLine line;
        line.lineNumber = record.lineNumber;
        line.team.Typ = 1;
        line.team.Name = value(Name);
        line.team.Vorname = value(Vorname);
        line.team.Verein = value(Verein);
        line.team.Hund = value(Hund);
        line.team.Rasse = value(Rasse);
        line.category = value(Kategorie);
        QStringList &errors = line.reasons;

        if (record.unterminatedQuote)
            errors << QStringLiteral("ein Anführungszeichen wird nicht geschlossen");
        int extra = 0;
        for (qsizetype i = m_headerFields; i < record.fields.size(); ++i)
            extra += record.fields.at(i).trimmed().isEmpty() ? 0 : 1;
        if (extra > 0)
            errors << QStringLiteral("mehr Felder (%1) als Spalten in der Kopfzeile (%2)")
                          .arg(record.fields.size())
                          .arg(m_headerFields);

        for (int c = 0; c < ColumnCount; ++c) {
            const int i = m_columnOf.at(c);
            const QString field =
                i >= 0 && i < record.fields.size() ? record.fields.at(i) : QString();
            if (const std::optional<QChar> bad = controlCharacter(field))
                errors << QStringLiteral("%1 enthält ein Steuerzeichen (U+%2)")
                              .arg(quotedText(columnName(c)))
                              .arg(bad->unicode(), 4, 16, QLatin1Char('0'));
        }
        for (int c : {Name, Vorname, Hund, Rasse, Kategorie}) {
            if (value(c).isEmpty())
                errors << QStringLiteral("%1 fehlt").arg(quotedText(columnName(c)));
        }
        for (int c : {Name, Vorname, Verein, Hund, Rasse}) {
            const int length = teamColumnLength(c);
            const int actual = characters(value(c));
            if (length > 0 && actual > length)
                errors << QStringLiteral("%1 ist zu lang (%2 Zeichen, erlaubt sind %3)")
                              .arg(quotedText(columnName(c)))
                              .arg(actual)
                              .arg(length);
        }
        if (!line.category.isEmpty()) {
            const QList<int> matches = categories.value(folded(line.category));
            if (matches.isEmpty())
                errors << QStringLiteral("die Kategorie %1 gibt es nicht")
                              .arg(quotedText(line.category));
            else if (matches.size() > 1)
                errors << QStringLiteral("die Kategorie %1 ist nicht eindeutig")
                              .arg(quotedText(line.category));
            else
                line.team.KatNr = matches.first();
        }
        if (!parseYesNo(value(Zusatzspiel), line.team.Zusatzspiel))
            errors << QStringLiteral("%1 muss Ja, Nein, 1, 0, x oder leer sein, nicht %2")
                          .arg(quotedText(columnName(Zusatzspiel)), quotedText(value(Zusatzspiel)));
        if (!TeamEditor::parseStartNr(value(StartNr), line.team.StartNr, 999))
            errors << QStringLiteral("%1 muss eine ganze Zahl von 0 bis 999 sein, nicht %2")
                          .arg(quotedText(columnName(StartNr)), quotedText(value(StartNr)));

        if (!errors.isEmpty()) {
            line.status = TeamImportLine::Status::Error;
        } else {
            const QString key = teamKey(line.team.Name, line.team.Vorname, line.team.Hund);
            if (existing.contains(key)) {
                line.status = TeamImportLine::Status::Duplicate;
                line.team.TeamNr = existing.value(key);
                line.reasons
                    << QStringLiteral("gibt es schon (Team Nr. %1)").arg(existing.value(key));
            } else if (earlierLines.contains(key)) {
                line.status = TeamImportLine::Status::Duplicate;
                line.repeatsLine = earlierLines.value(key);
                line.reasons << QStringLiteral("wiederholt Zeile %1").arg(earlierLines.value(key));
            } else {
                earlierLines.insert(key, line.lineNumber);
            }
        }
        m_lines << line;
    }
}

QString TeamImport::separatorName() const
{
    if (m_separator == QLatin1Char('\t'))
        return QStringLiteral("Tabulator");
    if (m_separator == QLatin1Char(','))
        return QStringLiteral("Komma");
    return QStringLiteral("Semikolon");
}

int TeamImport::count(TeamImportLine::Status status) const
{
    int n = 0;
    for (const TeamImportLine &line : m_lines)
        n += line.status == status ? 1 : 0;
    return n;
}

bool TeamImport::hasErrors() const
{
    return !m_fileError.isEmpty() || count(TeamImportLine::Status::Error) > 0;
}

QStringList TeamImport::errorMessages() const
{
    if (!m_fileError.isEmpty())
        return {m_fileError};
    QStringList messages;
    for (const TeamImportLine &line : m_lines) {
        if (line.status == TeamImportLine::Status::Error)
            messages << QStringLiteral("Zeile %1: %2").arg(line.lineNumber).arg(line.reasonText());
    }
    return messages;
}

int TeamImport::write(const std::function<void(int teamNr)> &enter)
{
    Transaction transaction(m_db);
    ChangeSource source(m_db, ChangeLog::Import);
    // The database may have changed since the file was read; what is written must be what
    // a check right now allows.
    validate();
    if (hasErrors())
        throw DatabaseError(
            QStringLiteral("Die Datei enthält fehlerhafte Zeilen; es wurde nichts importiert."));
    Statement insert(m_db,
                     QStringLiteral("INSERT INTO Team (Typ, StartNr, Name, Vorname, Verein, Hund, "
                                    "Rasse, KatNr, Zusatzspiel, RandomNum) VALUES (1, :StartNr, "
                                    ":Name, :Vorname, :Verein, :Hund, :Rasse, :KatNr, "
                                    ":Zusatzspiel, 0)"));
    int written = 0;
    for (TeamImportLine &line : m_lines) {
        if (line.status != TeamImportLine::Status::New)
            continue;
        insert.reset();
        insert.bind("StartNr", line.team.StartNr)
            .bind("Name", line.team.Name)
            .bind("Vorname", line.team.Vorname)
            .bind("Verein", line.team.Verein)
            .bind("Hund", line.team.Hund)
            .bind("Rasse", line.team.Rasse)
            .bind("KatNr", line.team.KatNr)
            .bind("Zusatzspiel", line.team.Zusatzspiel);
        insert.exec();
        line.team.TeamNr = int(m_db.lastInsertId());
        ++written;
    }
    if (enter) {
        QHash<int, int> teamOfLine;
        for (const TeamImportLine &line : std::as_const(m_lines)) {
            const int teamNr =
                line.repeatsLine != 0 ? teamOfLine.value(line.repeatsLine) : line.team.TeamNr;
            teamOfLine.insert(line.lineNumber, teamNr);
            if (teamNr != 0)
                enter(teamNr);
        }
    }
    transaction.commit();
    return written;
}
