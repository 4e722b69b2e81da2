#include "app/Competition.h"
#include "data/DataLibrary.h"
#include "event/EventEditor.h"
#include "support/TestDatabase.h"

#include <QTest>

namespace {

const QString NameOrMethod =
    QStringLiteral("Geben Sie bitte einen Namen und/oder eine Rangberechnung ein.");
const QString TeamCountMissing =
    QStringLiteral("Sie lassen die Ränge nach einer bestimmten Anzahl Teams automatisch berechnen. "
                   "Geben Sie deshalb bitte auch die Anzahl Teams an.");
const QString ClearQuestion = QStringLiteral(
    "Wollen Sie wirklich die Startnummer der Teams dieses Anlasses auf Null setzen?");

EventInput valid()
{
    EventInput in;
    in.AnlassBez = QStringLiteral("Sommerplausch");
    in.Rangberechnung = QStringLiteral("Punkte/Zeit");
    in.PunkteSort = 1;
    in.ZeitSort = 2;
    return in;
}

} // namespace

class TestEventEditor : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void validation_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("method");
        QTest::addColumn<bool>("autoRank");
        QTest::addColumn<QString>("teams");
        QTest::addColumn<QString>("message"); // empty: saved

        const QString countRefused =
            QStringLiteral("Geben Sie bitte bei \"Nach Anzahl abgeschlossenen Teams:\" eine ganze "
                           "Zahl von 0 bis 32767 ein.");
        QTest::newRow("blank name") << "   "
                                    << "Nach Zeit" << false << "" << NameOrMethod;
        QTest::newRow("no method") << "Plausch"
                                   << "" << false << "" << NameOrMethod;
        // The name check comes before the number of teams.
        QTest::newRow("blank name and count") << ""
                                              << "Nach Zeit" << true << "" << NameOrMethod;
        QTest::newRow("auto, empty count") << "Plausch"
                                           << "Nach Zeit" << true << " " << TeamCountMissing;
        QTest::newRow("auto, zero") << "Plausch"
                                    << "Nach Zeit" << true << "0" << TeamCountMissing;
        QTest::newRow("auto, 00") << "Plausch"
                                  << "Nach Zeit" << true << "00" << TeamCountMissing;
        QTest::newRow("auto, one") << "Plausch"
                                   << "Nach Zeit" << true << "1"
                                   << "";
        QTest::newRow("not auto, zero kept") << "Plausch"
                                             << "Nach Zeit" << false << "0"
                                             << "";
        QTest::newRow("not auto, any count kept") << "Plausch"
                                                  << "Nach Zeit" << false << "12"
                                                  << "";
        QTest::newRow("text") << "Plausch"
                              << "Nach Zeit" << true << "zwölf" << countRefused;
        QTest::newRow("text when not auto") << "Plausch"
                                            << "Nach Zeit" << false << "x" << countRefused;
        QTest::newRow("beyond the column") << "Plausch"
                                           << "Nach Zeit" << true << "70000" << countRefused;
        QTest::newRow("negative") << "Plausch"
                                  << "Nach Zeit" << true << "-3" << countRefused;
    }

    void validation()
    {
        QFETCH(QString, name);
        QFETCH(QString, method);
        QFETCH(bool, autoRank);
        QFETCH(QString, teams);
        QFETCH(QString, message);
        TestDatabase t;
        EventEditor editor(*t.competition);
        editor.FormShow();
        EventInput in = valid();
        in.AnlassBez = name;
        in.Rangberechnung = method;
        in.AutoRangBerechnung = autoRank;
        in.RangBerNachTeams = teams;
        in.clearStartNumbers = false;
        QCOMPARE(editor.SaveBtnClick(in), message.isEmpty());
        QCOMPARE(t.ui.texts(), message.isEmpty() ? QStringList() : QStringList{message});
        QCOMPARE(t.count(QStringLiteral("SELECT count(*) FROM Anlass")), message.isEmpty() ? 1 : 0);
        if (message.isEmpty())
            QCOMPARE(t.data.ReadEvent(t.competition->CurrentAnlassNr())->RangBerNachTeams,
                     teams.toInt());
    }

    void sortDirectionsTheMethodUsesMustBeChosen_data()
    {
        QTest::addColumn<QString>("method");
        QTest::addColumn<int>("punkteSort");
        QTest::addColumn<int>("zeitSort");
        QTest::addColumn<QString>("missing"); // empty: saved

        QTest::newRow("both chosen") << "Punkte/Zeit" << 1 << 2 << "";
        QTest::newRow("none chosen")
            << "Zeit/Punkte" << 0 << 0 << "\"Punktesortierung\" und \"Zeitsortierung\"";
        QTest::newRow("points missing") << "Punkte/Zeit" << 0 << 2 << "\"Punktesortierung\"";
        QTest::newRow("time missing") << "Punkte/Zeit" << 1 << 0 << "\"Zeitsortierung\"";
        QTest::newRow("by time, points unused") << "Nach Zeit" << 0 << 1 << "";
        QTest::newRow("by points, time unused") << "Nach Punkten" << 2 << 0 << "";
        QTest::newRow("by points, none") << "Nach Punkten" << 0 << 0 << "\"Punktesortierung\"";
    }

    void sortDirectionsTheMethodUsesMustBeChosen()
    {
        QFETCH(QString, method);
        QFETCH(int, punkteSort);
        QFETCH(int, zeitSort);
        QFETCH(QString, missing);
        TestDatabase t;
        EventEditor editor(*t.competition);
        editor.FormShow();
        EventInput in = valid();
        in.Rangberechnung = method;
        in.PunkteSort = punkteSort;
        in.ZeitSort = zeitSort;
        QCOMPARE(editor.SaveBtnClick(in), missing.isEmpty());
        QCOMPARE(t.ui.texts(),
                 missing.isEmpty()
                     ? QStringList()
                     : QStringList{QStringLiteral("Wählen Sie bitte bei %1 \"Absteigend\" oder "
                                                  "\"Aufsteigend\".")
                                       .arg(missing)});
        QCOMPARE(t.count(QStringLiteral("SELECT count(*) FROM Anlass")), missing.isEmpty() ? 1 : 0);
    }

    void sortEnabling_data()
    {
        QTest::addColumn<QString>("method");
        QTest::addColumn<bool>("points");
        QTest::addColumn<bool>("time");
        QTest::newRow("none") << "" << true << true;
        QTest::newRow("points") << "Nach Punkten" << true << false;
        QTest::newRow("time") << "Nach Zeit" << false << true;
        QTest::newRow("points/time") << "Punkte/Zeit" << true << true;
        QTest::newRow("time/points") << "Zeit/Punkte" << true << true;
    }

    void sortEnabling()
    {
        QFETCH(QString, method);
        QFETCH(bool, points);
        QFETCH(bool, time);
        QCOMPARE(EventEditor::pointsSortEnabled(method), points);
        QCOMPARE(EventEditor::timeSortEnabled(method), time);
    }

    void createStoresTheEventAndThePostSelection()
    {
        TestDatabase t;
        const int slalom = t.addPost(QStringLiteral("Slalom"), 1, true);
        const int tunnel = t.addPost(QStringLiteral("Tunnel"), 1, false);
        const int wippe = t.addPost(QStringLiteral("Wippe"), 1, true);
        EventEditor editor(*t.competition);
        editor.dialogMode = QLatin1Char('N');
        EventInput in = editor.FormShow();
        QVERIFY(in.clearStartNumbers);
        QCOMPARE(in.posts.size(), 3);
        QCOMPARE(in.posts.at(0).PostenBez, QStringLiteral("Slalom"));
        QVERIFY(in.posts.at(0).checked);
        QVERIFY(!in.posts.at(1).checked);

        const EventInput defaults = in;
        in = valid();
        in.posts = defaults.posts;
        in.posts[0].checked = false;
        in.posts[1].checked = true;
        in.AutoRangBerechnung = true;
        in.RangBerNachTeams = QStringLiteral("4");
        in.Zusatzspiel = false;
        in.ZusatzspielName = QStringLiteral("bleibt"); // disabled, yet kept
        in.clearStartNumbers = true;
        t.db().exec(QStringLiteral("DELETE FROM Posten WHERE PostenNr = %1").arg(wippe));
        t.ui.answers = {false}; // No to the start-number question still saves
        QVERIFY(editor.SaveBtnClick(in));
        QCOMPARE(t.ui.texts(QStringLiteral("yesno")), QStringList{ClearQuestion});

        const int n = t.competition->CurrentAnlassNr();
        QVERIFY(n > 0);
        const EventRow row = *t.data.ReadEvent(n);
        QCOMPARE(row.AnlassBez, QStringLiteral("Sommerplausch"));
        QCOMPARE(row.Rangberechnung, QStringLiteral("Punkte/Zeit"));
        QCOMPARE(row.PunkteSort, 1);
        QCOMPARE(row.ZeitSort, 2);
        QVERIFY(row.AutoRangBerechnung);
        QCOMPARE(row.RangBerNachTeams, 4);
        QCOMPARE(row.ZusatzspielName, QStringLiteral("bleibt"));
        QVERIFY(t.competition->autoRankLayout());
        QVERIFY(!t.data.ReadPost(slalom)->Aktiv);
        QVERIFY(t.data.ReadPost(tunnel)->Aktiv);
        QCOMPARE(t.count(QStringLiteral("SELECT count(*) FROM Posten")),
                 2); // the deleted post stays gone
    }

    void startNumberOptionClearsTheNewEventOnly()
    {
        TestDatabase t;
        const int kat = t.addCategory(QStringLiteral("Senioren"));
        const int old = t.addEvent(QStringLiteral("Alt"));
        const int team = t.addTeam(QStringLiteral("Muster"), QStringLiteral("Anna"), kat, false, 5);
        t.addEntry(old, team, 5);
        t.open(old);
        EventEditor editor(*t.competition);
        editor.FormShow();
        EventInput in = valid();
        in.clearStartNumbers = true;
        t.ui.answers = {true};
        QVERIFY(editor.SaveBtnClick(in));
        QVERIFY(t.competition->CurrentAnlassNr() != old);
        // The new event has no entries, so nothing elsewhere loses its number.
        QCOMPARE(t.data.ReadTeam(team)->StartNr, 5);
        QCOMPARE(t.data.ReadEntry(old, team)->StartNr, 5);
    }

    void editChangesTheOpenEventButNoPost()
    {
        TestDatabase t;
        const int post = t.addPost(QStringLiteral("Slalom"), 1, false);
        const int n = t.addEvent(QStringLiteral("Frühling"), QStringLiteral("Nach Zeit"), 2, 1,
                                 true, 3, true, QStringLiteral("Plausch"));
        t.addEvent(QStringLiteral("Anderer"));
        t.open(n);
        EventEditor editor(*t.competition);
        editor.dialogMode = QLatin1Char('E');
        EventInput in = editor.FormShow();
        QCOMPARE(in.AnlassBez, QStringLiteral("Frühling"));
        QCOMPARE(in.Rangberechnung, QStringLiteral("Nach Zeit"));
        QCOMPARE(in.PunkteSort, 2);
        QCOMPARE(in.RangBerNachTeams, QStringLiteral("3"));
        QCOMPARE(in.ZusatzspielName, QStringLiteral("Plausch"));
        QVERIFY(!in.clearStartNumbers);
        QVERIFY(in.posts.isEmpty());

        in.AnlassBez = QStringLiteral("Sommer");
        in.AutoRangBerechnung = false;
        in.posts = {PostChoice{post, QStringLiteral("Slalom"), true}};
        in.clearStartNumbers = true; // not offered when editing: no question
        QVERIFY(editor.SaveBtnClick(in));
        QVERIFY(t.ui.texts().isEmpty());
        QCOMPARE(t.competition->CurrentAnlassNr(), n);
        QCOMPARE(t.count(QStringLiteral("SELECT count(*) FROM Anlass")), 2);
        const EventRow row = *t.data.ReadEvent(n);
        QCOMPARE(row.AnlassBez, QStringLiteral("Sommer"));
        QCOMPARE(row.PunkteSort, 2); // disabled by "Nach Zeit", kept
        QCOMPARE(row.RangBerNachTeams, 3);
        QVERIFY(!row.AutoRangBerechnung);
        QVERIFY(!t.competition->autoRankLayout());
        QVERIFY(!t.data.ReadPost(post)->Aktiv);
    }
};

QTEST_GUILESS_MAIN(TestEventEditor)
#include "tst_eventeditor.moc"
