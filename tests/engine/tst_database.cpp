#include "engine/Database.h"
#include "engine/DatabaseError.h"
#include "engine/Schema.h"
#include "engine/Statement.h"
#include "engine/Transaction.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <sqlite3.h>

class TestDatabaseEngine : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    Database m_db;

    QString insertTeam(const QString &column, const QVariant &value)
    {
        Statement s(m_db, QStringLiteral("INSERT INTO Team (%1) VALUES (:v)").arg(column));
        if (value.typeId() == QMetaType::QString)
            s.bind("v", value.toString());
        else
            s.bind("v", value.toLongLong());
        try {
            s.exec();
        } catch (const DatabaseError &e) {
            return e.message();
        }
        return {};
    }

private Q_SLOTS:
    void initTestCase() { Database::setDurable(false); }

    void init()
    {
        m_db.close();
        QVERIFY(m_dir.isValid());
        for (const QString &f : QDir(m_dir.path()).entryList(QDir::Files))
            QFile::remove(m_dir.filePath(f));
        Database::createTables(m_dir.path());
        m_db.open(m_dir.path());
    }

    void createsEightTablesAndRefusesToTouchThemAgain()
    {
        QCOMPARE(Database::existingTableFiles(m_dir.path()).size(), 8);
        QVERIFY(QFile::exists(m_dir.filePath(QStringLiteral("Anlass.dat"))));
        try {
            Database::createTables(m_dir.path());
            QFAIL("created tables over existing ones");
        } catch (const DatabaseError &e) {
            QVERIFY(e.message().contains(QStringLiteral("enthält schon Tabellen")));
        }
    }

    void columnsTypesAndKeysAreThoseOfTheSchema()
    {
        for (const Schema::Table &table : Schema::tables()) {
            Statement info(m_db, QStringLiteral("PRAGMA table_info(\"%1\")").arg(table.name));
            QStringList columns;
            while (info.next())
                columns << info.text("name");
            QCOMPARE(columns.size(), table.columns.size());
        }
        const auto indexColumns = [this](const QString &table, const QString &index) {
            Statement s(m_db,
                        QStringLiteral("PRAGMA \"db_%1\".index_info(\"%2\")").arg(table, index));
            QStringList columns;
            while (s.next())
                columns << s.text("name");
            return columns;
        };
        QCOMPARE(indexColumns(QStringLiteral("Team"), QStringLiteral("Team01")),
                 QStringList({QStringLiteral("Name"), QStringLiteral("Vorname"),
                              QStringLiteral("TeamNr")}));
        QVERIFY(indexColumns(QStringLiteral("TeamsProAnlass"), QStringLiteral("GroupTeam"))
                    .contains(QStringLiteral("GroupNr")));
        QCOMPARE(indexColumns(QStringLiteral("Rang"), QStringLiteral("Team")),
                 QStringList{QStringLiteral("TeamNr")});
        // The key of an entry admits a team once per event.
        m_db.exec(QStringLiteral("INSERT INTO TeamsProAnlass (AnlassNr, TeamNr) VALUES (1, 7)"));
        QVERIFY_THROWS_EXCEPTION(
            DatabaseError,
            m_db.exec(
                QStringLiteral("INSERT INTO TeamsProAnlass (AnlassNr, TeamNr) VALUES (1, 7)")));
    }

    void valuesNeverSetReadAsZeroFalseOrEmpty()
    {
        m_db.exec(QStringLiteral("INSERT INTO Anlass DEFAULT VALUES"));
        Statement s(m_db, QStringLiteral("SELECT * FROM Anlass"));
        QVERIFY(s.next());
        QCOMPARE(s.text("AnlassBez"), QString());
        QCOMPARE(s.integer("PunkteSort"), 0);
        QCOMPARE(s.boolean("AutoRangBerechnung"), false);
        m_db.exec(QStringLiteral("INSERT INTO TeamsProAnlass (AnlassNr, TeamNr) VALUES (1, 1)"));
        Statement flag(m_db,
                       QStringLiteral("SELECT count(*) FROM TeamsProAnlass WHERE RangBerechnet = "
                                      "False AND Abgeschlossen = False"));
        QVERIFY(flag.next());
        QCOMPARE(flag.integer(0), 1);
        Statement sum(m_db, QStringLiteral("SELECT sum(Punkte) AS Summe FROM Parcours"));
        QVERIFY(sum.next());
        QCOMPARE(sum.real("Summe"), 0.0);
    }

    void autoIncrementKeysAreReadableAndNeverReused()
    {
        m_db.exec(QStringLiteral("INSERT INTO Kategorie (KatBez) VALUES ('A')"));
        const qint64 first = m_db.lastInsertId();
        m_db.exec(QStringLiteral("INSERT INTO Kategorie (KatBez) VALUES ('B')"));
        const qint64 second = m_db.lastInsertId();
        QCOMPARE(second, first + 1);
        m_db.exec(QStringLiteral("DELETE FROM Kategorie WHERE KatNr = ") + QString::number(second));
        m_db.exec(QStringLiteral("INSERT INTO Kategorie (KatBez) VALUES ('C')"));
        QCOMPARE(m_db.lastInsertId(), second + 1);
    }

    void typedValues_data()
    {
        QTest::addColumn<QString>("column");
        QTest::addColumn<QVariant>("value");
        QTest::addColumn<QString>("error"); // empty: accepted
        const QString tooLong =
            QStringLiteral("„Name“ (Tabelle Team) ist zu lang: erlaubt sind höchstens 50");
        QTest::newRow("50 characters")
            << "Name" << QVariant(QString(50, QLatin1Char('x'))) << QString();
        QTest::newRow("51 characters")
            << "Name" << QVariant(QString(51, QLatin1Char('x'))) << tooLong;
        QTest::newRow("50 umlauts are 50 characters")
            << "Name" << QVariant(QString(50, QChar(0xFC))) << QString();
        QTest::newRow("Vorname 26")
            << "Vorname" << QVariant(QString(26, QLatin1Char('y')))
            << QStringLiteral("„Vorname“ (Tabelle Team) ist zu lang: erlaubt sind höchstens 25");
        QTest::newRow("smallint max") << "Typ" << QVariant(32767) << QString();
        QTest::newRow("smallint over")
            << "Typ" << QVariant(32768) << QStringLiteral("„Typ“ (Tabelle Team) liegt ausserhalb");
        QTest::newRow("smallint under")
            << "Typ" << QVariant(-32769) << QStringLiteral("„Typ“ (Tabelle Team) liegt ausserhalb");
        QTest::newRow("integer max") << "StartNr" << QVariant(2147483647LL) << QString();
        QTest::newRow("integer over")
            << "StartNr" << QVariant(2147483648LL)
            << QStringLiteral("„StartNr“ (Tabelle Team) liegt ausserhalb");
        QTest::newRow("boolean 2")
            << "Zusatzspiel" << QVariant(2) << QStringLiteral("„Zusatzspiel“ (Tabelle Team)");
        QTest::newRow("text into integer")
            << "StartNr" << QVariant(QStringLiteral("abc")) << QStringLiteral("Team.StartNr");
    }

    void typedValues()
    {
        QFETCH(QString, column);
        QFETCH(QVariant, value);
        QFETCH(QString, error);
        const QString message = insertTeam(column, value);
        if (error.isEmpty())
            QCOMPARE(message, QString());
        else
            QVERIFY2(message.contains(error), qPrintable(message));
        // A refused value is never cut to fit: it leaves no row at all.
        Statement rows(m_db, QStringLiteral("SELECT count(*) FROM Team"));
        QVERIFY(rows.next());
        QCOMPARE(rows.integer(0), error.isEmpty() ? 1 : 0);
    }

    void textRoundTripsWindows1252AndWiderUnicode()
    {
        // The printable characters of Windows-1252 beyond ASCII, and some that it lacks.
        QString cp1252 = QStringLiteral("€‚ƒ„…†‡ˆ‰Š‹ŒŽ‘’“”•–—˜™š›œžŸ");
        for (char16_t c = 0xA0; c <= 0xFF; ++c)
            cp1252 += QChar(c);
        const QStringList texts{cp1252.left(50), cp1252.mid(50, 50), cp1252.mid(100),
                                QStringLiteral("Ω 🐕 ✓ 日本")};
        for (const QString &text : texts) {
            Statement insert(m_db, QStringLiteral("INSERT INTO Posten (PostenBez) VALUES (:t)"));
            insert.bind("t", text);
            insert.exec();
            Statement read(m_db,
                           QStringLiteral("SELECT PostenBez FROM Posten WHERE PostenNr = :n"));
            read.bind("n", m_db.lastInsertId());
            QVERIFY(read.next());
            QCOMPARE(read.text(0), text);
        }
    }

    void parametersAndErrors()
    {
        Statement s(m_db,
                    QStringList{QStringLiteral("SELECT :AnlassNr + 1 AS x"), QStringLiteral("")});
        s.bind("AnlassNr", 41);
        QVERIFY(s.next());
        QCOMPARE(s.integer("x"), 42);
        QVERIFY_THROWS_EXCEPTION(DatabaseError, s.bind("KatNr", 1));
        try {
            Statement bad(m_db, QStringLiteral("SELECT * FROM NoSuchTable"));
            QFAIL("no error for a missing table");
        } catch (const DatabaseError &e) {
            QVERIFY(e.message().contains(QStringLiteral("no such table")));
        }
        // Re-running returns current data.
        Statement count(m_db, QStringLiteral("SELECT count(*) FROM Kategorie"));
        QVERIFY(count.next());
        QCOMPARE(count.integer(0), 0);
        m_db.exec(QStringLiteral("INSERT INTO Kategorie (KatBez) VALUES ('A')"));
        count.reset();
        QVERIFY(count.next());
        QCOMPARE(count.integer(0), 1);
    }

    void transactionsAreAllOrNothing()
    {
        try {
            Transaction t(m_db);
            m_db.exec(QStringLiteral("INSERT INTO Kategorie (KatBez) VALUES ('kept?')"));
            m_db.exec(QStringLiteral("INSERT INTO Team (Name) VALUES ('x')"));
            {
                Transaction inner(m_db);
                m_db.exec(QStringLiteral("INSERT INTO Posten (PostenBez) VALUES ('inner')"));
                inner.commit();
            }
            m_db.exec(QStringLiteral("INSERT INTO Kategorie (KatBez) VALUES ('%1')")
                          .arg(QString(21, QLatin1Char('z'))));
            t.commit();
            QFAIL("the too long name was accepted");
        } catch (const DatabaseError &) { }
        for (const char *table : {"Kategorie", "Team", "Posten"}) {
            Statement s(m_db, QStringLiteral("SELECT count(*) FROM ") + QLatin1String(table));
            QVERIFY(s.next());
            QCOMPARE(s.integer(0), 0);
        }
        {
            Transaction t(m_db);
            m_db.exec(QStringLiteral("INSERT INTO Kategorie (KatBez) VALUES ('A')"));
            t.commit();
        }
        Statement s(m_db, QStringLiteral("SELECT count(*) FROM Kategorie"));
        QVERIFY(s.next());
        QCOMPARE(s.integer(0), 1);
    }

    // A change undone must not touch the files at all: a tool that only reads relies on
    // that, and a committed empty transaction would still rewrite each file's header.
    void rolledBackTransactionLeavesFilesByteIdentical()
    {
        m_db.exec(QStringLiteral("INSERT INTO Team (Name) VALUES ('before')"));
        const auto contents = [this] {
            QByteArray all;
            for (const QString &f :
                 QDir(m_dir.path()).entryList({QStringLiteral("*.dat")}, QDir::Files)) {
                QFile file(m_dir.filePath(f));
                all += file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("unreadable");
            }
            return all;
        };
        const QByteArray before = contents();
        {
            Transaction t(m_db);
            m_db.exec(QStringLiteral("UPDATE Team SET Name = 'changed'"));
            m_db.exec(QStringLiteral("INSERT INTO Kategorie (KatBez) VALUES ('K')"));
            {
                Transaction inner(m_db);
                m_db.exec(QStringLiteral("INSERT INTO Posten (PostenBez) VALUES ('P')"));
            }
            Statement kept(m_db, QStringLiteral("SELECT count(*) FROM Kategorie"));
            QVERIFY(kept.next());
            QCOMPARE(kept.integer(0), 1); // the inner rollback left the outer change
        }
        QCOMPARE(contents(), before);
    }

    // The live board's connection: it sees what others commit, and neither a statement nor
    // a transaction of its own changes a byte of the files.
    void readOnlyConnectionReadsButNeverWrites()
    {
        m_db.exec(QStringLiteral("INSERT INTO Team (Name) VALUES ('Amsel')"));
        const auto contents = [this] {
            QByteArray all;
            for (const QFileInfo &f : QDir(m_dir.path()).entryInfoList(QDir::Files)) {
                QFile file(f.filePath());
                all +=
                    f.fileName().toUtf8() + (file.open(QIODevice::ReadOnly) ? file.readAll() : "");
            }
            return all;
        };
        const QByteArray before = contents();
        Database reader;
        reader.openReadOnly(m_dir.path());
        QVERIFY(reader.isReadOnly());
        const auto teams = [&reader] {
            Statement s(reader, QStringLiteral("SELECT count(*) FROM Team"));
            return s.next() ? s.integer(0) : -1;
        };
        {
            Transaction read(reader);
            QCOMPARE(teams(), 1);
            read.commit();
        }
        for (const char *sql : {"INSERT INTO Team (Name) VALUES ('Buch')", "DELETE FROM Rang",
                                "CREATE TEMP TABLE scratch (x)"}) {
            try {
                reader.exec(QLatin1String(sql));
                QFAIL(sql);
            } catch (const DatabaseError &) { }
        }
        QCOMPARE(contents(), before);
        m_db.exec(QStringLiteral("INSERT INTO Team (Name) VALUES ('Buch')"));
        QCOMPARE(teams(), 2);
    }

    void failedOpens_data()
    {
        QTest::addColumn<QString>("damage");
        QTest::addColumn<QString>("reason");
        QTest::newRow("missing table file") << "remove" << QStringLiteral("Die Tabelle Rang fehlt");
        QTest::newRow("text file") << "text" << QStringLiteral("Rang.dat");
        QTest::newRow("foreign SQLite file")
            << "foreign" << QStringLiteral("keine Velunda-Tabelle");
        QTest::newRow("empty file") << "empty" << QStringLiteral("keine Velunda-Tabelle");
    }

    void failedOpens()
    {
        QFETCH(QString, damage);
        QFETCH(QString, reason);
        m_db.close();
        const QString rang = m_dir.filePath(QStringLiteral("Rang.dat"));
        QFile::remove(rang);
        if (damage == QLatin1String("text")) {
            QFile f(rang);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(QByteArray(4096, 'x'));
        } else if (damage == QLatin1String("empty")) {
            QFile f(rang);
            QVERIFY(f.open(QIODevice::WriteOnly));
        } else if (damage == QLatin1String("foreign")) {
            // Someone else's SQLite file that happens to hold a table of that name.
            sqlite3 *handle = nullptr;
            QCOMPARE(sqlite3_open(rang.toUtf8().constData(), &handle), SQLITE_OK);
            QCOMPARE(sqlite3_exec(handle, "CREATE TABLE Rang (x)", nullptr, nullptr, nullptr),
                     SQLITE_OK);
            sqlite3_close(handle);
        }
        try {
            m_db.open(m_dir.path());
            QFAIL("opened a damaged database");
        } catch (const DatabaseError &e) {
            QVERIFY2(e.message().contains(reason), qPrintable(e.message()));
        }
        QVERIFY(!m_db.isOpen());
        // Opening never creates a file.
        QCOMPARE(QFile::exists(rang), damage != QLatin1String("remove"));
    }
};

QTEST_GUILESS_MAIN(TestDatabaseEngine)
#include "tst_database.moc"
