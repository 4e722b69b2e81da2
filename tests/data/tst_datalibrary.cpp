#include "data/DataLibrary.h"
#include "support/TestDatabase.h"

#include <QDir>
#include <QFile>
#include <QTest>

class TestDataLibrary : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void calcRangberechnung_data()
    {
        QTest::addColumn<QString>("method");
        QTest::addColumn<int>("punkteSort");
        QTest::addColumn<int>("zeitSort");
        QTest::addColumn<QString>("text");
        QTest::newRow("points down") << "Nach Punkten" << 1 << 2 << "Nach Punkten (absteigend)";
        QTest::newRow("points up") << "Nach Punkten" << 2 << 1 << "Nach Punkten (aufsteigend)";
        QTest::newRow("points never set")
            << "Nach Punkten" << 0 << 0 << "Nach Punkten (aufsteigend)";
        QTest::newRow("time down") << "Nach Zeit" << 2 << 1 << "Nach Zeit (absteigend)";
        QTest::newRow("time up") << "Nach Zeit" << 1 << 2 << "Nach Zeit (aufsteigend)";
        QTest::newRow("points/time ab/auf")
            << "Punkte/Zeit" << 1 << 2 << "Punkte/Zeit (Punkte ab/Zeit auf)";
        QTest::newRow("points/time auf/ab")
            << "Punkte/Zeit" << 2 << 1 << "Punkte/Zeit (Punkte auf/Zeit ab)";
        QTest::newRow("points/time unset")
            << "Punkte/Zeit" << 0 << 0 << "Punkte/Zeit (Punkte auf/Zeit auf)";
        QTest::newRow("time/points ab/ab")
            << "Zeit/Punkte" << 1 << 1 << "Zeit/Punkte (Zeit ab/Punkte ab)";
        QTest::newRow("time/points auf/ab")
            << "Zeit/Punkte" << 1 << 2 << "Zeit/Punkte (Zeit auf/Punkte ab)";
        QTest::newRow("unknown") << "Nach Lust" << 1 << 1 << "Nach Lust";
        QTest::newRow("case matters") << "nach punkten" << 1 << 1 << "nach punkten";
        QTest::newRow("empty") << "" << 1 << 1 << "";
    }

    void calcRangberechnung()
    {
        QFETCH(QString, method);
        QFETCH(int, punkteSort);
        QFETCH(int, zeitSort);
        QFETCH(QString, text);
        QCOMPARE(DataLibrary::CalcRangberechnung(method, punkteSort, zeitSort), text);
    }

    void calcFullNameAndYesNo()
    {
        QCOMPARE(DataLibrary::CalcFullName(QStringLiteral("Muster"), QStringLiteral("Anna")),
                 QStringLiteral("Muster Anna"));
        QCOMPARE(DataLibrary::CalcFullName(QStringLiteral("Wirbelwinde"), QString()),
                 QStringLiteral("Wirbelwinde "));
        QCOMPARE(
            DataLibrary::CalcFullName(QString(50, QLatin1Char('n')), QString(25, QLatin1Char('v')))
                .size(),
            75);
        QCOMPARE(DataLibrary::YesNoText(true), QStringLiteral("Ja"));
        QCOMPARE(DataLibrary::YesNoText(false), QStringLiteral("Nein"));
    }

    void databaseDirectoryFallsBackSilently()
    {
        TestDatabase t;
        QTemporaryDir other;
        // A directory without the event table, or none at all, means the program's own.
        QCOMPARE(t.data.ChooseDatabaseDirectory(other.path()), t.databaseDir());
        QCOMPARE(t.data.ChooseDatabaseDirectory(other.filePath(QStringLiteral("nope"))),
                 t.databaseDir());
        QCOMPARE(t.data.ChooseDatabaseDirectory(QString()), t.databaseDir());
        // A directory that holds "Anlass.dat" is used even when other tables are missing;
        // the open then fails and says why.
        QVERIFY(QFile::copy(QDir(t.databaseDir()).filePath(QStringLiteral("Anlass.dat")),
                            other.filePath(QStringLiteral("Anlass.dat"))));
        QCOMPARE(t.data.ChooseDatabaseDirectory(other.path()), other.path());
        t.data.OpenDatabase(other.path());
        QVERIFY(!t.data.databaseOpen());
        QVERIFY(t.data.lastOpenError().contains(QStringLiteral("fehlt")));
        t.data.OpenDatabase(QStringLiteral("/does/not/exist"));
        QVERIFY(t.data.databaseOpen());
        QCOMPARE(t.data.openedDirectory(), QDir(t.databaseDir()).absolutePath());
    }

    void participantListFields()
    {
        TestDatabase t;
        const int kat = t.addCategory(QStringLiteral("Senioren"));
        const int p1 = t.addPost(QStringLiteral("Slalom"), 2);
        const int p2 = t.addPost(QStringLiteral("Tunnel"), 1);
        const int event = t.addEvent(QStringLiteral("Sommerplausch"), QStringLiteral("Punkte/Zeit"),
                                     1, 2, true, 3, true, QStringLiteral("Plausch"));
        const int other = t.addEvent(QStringLiteral("Herbst"));
        const int anna = t.addTeam(QStringLiteral("Muster"), QStringLiteral("Anna"), kat, false);
        const int beat = t.addTeam(QStringLiteral("Beispiel"), QStringLiteral("Beat"), kat, true);
        const int cleo = t.addTeam(QStringLiteral("Cavelti"), QStringLiteral("Cleo"), 0, false);
        const int group = t.addGroup(QStringLiteral("Wirbelwinde"), kat, false);
        t.addMember(group, beat);
        t.addMember(group, cleo);
        t.addEntry(event, anna, 2, false, 0, true);
        t.addEntry(event, group, 1, true);
        t.addEntry(event, beat, 5, false, group, true, true);
        t.addEntry(event, cleo, 6, false, group, true, true);
        t.addResult(event, p1, anna, 6, 10.5, 2, 1);
        t.addResult(event, p2, anna, 4, 20, 0, 0);
        t.addResult(event, p1, beat, 8, 11, 1.5, 3);
        t.addResult(event, p2, cleo, 3, 9, 0, 0);
        t.addResult(other, p1, anna, 100, 100, 100, 100); // another event's results never count
        t.data.CurrentAnlassNr = event;

        const QList<ParticipantRow> rows = t.data.ParticipantList(event);
        QCOMPARE(rows.size(), 2); // member entries are not listed
        const ParticipantRow &g = rows.at(0);
        const ParticipantRow &a = rows.at(1);
        QCOMPARE(g.TeamNr, group);
        QCOMPARE(g.StartNr, 1);
        QCOMPARE(g.CalcFullName, QStringLiteral("Wirbelwinde "));
        QCOMPARE(g.CalcTyp, 2);
        QVERIFY(g.IsGroup);
        QCOMPARE(g.CalcSumOfPoints, 11.0);
        QCOMPARE(g.CalcSumOfTime, 20.0);
        QCOMPARE(g.CalcSumOfPointsAdd, 1.5);
        QCOMPARE(g.CalcZusatz, QStringLiteral("Ja")); // through its member Beat
        QCOMPARE(g.CalcAbgeschlossen, QStringLiteral("Nein"));
        QCOMPARE(a.CalcFullName, QStringLiteral("Muster Anna"));
        QCOMPARE(a.CalcKategorie, QStringLiteral("Senioren"));
        QCOMPARE(a.CalcSumOfPoints, 10.0);
        QCOMPARE(a.CalcSumOfTime, 30.5);
        QCOMPARE(a.CalcSumOfPointsAdd, 2.0);
        QCOMPARE(a.CalcSumOfTimeAdd, 1.0);
        QCOMPARE(a.CalcZusatz, QStringLiteral("Nein"));
        QCOMPARE(a.CalcAbgeschlossen, QStringLiteral("Ja"));
        QCOMPARE(a.CalcGedruckt, QStringLiteral("Nein"));
        QCOMPARE(a.CalcZusatzGedruckt, QStringLiteral("Nein"));
        QCOMPARE(a.Verein, QStringLiteral("HC Test"));
        // The list's totals are those the single totals give.
        for (const ParticipantRow &r : rows) {
            QCOMPARE(r.CalcSumOfPoints, t.data.TotalPoints(r.TeamNr, r.IsGroup, false));
            QCOMPARE(r.CalcSumOfTime, t.data.TotalTime(r.TeamNr, r.IsGroup, false));
            QCOMPARE(r.CalcSumOfPointsAdd, t.data.TotalPoints(r.TeamNr, r.IsGroup, true));
            QCOMPARE(r.CalcSumOfTimeAdd, t.data.TotalTime(r.TeamNr, r.IsGroup, true));
        }
        QVERIFY(t.data.ParticipantList(0).isEmpty());
        // Finished, unprinted per category: Anna and both finished members.
        QCOMPARE(t.data.NumberOfTeams(event, kat, false), 2);
        QCOMPARE(t.data.NumberOfTeams(event, kat, true), 1);
    }

    void totals()
    {
        TestDatabase t;
        const int p1 = t.addPost(QStringLiteral("A"), 2);
        const int p2 = t.addPost(QStringLiteral("B"), 2);
        const int event = t.addEvent(QStringLiteral("E"));
        const int other = t.addEvent(QStringLiteral("F"));
        const int team = t.addTeam(QStringLiteral("T"), QStringLiteral("t"), 0);
        const int bare = t.addTeam(QStringLiteral("U"), QStringLiteral("u"), 0);
        const int elsewhere = t.addTeam(QStringLiteral("V"), QStringLiteral("v"), 0);
        const int group = t.addGroup(QStringLiteral("G"), 0);
        const int empty = t.addGroup(QStringLiteral("H"), 0);
        const int far = t.addGroup(QStringLiteral("I"), 0);
        t.addMember(group, team);
        t.addMember(far, elsewhere);
        // Entered points 3 and 4 at factor 2 are stored as 6 and 8.
        t.addResult(event, p1, team, 6, 1.5);
        t.addResult(event, p2, team, 8, 2.25);
        t.addResult(other, p1, elsewhere, 5, 5);
        t.data.CurrentAnlassNr = event;
        QCOMPARE(t.data.TotalPoints(team, false, false), 14.0);
        QCOMPARE(t.data.TotalTime(team, false, false), 3.75);
        QCOMPARE(t.data.TotalPoints(bare, false, false), 0.0);
        QCOMPARE(t.data.TotalTime(bare, false, true), 0.0);
        QCOMPARE(t.data.TotalPoints(group, true, false), 14.0);
        QCOMPARE(t.data.TotalPoints(empty, true, false), 0.0);
        QCOMPARE(t.data.TotalPoints(far, true, false), 0.0); // members' results only elsewhere
    }

    void nextStartNr()
    {
        TestDatabase t;
        const int event = t.addEvent(QStringLiteral("E"));
        t.data.CurrentAnlassNr = event;
        QCOMPARE(t.data.NextStartNr(), 1);
        t.addEntry(event, t.addTeam(QStringLiteral("A"), QStringLiteral("a"), 0), 7);
        t.addEntry(event, t.addTeam(QStringLiteral("B"), QStringLiteral("b"), 0), 2);
        const int g = t.addGroup(QStringLiteral("G"), 0);
        t.addEntry(event, t.addTeam(QStringLiteral("C"), QStringLiteral("c"), 0), 3, false, g);
        QCOMPARE(t.data.NextStartNr(), 8);
    }

    void isTeamInUse()
    {
        TestDatabase t;
        const int post = t.addPost(QStringLiteral("P"));
        int events[6] = {};
        for (int i = 1; i <= 5; ++i)
            events[i] = t.addEvent(QStringLiteral("Anlass %1").arg(i));
        const int both = t.addTeam(QStringLiteral("Both"), QStringLiteral("b"), 0);
        const int resultsOnly = t.addTeam(QStringLiteral("Results"), QStringLiteral("r"), 0);
        const int groupOnly = t.addTeam(QStringLiteral("Member"), QStringLiteral("m"), 0);
        const int enteredOnly = t.addTeam(QStringLiteral("Entered"), QStringLiteral("e"), 0);
        const int free = t.addTeam(QStringLiteral("Free"), QStringLiteral("f"), 0);
        int groups[3] = {};
        for (int i = 0; i < 3; ++i)
            groups[i] = t.addGroup(QStringLiteral("Gruppe %1").arg(i), 0);
        t.addResult(events[5], post, both, 1, 1);
        t.addResult(events[3], post, both, 1, 1);
        t.addMember(groups[2], both);
        t.addMember(groups[1], both);
        t.addResult(events[2], post, resultsOnly, 0, 0);
        t.addMember(groups[0], groupOnly);
        t.addEntry(events[4], enteredOnly);

        const auto check = [&t](int team, bool inUse, const QString &text) {
            QString description = QStringLiteral("stale");
            QCOMPARE(t.data.IsTeamInUse(team, description), inUse);
            QCOMPARE(description, text);
        };
        check(both, true, QStringLiteral("[Anlass 3, Gruppe 1]"));
        check(resultsOnly, true, QStringLiteral("[Anlass 2]"));
        check(groupOnly, true, QStringLiteral("[Gruppe 0]"));
        // An entry without results still holds the team: deleting it would orphan the entry.
        check(enteredOnly, true, QStringLiteral("[Anlass 4]"));
        check(free, false, QString());
        QCOMPARE(t.data.EventNameOf(events[1]), QStringLiteral("Anlass 1"));
        QCOMPARE(t.data.EventNameOf(999), QString());
        QCOMPARE(t.data.TeamNameOf(groups[2]), QStringLiteral("Gruppe 2"));
        QCOMPARE(t.data.TeamNameOf(999), QString());
    }
};

QTEST_GUILESS_MAIN(TestDataLibrary)
#include "tst_datalibrary.moc"
