#include "engine/Statement.h"
#include "participants/TeamOverview.h"
#include "support/TestDatabase.h"

#include <QTest>

namespace {

// Teams Aebi, Brun, Caduff, Dürr and a group "Wirbel" of Brun and Caduff, entered in the
// event "Herbst" together with Aebi; Dürr is entered nowhere.
struct Fixture
{
    TestDatabase t;
    int kat = 0, post = 0;
    int event = 0, spring = 0;
    int aebi = 0, brun = 0, caduff = 0, duerr = 0, group = 0;

    Fixture()
    {
        kat = t.addCategory(QStringLiteral("Senioren"));
        post = t.addPost(QStringLiteral("Slalom"));
        spring = t.addEvent(QStringLiteral("Frühling"));
        event = t.addEvent(QStringLiteral("Herbst"));
        aebi = t.addTeam(QStringLiteral("Aebi"), QStringLiteral("Alma"), kat, false, 1);
        brun = t.addTeam(QStringLiteral("Brun"), QStringLiteral("Beat"), kat, false, 2);
        caduff = t.addTeam(QStringLiteral("Caduff"), QStringLiteral("Cla"), kat, false, 2);
        duerr = t.addTeam(QStringLiteral("Dürr"), QStringLiteral("Dora"), kat, false, 0);
        group = t.addGroup(QStringLiteral("Wirbel"), kat, false, 2);
        t.addMember(group, brun);
        t.addMember(group, caduff);
        t.addEntry(event, aebi, 1);
        t.addEntry(event, group, 2, true);
        t.addEntry(event, brun, 2, false, group, true, true);
        t.addEntry(event, caduff, 2, false, group, true, true);
        t.open(event);
    }

    QStringList names(const TeamOverview &o) const
    {
        QStringList result;
        for (const OverviewRow &r : o.rows())
            result << r.Name;
        return result;
    }
    OverviewRow row(TeamOverview &o, int teamNr)
    {
        o.Reload();
        return o.rows().at(o.indexOf(teamNr));
    }
};

} // namespace

