#include "app/IniFile.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>
#ifdef Q_OS_UNIX
#include <sys/resource.h>
#endif

using namespace Qt::StringLiterals;

namespace {

void writeBytes(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(file.write(bytes), bytes.size());
}

QByteArray readBytes(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return "<unreadable>"_ba;
    return file.readAll();
}

// Something of everything the reader meets in files edited by hand.
const QByteArray mixedFile = "junk before any section\n"
                             "Orphan=outside\n"
                             "; comment\n"
                             "[Default]\n"
                             "  DBPath  =  C:\\Velunda\\Database  \n"
                             "PreviousComp=3\n"
                             "this line has no equals sign\n"
                             "# another comment\n"
                             "Note=a=b ; not a comment\n"
                             "PreviousComp=99\n"
                             "Empty=\n"
                             "\n"
                             "[Other]\n"
                             "DBPath=elsewhere\n"
                             "; trailing comment\n"_ba;

} // namespace

class TestIniFile : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();

    void missingFile();
    void writtenValuesReadBack();
    void readsValues_data();
    void readsValues();
    void quotedValues_data();
    void quotedValues();
    void writeKeepsEverythingElse();
    void lineEndings_data();
    void lineEndings();
    void encodings_data();
    void encodings();
    void failedWriteKeepsOldFile();
    void unusableLocationThrows_data();
    void unusableLocationThrows();
    void invalidEntryRefused_data();
    void invalidEntryRefused();

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_path;
};

void TestIniFile::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    m_path = m_dir->filePath(u"Velunda.ini"_s);
}

void TestIniFile::missingFile()
{
    IniFile ini(m_path);
    QCOMPARE(ini.path(), m_path);
    QVERIFY(!ini.exists());
    QCOMPARE(ini.readString(u"Default"_s, u"WindowState"_s, u"wsNormal"_s), u"wsNormal"_s);

    ini.createIfMissing();
    QVERIFY(ini.exists());
    QCOMPARE(readBytes(m_path), QByteArray());

    writeBytes(m_path, "[Default]\nFormWidth=800\n"_ba);
    ini.createIfMissing();
    QCOMPARE(ini.readString(u"Default"_s, u"FormWidth"_s, u"1006"_s), u"800"_s);
}

void TestIniFile::writtenValuesReadBack()
{
    IniFile ini(m_path); // not created first: the first write makes the file
    ini.writeString(u"Default"_s, u"PreviousComp"_s, u"3"_s);
    ini.writeString(u"Default"_s, u"DBPath"_s, u"/opt/velunda/Database"_s);
    ini.writeString(u"Default"_s, u"WindowState"_s, u"wsMaximized"_s);
    ini.writeString(u"Default"_s, u"PreviousComp"_s, u"12"_s);
    ini.writeString(u"Default"_s, u"FormWidth"_s, QString());

    QCOMPARE(readBytes(m_path),
             "[Default]\nPreviousComp=12\nDBPath=/opt/velunda/Database\nWindowState=wsMaximized\n"
             "FormWidth=\n"_ba);
    // A fresh object sees the same, and an empty value is a value, not a missing key.
    const IniFile again(m_path);
    QCOMPARE(again.readString(u"Default"_s, u"PreviousComp"_s, u"0"_s), u"12"_s);
    QCOMPARE(again.readString(u"Default"_s, u"DBPath"_s, u"x"_s), u"/opt/velunda/Database"_s);
    QCOMPARE(again.readString(u"Default"_s, u"FormWidth"_s, u"1006"_s), QString());

    // Every read looks at the disk: a change made behind the object's back is seen.
    writeBytes(m_path, "[Default]\nPreviousComp=4\n"_ba);
    QCOMPARE(again.readString(u"Default"_s, u"PreviousComp"_s, u"0"_s), u"4"_s);
}

