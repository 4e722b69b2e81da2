#include "app/IniFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QList>
#include <QSaveFile>
#include <QStringDecoder>

#include <utility>

namespace {

struct Line
{
    QString text; // without its line break
    QString eol; // "\r\n", "\n", or empty for a last line that has none
};

enum class LineKind { Other, Section, Key };

struct LineInfo
{
    LineKind kind = LineKind::Other;
    QString name; // section or key name, trimmed
    qsizetype valueStart = -1; // keys: first character of the value
};

struct Location
{
    qsizetype keyLine = -1; // the line holding the key
    qsizetype valueStart = -1; // where its value starts in that line
    qsizetype insertAfter = -1; // the last line with content in the first matching section
};

// Bytes 0x80 to 0x9F of Windows-1252; the five unassigned ones map to the C1 controls, as
// Windows itself converts them.
constexpr char16_t cp1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

QString nativePath(const QString &path)
{
    return QDir::toNativeSeparators(path);
}

// The old program wrote ANSI files; anything that is not valid UTF-8 is taken to be one.
QString decode(QByteArray bytes)
{
    if (bytes.startsWith("\xEF\xBB\xBF"))
        bytes.remove(0, 3);
    QStringDecoder utf8(QStringConverter::Utf8,
                        QStringConverter::Flag::Stateless
                            | QStringConverter::Flag::ConvertInitialBom);
    QString text = utf8(bytes);
    if (!utf8.hasError())
        return text;

    text.clear();
    text.reserve(bytes.size());
    for (const char c : std::as_const(bytes)) {
        const auto b = static_cast<uchar>(c);
        text += (b >= 0x80 && b < 0xA0) ? QChar(cp1252High[b - 0x80]) : QChar(char16_t(b));
    }
    return text;
}

QList<Line> splitLines(const QString &text)
{
    QList<Line> lines;
    qsizetype start = 0;
    while (start < text.size()) {
        const qsizetype newline = text.indexOf(u'\n', start);
        if (newline < 0) {
            lines.append({text.mid(start), QString()});
            break;
        }
        const bool crlf = newline > start && text.at(newline - 1) == u'\r';
        const qsizetype end = crlf ? newline - 1 : newline;
        lines.append(
            {text.mid(start, end - start), crlf ? QStringLiteral("\r\n") : QStringLiteral("\n")});
        start = newline + 1;
    }
    return lines;
}

QList<Line> parse(const QByteArray &bytes)
{
    return splitLines(decode(bytes));
}

bool isBlankOrComment(const QString &line)
{
    const QString trimmed = line.trimmed();
    return trimmed.isEmpty() || trimmed.startsWith(u';') || trimmed.startsWith(u'#');
}

// Lines that are neither a section header nor a key are kept on writing and ignored on
// reading: comments, blank lines, and anything else an editor may have left there.
LineInfo classify(const QString &line)
{
    if (isBlankOrComment(line))
        return {};
    const QString trimmed = line.trimmed();
    if (trimmed.startsWith(u'[')) {
        const qsizetype close = trimmed.lastIndexOf(u']');
        if (close < 0)
            return {};
        return {LineKind::Section, trimmed.mid(1, close - 1).trimmed(), -1};
    }
    const qsizetype equals = line.indexOf(u'=');
    if (equals < 0)
        return {};
    const QString key = line.left(equals).trimmed();
    if (key.isEmpty())
        return {};
    qsizetype valueStart = equals + 1;
    while (valueStart < line.size() && line.at(valueStart).isSpace())
        ++valueStart;
    return {LineKind::Key, key, valueStart};
}

bool sameName(const QString &a, const QString &b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

// A section may occur more than once; the first occurrence of the key in any of them counts,
// and a new key goes into the first of them, so that a later read finds what was written.
Location locate(const QList<Line> &lines, const QString &section, const QString &key)
{
    Location location;
    bool inSection = false;
    bool inFirstSection = false;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const LineInfo info = classify(lines.at(i).text);
        if (info.kind == LineKind::Section) {
            inSection = sameName(info.name, section);
            inFirstSection = inSection && location.insertAfter < 0;
            if (inFirstSection)
                location.insertAfter = i;
            continue;
        }
        // Blank lines and comments at the end of a section usually lead into the next one.
        if (inFirstSection && !isBlankOrComment(lines.at(i).text))
            location.insertAfter = i;
        if (inSection && info.kind == LineKind::Key && sameName(info.name, key)) {
            location.keyLine = i;
            location.valueStart = info.valueStart;
            return location;
        }
    }
    return location;
}

QString defaultLineEnd()
{
#ifdef Q_OS_WIN
    return QStringLiteral("\r\n");
#else
    return QStringLiteral("\n");
#endif
}

QString lineEndOf(const QList<Line> &lines)
{
    for (const Line &line : lines) {
        if (!line.eol.isEmpty())
            return line.eol;
    }
    return defaultLineEnd();
}

// As GetPrivateProfileString reads DBPath="C:\Velunda Daten": a value wholly enclosed in a
// matching pair of double or single quotes loses them.
QString unquoted(const QString &value)
{
    if (value.size() >= 2 && value.front() == value.back()
        && (value.front() == u'"' || value.front() == u'\''))
        return value.mid(1, value.size() - 2);
    return value;
}

bool hasLineBreak(const QString &text)
{
    return text.contains(u'\n') || text.contains(u'\r');
}

void checkNames(const QString &path, const QString &section, const QString &key,
                const QString &value)
{
    const bool badSection = section.isEmpty() || section.contains(u']') || hasLineBreak(section);
    const bool badKey = key.isEmpty() || key.contains(u'=') || key.startsWith(u'[')
        || key.startsWith(u';') || key.startsWith(u'#') || hasLineBreak(key);
    if (badSection || badKey) {
        throw IniFileError(
            QStringLiteral("In die Einstellungsdatei \"%1\" kann der Eintrag \"%2\" im Abschnitt "
                           "\"%3\" nicht geschrieben werden: der Name ist ungültig.")
                .arg(nativePath(path), key, section));
    }
    if (hasLineBreak(value)) {
        throw IniFileError(
            QStringLiteral("In die Einstellungsdatei \"%1\" kann der Eintrag \"%2\" nicht "
                           "geschrieben werden: der Wert enthält einen Zeilenumbruch.")
                .arg(nativePath(path), key));
    }
}

} // namespace