class TestTeamOverview : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void deletingIsRefusedWhileTheTeamIsInUse_data()
    {
        QTest::addColumn<QString>("setup");
        QTest::addColumn<QString>("refusal"); // empty: deleted
        QTest::newRow("results in an event")
            << QStringLiteral("results")
            << QStringLiteral("Dora Dürr wird noch in [Frühling] verwendet und kann nicht "
                              "gelöscht werden.");
        QTest::newRow("entry without results")
            << QStringLiteral("entry")
            << QStringLiteral("Dora Dürr wird noch in [Herbst] verwendet und kann nicht "
                              "gelöscht werden.");
        QTest::newRow("member of a group")
            << QStringLiteral("member")
            << QStringLiteral("Dora Dürr wird noch in [Wirbel] verwendet und kann nicht "
                              "gelöscht werden.");
        QTest::newRow("both") << QStringLiteral("results member")
                              << QStringLiteral(
                                     "Dora Dürr wird noch in [Frühling, Wirbel] verwendet und kann "
                                     "nicht gelöscht werden.");
        QTest::newRow("not in use") << QString() << QString();
    }

    void deletingIsRefusedWhileTheTeamIsInUse()
    {
        QFETCH(QString, setup);
        QFETCH(QString, refusal);
        Fixture f;
        if (setup.contains(QLatin1String("results")))
            f.t.addResult(f.spring, f.post, f.duerr, 5, 10);
        if (setup.contains(QLatin1String("entry")))
            f.t.addEntry(f.event, f.duerr, 9);
        if (setup.contains(QLatin1String("member")))
            f.t.addMember(f.group, f.duerr);
        TeamOverview o(*f.t.competition);
        const OverviewRow row = f.row(o, f.duerr);

        f.t.ui.answers = {false};
        QVERIFY(!o.DeleteTeam(row));
        QVERIFY(f.t.data.ReadTeam(f.duerr));

        f.t.ui.answers = {true};
        QCOMPARE(o.DeleteTeam(row), refusal.isEmpty());
        QCOMPARE(bool(f.t.data.ReadTeam(f.duerr)), !refusal.isEmpty());
        QCOMPARE(f.t.ui.texts(QStringLiteral("yesno")).last(),
                 QStringLiteral("Wollen Sie den Eintrag [Dora Dürr] wirklich löschen?"));
        QCOMPARE(f.t.ui.texts(QStringLiteral("information")),
                 refusal.isEmpty() ? QStringList() : QStringList{refusal});
        QCOMPARE(o.indexOf(f.duerr) < 0, refusal.isEmpty());
    }

    void positioningByNameFollowsTheNameOrder_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("expected");
        QTest::newRow("first letters") << QStringLiteral("Ca") << QStringLiteral("Caduff");
        QTest::newRow("lower case") << QStringLiteral("br") << QStringLiteral("Brun");
        QTest::newRow("between names") << QStringLiteral("Bz") << QStringLiteral("Caduff");
        QTest::newRow("umlaut beside its letter") << QStringLiteral("Du") << QStringLiteral("Dürr");
        QTest::newRow("after every name") << QStringLiteral("Zz") << QStringLiteral("Wirbel");
        QTest::newRow("empty") << QString() << QStringLiteral("Aebi");
    }

    void positioningByNameFollowsTheNameOrder()
    {
        QFETCH(QString, typed);
        QFETCH(QString, expected);
        Fixture f;
        TeamOverview o(*f.t.competition);
        o.Reload();
        const int index = o.PositionByName(typed);
        QVERIFY(index >= 0);
        QCOMPARE(o.rows().at(index).Name, expected);
        o.SetEventListShown(true);
        QCOMPARE(o.PositionByName(typed), -1);
    }

    void eachListKeepsItsOwnKindFilter()
    {
        Fixture f;
        TeamOverview o(*f.t.competition);
        o.Reload();
        QCOMPARE(
            f.names(o),
            (QStringList{QStringLiteral("Aebi"), QStringLiteral("Brun"), QStringLiteral("Caduff"),
                         QStringLiteral("Dürr"), QStringLiteral("Wirbel")}));
        o.SetKindFilter(1);
        QCOMPARE(o.rows().size(), 4);
        // The event list comes unfiltered: members among the teams, the group last.
        o.SetEventListShown(true);
        QCOMPARE(o.kindFilter(), 0);
        QCOMPARE(f.names(o),
                 (QStringList{QStringLiteral("Aebi"), QStringLiteral("Brun"),
                              QStringLiteral("Caduff"), QStringLiteral("Wirbel")}));
        o.SetKindFilter(2);
        QCOMPARE(f.names(o), QStringList{QStringLiteral("Wirbel")});
        o.SetEventListShown(false);
        QCOMPARE(o.kindFilter(), 1);
        QCOMPARE(o.rows().size(), 4);
        QVERIFY(o.indexOf(f.group) < 0);
        o.SetEventListShown(true);
        QCOMPARE(o.kindFilter(), 2);
    }

    void insertCommandsEnterTeamsAndReport()
    {
        Fixture f;
        TeamOverview o(*f.t.competition);

        // Dürr has no standing number: the next free one of the event, reported.
        QVERIFY(o.InsertWithStartNr(f.row(o, f.duerr)));
        QCOMPARE(o.message,
                 QStringLiteral("Dora Dürr wurde mit Startnummer 3 in den Anlass eingefügt."));
        QCOMPARE(f.t.data.ReadEntry(f.event, f.duerr)->StartNr, 3);
        QCOMPARE(f.t.data.ReadTeam(f.duerr)->StartNr, 3);
        QCOMPARE(o.rows().at(o.indexOf(f.duerr)).StartNr, 3); // the list is re-read
        QVERIFY(f.t.competition->participantIndex(f.duerr) >= 0);

        // Entered already: the standing number is copied into the entry again, nothing else.
        f.t.db().exec(QStringLiteral("UPDATE Team SET StartNr = 17 WHERE TeamNr = %1").arg(f.aebi));
        QVERIFY(o.InsertWithStartNr(f.row(o, f.aebi)));
        QCOMPARE(o.message,
                 QStringLiteral("Alma Aebi wurde mit Startnummer 17 in den Anlass eingefügt."));
        QCOMPARE(f.t.data.ReadEntry(f.event, f.aebi)->StartNr, 17);
        QCOMPARE(f.t.count(QStringLiteral("SELECT count(*) FROM TeamsProAnlass WHERE AnlassNr = "
                                          "%1 AND TeamNr = %2")
                               .arg(f.event)
                               .arg(f.aebi)),
                 qint64(1));

        // Without start number: entered by the usual rules, reported without a number.
        f.t.open(f.spring);
        QVERIFY(o.InsertWithoutStartNr(f.row(o, f.brun)));
        QCOMPARE(o.message, QStringLiteral("Beat Brun wurde in den Anlass eingefügt."));
        QCOMPARE(f.t.data.ReadEntry(f.spring, f.brun)->StartNr, 2);

        // A group row is ignored by both, and the line keeps its text.
        const OverviewRow group = f.row(o, f.group);
        QVERIFY(!o.InsertWithStartNr(group));
        QVERIFY(!o.InsertWithoutStartNr(group));
        QVERIFY(!f.t.data.ReadEntry(f.spring, f.group));
        QCOMPARE(o.message, QStringLiteral("Beat Brun wurde in den Anlass eingefügt."));
    }

    void enteringARowTakesAGroupWithItsMembers()
    {
        Fixture f;
        f.t.open(f.spring);
        TeamOverview o(*f.t.competition);
        o.EnterRow(f.row(o, f.group), true);
        const std::optional<EntryRow> groupEntry = f.t.data.ReadEntry(f.spring, f.group);
        QVERIFY(groupEntry && groupEntry->IsGroup);
        for (int member : {f.brun, f.caduff}) {
            const std::optional<EntryRow> entry = f.t.data.ReadEntry(f.spring, member);
            QVERIFY(entry);
            QCOMPARE(entry->GroupNr, f.group);
        }
        // Result rows belong to the members, never to the group itself.
        QCOMPARE(
            f.t.count(
                QStringLiteral("SELECT count(*) FROM Parcours WHERE AnlassNr = %1").arg(f.spring)),
            qint64(2));
        const qsizetype printed = f.t.ui.printed.size();
        QVERIFY(printed > 0);

        o.EnterRow(f.row(o, f.duerr), false);
        QVERIFY(!f.t.data.ReadEntry(f.spring, f.duerr)->IsGroup);
        QCOMPARE(f.t.ui.printed.size(), printed);
    }

    void selectionCollectsEachTeamOnce()
    {
        QStringList selection{QStringLiteral("12")};
        TeamOverview::CollectSelection({7, 12, 7, 3}, selection);
        QCOMPARE(selection,
                 (QStringList{QStringLiteral("12"), QStringLiteral("3"), QStringLiteral("7")}));
    }

    void showingResetsWhatAShowingResets()
    {
        Fixture f;
        f.t.db().exec(QStringLiteral("UPDATE Team SET RandomNum = 4711"));
        TeamOverview o(*f.t.competition);
        o.SetKindFilter(2);
        o.SetEventListShown(true);
        o.message = QStringLiteral("alt");
        o.FormShow();
        QCOMPARE(f.t.count(QStringLiteral("SELECT count(*) FROM Team WHERE RandomNum <> 0")),
                 qint64(0));
        QVERIFY(!o.eventListShown());
        QVERIFY(o.message.isEmpty());
        QCOMPARE(o.kindFilter(), 2); // the filter is not reset
        QCOMPARE(o.rows().size(), 1);
    }
};

QTEST_GUILESS_MAIN(TestTeamOverview)
#include "tst_teamoverview.moc"