void TestIniFile::readsValues_data()
{
    QTest::addColumn<QString>("section");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("expected");

    QTest::newRow("trimmed value") << u"Default"_s << u"DBPath"_s << u"C:\\Velunda\\Database"_s;
    QTest::newRow("names in other case")
        << u"DEFAULT"_s << u"dbpath"_s << u"C:\\Velunda\\Database"_s;
    QTest::newRow("blanks around asked names")
        << u" Default "_s << u" DBPath "_s << u"C:\\Velunda\\Database"_s;
    QTest::newRow("first of two keys") << u"Default"_s << u"PreviousComp"_s << u"3"_s;
    QTest::newRow("value to end of line") << u"Default"_s << u"Note"_s << u"a=b ; not a comment"_s;
    QTest::newRow("empty value") << u"Default"_s << u"Empty"_s << QString();
    QTest::newRow("same key in other section") << u"other"_s << u"DBPATH"_s << u"elsewhere"_s;
    QTest::newRow("key before any section") << u"Default"_s << u"Orphan"_s << u"<default>"_s;
    QTest::newRow("line without equals sign")
        << u"Default"_s << u"this line has no equals sign"_s << u"<default>"_s;
    QTest::newRow("comment is no key") << u"Default"_s << u"# another comment"_s << u"<default>"_s;
    QTest::newRow("missing section") << u"Missing"_s << u"DBPath"_s << u"<default>"_s;
    QTest::newRow("missing key") << u"Other"_s << u"PreviousComp"_s << u"<default>"_s;
}

void TestIniFile::readsValues()
{
    QFETCH(QString, section);
    QFETCH(QString, key);
    QFETCH(QString, expected);
    writeBytes(m_path, mixedFile);
    QCOMPARE(IniFile(m_path).readString(section, key, u"<default>"_s), expected);
}

void TestIniFile::quotedValues_data()
{
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<QString>("expected");
    QTest::newRow("double quotes") << "DBPath=\"C:\\Velunda Daten\""_ba << u"C:\\Velunda Daten"_s;
    QTest::newRow("single quotes") << "DBPath='/srv/velunda daten'"_ba << u"/srv/velunda daten"_s;
    QTest::newRow("blanks outside the quotes")
        << "DBPath =  \" D:\\Club \"  "_ba << u" D:\\Club "_s;
    QTest::newRow("empty quotes") << "DBPath=\"\""_ba << QString();
    QTest::newRow("quotes inside are kept") << "DBPath=\"a\"b\""_ba << u"a\"b"_s;
    QTest::newRow("unmatched pair") << "DBPath=\"D:\\Club'"_ba << u"\"D:\\Club'"_s;
    QTest::newRow("one quote alone") << "DBPath=\""_ba << u"\""_s;
    QTest::newRow("quote at one end") << "DBPath=D:\\Club\""_ba << u"D:\\Club\""_s;
}

void TestIniFile::quotedValues()
{
    QFETCH(QByteArray, line);
    QFETCH(QString, expected);
    writeBytes(m_path, "[Default]\n"_ba + line + "\n"_ba);
    QCOMPARE(IniFile(m_path).readString(u"Default"_s, u"DBPath"_s, u"<default>"_s), expected);
}

void TestIniFile::writeKeepsEverythingElse()
{
    writeBytes(m_path, mixedFile);
    IniFile ini(m_path);
    ini.writeString(u"Default"_s, u"DBPath"_s, u"D:\\Daten"_s);
    ini.writeString(u"default"_s, u"previouscomp"_s, u"5"_s);
    ini.writeString(u"Default"_s, u"FormWidth"_s, u"1006"_s);
    ini.writeString(u"OTHER"_s, u"dbPath"_s, u"there"_s);
    ini.writeString(u"Other"_s, u"WindowState"_s, u"wsNormal"_s);
    ini.writeString(u"New"_s, u"Key"_s, u"1"_s);

    QCOMPARE(readBytes(m_path),
             "junk before any section\n"
             "Orphan=outside\n"
             "; comment\n"
             "[Default]\n"
             "  DBPath  =  D:\\Daten\n"
             "PreviousComp=5\n"
             "this line has no equals sign\n"
             "# another comment\n"
             "Note=a=b ; not a comment\n"
             "PreviousComp=99\n"
             "Empty=\n"
             "FormWidth=1006\n"
             "\n"
             "[Other]\n"
             "DBPath=there\n"
             "WindowState=wsNormal\n"
             "; trailing comment\n"
             "\n"
             "[New]\n"
             "Key=1\n"_ba);
    QCOMPARE(ini.readString(u"Default"_s, u"PreviousComp"_s, u"0"_s), u"5"_s);
}