IniFileError::IniFileError(const QString &message)
    : std::runtime_error(message.toStdString()), m_message(message)
{ }

IniFile::IniFile(const QString &path) : m_path(path)
{ }

bool IniFile::exists() const
{
    const QFileInfo info(m_path);
    return info.exists() && !info.isDir();
}

void IniFile::createIfMissing()
{
    if (exists())
        return;
    QFile file(m_path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::NewOnly)) {
        throw IniFileError(
            QStringLiteral("Die Einstellungsdatei \"%1\" kann nicht angelegt werden (%2).")
                .arg(nativePath(m_path), file.errorString()));
    }
}

QString IniFile::readString(const QString &section, const QString &key,
                            const QString &defaultValue) const
{
    QFile file(m_path);
    if (!file.open(QIODevice::ReadOnly))
        return defaultValue;
    const QList<Line> lines = parse(file.readAll());
    const Location location = locate(lines, section.trimmed(), key.trimmed());
    if (location.keyLine < 0)
        return defaultValue;
    return unquoted(lines.at(location.keyLine).text.mid(location.valueStart).trimmed());
}

void IniFile::writeString(const QString &section, const QString &key, const QString &value)
{
    const QString sectionName = section.trimmed();
    const QString keyName = key.trimmed();
    checkNames(m_path, sectionName, keyName, value);

    // A file that is there but cannot be read must not be replaced by one holding only the
    // new key.
    QList<Line> lines;
    if (QFileInfo::exists(m_path)) {
        QFile file(m_path);
        const QByteArray bytes = file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
        if (file.error() != QFileDevice::NoError) {
            throw IniFileError(QStringLiteral("Die Einstellungsdatei \"%1\" kann nicht gelesen "
                                              "werden (%2); sie wird nicht überschrieben.")
                                   .arg(nativePath(m_path), file.errorString()));
        }
        lines = parse(bytes);
    }

    const QString eol = lineEndOf(lines);
    const Location location = locate(lines, sectionName, keyName);
    if (location.keyLine >= 0) {
        Line &line = lines[location.keyLine];
        line.text = line.text.left(location.valueStart) + value;
    } else if (location.insertAfter >= 0) {
        Line &previous = lines[location.insertAfter];
        if (previous.eol.isEmpty())
            previous.eol = eol;
        lines.insert(location.insertAfter + 1, {keyName + u'=' + value, eol});
    } else {
        if (!lines.isEmpty()) {
            if (lines.last().eol.isEmpty())
                lines.last().eol = eol;
            if (!lines.last().text.trimmed().isEmpty())
                lines.append({QString(), eol});
        }
        lines.append({u'[' + sectionName + u']', eol});
        lines.append({keyName + u'=' + value, eol});
    }

    QString text;
    for (const Line &line : std::as_const(lines))
        text += line.text + line.eol;
    const QByteArray bytes = text.toUtf8();

    // QSaveFile writes a temporary file beside the old one and renames it over it only when
    // everything reached the disk, so a crash or a full disk leaves the old file intact. The
    // explicit flush matters: commit() closes the file first, and closing forgets a failed
    // write of the buffer, so a short write would otherwise be renamed over the old file.
    QSaveFile out(m_path);
    if (!out.open(QIODevice::WriteOnly) || out.write(bytes) != bytes.size() || !out.flush()
        || !out.commit()) {
        const QString reason = out.errorString();
        out.cancelWriting();
        throw IniFileError(
            QStringLiteral("Die Einstellungsdatei \"%1\" kann nicht geschrieben werden (%2).")
                .arg(nativePath(m_path), reason));
    }
}