void TestIniFile::lineEndings_data()
{
    QTest::addColumn<QByteArray>("before");
    QTest::addColumn<QByteArray>("after");

    QTest::newRow("CRLF") << "; Velunda\r\n[Default]\r\nA=1\r\n\r\n[X]\r\nY=0\r\n"_ba
                          << "; Velunda\r\n[Default]\r\nA=2\r\nB=3\r\n\r\n[X]\r\nY=0\r\n"
                             "\r\n[S]\r\nC=4\r\n"_ba;
    QTest::newRow("LF") << "[Default]\nA=1\n"_ba
                        << "[Default]\nA=2\nB=3\n\n[S]\nC=4\n"_ba;
    QTest::newRow("CRLF without final line break")
        << "[Default]\r\nA=1"_ba
        << "[Default]\r\nA=2\r\nB=3\r\n\r\n[S]\r\nC=4\r\n"_ba;
    QTest::newRow("header without line break") << "[Default]"_ba
                                               << "[Default]\nA=2\nB=3\n\n[S]\nC=4\n"_ba;
}

void TestIniFile::lineEndings()
{
    QFETCH(QByteArray, before);
    QFETCH(QByteArray, after);
    writeBytes(m_path, before);
    IniFile ini(m_path);
    ini.writeString(u"Default"_s, u"A"_s, u"2"_s);
    ini.writeString(u"Default"_s, u"B"_s, u"3"_s);
    ini.writeString(u"S"_s, u"C"_s, u"4"_s);
    QCOMPARE(readBytes(m_path), after);
}

void TestIniFile::encodings_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("expected");

    QTest::newRow("UTF-8") << "[Default]\nVerein=Z\xC3\xBCrich\n"_ba << u"Zürich"_s;
    QTest::newRow("UTF-8 with BOM")
        << "\xEF\xBB\xBF[Default]\nVerein=Z\xC3\xBCrich\n"_ba << u"Zürich"_s;
    QTest::newRow("Windows-1252") << "[Default]\nVerein=Z\xFCrich\n"_ba << u"Zürich"_s;
    QTest::newRow("Windows-1252 above Latin-1")
        << "[Default]\nVerein=\x80 5 \x96 \x84Hund\x93\n"_ba << u"€ 5 – „Hund“"_s;
    QTest::newRow("Windows-1252, one byte at the end")
        << "[Default]\nVerein=Caf\xE9"_ba << u"Café"_s;
}

void TestIniFile::encodings()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, expected);
    writeBytes(m_path, bytes);
    IniFile ini(m_path);
    QCOMPARE(ini.readString(u"Default"_s, u"Verein"_s, QString()), expected);

    // Rewritten as UTF-8 without a BOM, the old value intact.
    ini.writeString(u"Default"_s, u"X"_s, u"1"_s);
    QCOMPARE(readBytes(m_path), "[Default]\nVerein="_ba + expected.toUtf8() + "\nX=1\n"_ba);
    QCOMPARE(ini.readString(u"Default"_s, u"Verein"_s, QString()), expected);
}

void TestIniFile::failedWriteKeepsOldFile()
{
#ifndef Q_OS_UNIX
    QSKIP("needs a file size limit (setrlimit)");
#else
    // Root may write anywhere, so the failure comes from a file size limit, which hits the
    // write half-way through just as a full disk does.
    const QByteArray old = "[Default]\nPreviousComp=3\nDBPath=C:\\Velunda\n"_ba;
    writeBytes(m_path, old);
    IniFile ini(m_path);

    rlimit saved{};
    QCOMPARE(getrlimit(RLIMIT_FSIZE, &saved), 0);
    rlimit small = saved;
    small.rlim_cur = 512;
    const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    QCOMPARE(setrlimit(RLIMIT_FSIZE, &small), 0);
    QString message;
    try {
        ini.writeString(u"Default"_s, u"DBPath"_s, QString(4096, u'x'));
    } catch (const IniFileError &error) {
        message = error.message();
    }
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, previousHandler);

    QVERIFY2(!message.isEmpty(), "the write should have failed");
    QVERIFY2(message.contains(QDir::toNativeSeparators(m_path)), qPrintable(message));
    QCOMPARE(readBytes(m_path), old);
    QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files | QDir::Hidden), {u"Velunda.ini"_s});
#endif
}

void TestIniFile::unusableLocationThrows_data()
{
    QTest::addColumn<bool>("pathIsDirectory");
    QTest::newRow("folder that cannot exist") << false;
    QTest::newRow("path is a directory") << true;
}

void TestIniFile::unusableLocationThrows()
{
    QFETCH(bool, pathIsDirectory);
    const QString path = pathIsDirectory ? m_path : u"/proc/velunda-missing/Velunda.ini"_s;
    if (pathIsDirectory)
        QVERIFY(QDir().mkdir(path));

    IniFile ini(path);
    QVERIFY(!ini.exists());
    QCOMPARE(ini.readString(u"Default"_s, u"DBPath"_s, u"default"_s), u"default"_s);
    for (const bool create : {true, false}) {
        try {
            if (create)
                ini.createIfMissing();
            else
                ini.writeString(u"Default"_s, u"DBPath"_s, u"x"_s);
            QFAIL("IniFileError expected");
        } catch (const IniFileError &error) {
            QVERIFY2(error.message().contains(u"Einstellungsdatei"_s), qPrintable(error.message()));
            QVERIFY2(error.message().contains(QDir::toNativeSeparators(path)),
                     qPrintable(error.message()));
            QCOMPARE(QString::fromStdString(error.what()), error.message());
        }
    }
    if (pathIsDirectory)
        QVERIFY(QDir(path).isEmpty());
}

void TestIniFile::invalidEntryRefused_data()
{
    QTest::addColumn<QString>("section");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("value");

    QTest::newRow("line break in value") << u"Default"_s << u"DBPath"_s << u"x\n[Evil]\nA=1"_s;
    QTest::newRow("carriage return in value") << u"Default"_s << u"DBPath"_s << u"x\ry"_s;
    QTest::newRow("equals sign in key") << u"Default"_s << u"A=B"_s << u"1"_s;
    QTest::newRow("empty key") << u"Default"_s << u"  "_s << u"1"_s;
    QTest::newRow("key read as comment") << u"Default"_s << u";A"_s << u"1"_s;
    QTest::newRow("bracket in section") << u"De]fault"_s << u"A"_s << u"1"_s;
    QTest::newRow("empty section") << QString() << u"A"_s << u"1"_s;
}

void TestIniFile::invalidEntryRefused()
{
    QFETCH(QString, section);
    QFETCH(QString, key);
    QFETCH(QString, value);
    const QByteArray old = "[Default]\nDBPath=C:\\Velunda\n"_ba;
    writeBytes(m_path, old);
    IniFile ini(m_path);
    QVERIFY_THROWS_EXCEPTION(IniFileError, ini.writeString(section, key, value));
    QCOMPARE(readBytes(m_path), old);
}

QTEST_GUILESS_MAIN(TestIniFile)
#include "tst_inifile.moc"
