#include "engine/Statement.h"
#include "participants/TeamEditor.h"
#include "support/TestDatabase.h"

#include <QTest>

namespace {

// An event with two entries (start numbers 3 and 7) and one active post, a second event in
// which the first team is entered too, and a group.
struct Fixture
{
    TestDatabase t;
    int kat = 0;
    int event = 0;
    int other = 0;
    int anna = 0;
    int ben = 0;
    int group = 0;

    explicit Fixture(bool addGame = false)
    {
        kat = t.addCategory(QStringLiteral("Senioren"));
        t.addPost(QStringLiteral("Slalom"));
        event = t.addEvent(QStringLiteral("Herbst"), QStringLiteral("Punkte/Zeit"), 1, 2, false, 0,
                           addGame);
        other = t.addEvent(QStringLiteral("Frühling"));
        anna = t.addTeam(QStringLiteral("Muster"), QStringLiteral("Anna"), kat, true, 3);
        ben = t.addTeam(QStringLiteral("Beispiel"), QStringLiteral("Ben"), kat, false, 7);
        group = t.addGroup(QStringLiteral("Wirbelwinde"), kat, false, 0);
        t.addEntry(event, anna, 3);
        t.addEntry(event, ben, 7);
        t.addEntry(other, anna, 12);
        t.open(event);
    }

    TeamInput team(const QString &name) const
    {
        TeamInput in;
        in.Name = name;
        in.Vorname = QStringLiteral("Vera");
        in.Hund = QStringLiteral("Bello");
        in.Rasse = QStringLiteral("Pudel");
        in.Verein = QStringLiteral("HC Thun");
        in.KatNr = kat;
        return in;
    }

    TeamRow row(int teamNr) { return *t.data.ReadTeam(teamNr); }
};

} // namespace

class TestTeamEditor : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void validationFollowsTheKind_data()
    {
        QTest::addColumn<QChar>("kind");
        QTest::addColumn<QString>("blank"); // the field left empty
        QTest::addColumn<bool>("valid");
        const QChar team = QLatin1Char('T');
        const QChar group = QLatin1Char('G');
        QTest::newRow("team complete") << team << QString() << true;
        QTest::newRow("team without club") << team << QStringLiteral("Verein") << true;
        QTest::newRow("team without first name") << team << QStringLiteral("Vorname") << false;
        QTest::newRow("team without dog") << team << QStringLiteral("Hund") << false;
        QTest::newRow("team without breed") << team << QStringLiteral("Rasse") << false;
        QTest::newRow("team without category") << team << QStringLiteral("KatNr") << false;
        QTest::newRow("group without team fields") << group << QStringLiteral("Vorname") << true;
        QTest::newRow("group without category") << group << QStringLiteral("KatNr") << false;
    }

    void validationFollowsTheKind()
    {
        QFETCH(QChar, kind);
        QFETCH(QString, blank);
        QFETCH(bool, valid);
        Fixture f;
        TeamEditor editor(*f.t.competition);
        editor.kind = kind;
        editor.PrepareRecord();
        TeamInput in = f.team(QStringLiteral("Neu"));
        if (kind == QLatin1Char('G'))
            in.Vorname = in.Hund = in.Rasse = QString();
        if (blank == QLatin1String("Verein"))
            in.Verein.clear();
        else if (blank == QLatin1String("Vorname"))
            in.Vorname.clear();
        else if (blank == QLatin1String("Hund"))
            in.Hund.clear();
        else if (blank == QLatin1String("Rasse"))
            in.Rasse.clear();
        else if (blank == QLatin1String("KatNr"))
            in.KatNr = 0;
        const qint64 before = f.t.count(QStringLiteral("SELECT count(*) FROM Team"));
        const TeamEditor::SaveResult result = editor.Save(in);
        QCOMPARE(result == TeamEditor::SaveResult::Saved, valid);
        QCOMPARE(f.t.count(QStringLiteral("SELECT count(*) FROM Team")), before + (valid ? 1 : 0));
        QCOMPARE(f.t.ui.texts(QStringLiteral("information")),
                 valid ? QStringList()
                       : QStringList{QStringLiteral("Füllen Sie bitte alle Felder aus.")});
    }

    void aBlankNameIsSavedAsZeroAndAnUnknownCategoryIsNone()
    {
        Fixture f;
        TeamEditor editor(*f.t.competition);
        editor.PrepareRecord();
        TeamInput in = f.team(QStringLiteral("   "));
        QCOMPARE(editor.Save(in), TeamEditor::SaveResult::Saved);
        QCOMPARE(in.Name, QStringLiteral("0"));
        QCOMPARE(f.row(editor.TeamNr).Name, QStringLiteral("0"));

        // A category number that no longer exists is not "shown".
        editor.PrepareRecord();
        in = f.team(QStringLiteral("Weg"));
        in.KatNr = 999;
        QVERIFY(!editor.ValidateInput(in));
    }

    void aGroupEditedInTheTeamLayoutNeedsTheTeamFields()
    {
        Fixture f;
        TeamEditor editor(*f.t.competition);
        editor.kind = QLatin1Char('T');
        editor.mode = QLatin1Char('M');
        editor.TeamNr = f.group;
        editor.PrepareRecord();
        TeamInput in = f.team(QStringLiteral("Sturmwinde"));
        in.Vorname.clear();
        QCOMPARE(editor.Save(in), TeamEditor::SaveResult::Refused);
        QCOMPARE(f.row(f.group).Name, QStringLiteral("Wirbelwinde"));
        in.Vorname = QStringLiteral("x");
        QCOMPARE(editor.Save(in), TeamEditor::SaveResult::Saved);
        const TeamRow saved = f.row(f.group);
        QCOMPARE(saved.Name, QStringLiteral("Sturmwinde"));
        QCOMPARE(saved.Typ, 2); // editing never changes the kind
    }

    void badStartNumbersAreRefused_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("stored"); // -1: refused
        QTest::newRow("empty") << QString() << 0;
        QTest::newRow("zero") << QStringLiteral("0") << 0;
        QTest::newRow("999") << QStringLiteral("999") << 999;
        QTest::newRow("blanks around") << QStringLiteral(" 42") << 42;
        QTest::newRow("negative") << QStringLiteral("-1") << -1;
        QTest::newRow("letters") << QStringLiteral("1a") << -1;
        QTest::newRow("decimal") << QStringLiteral("1,5") << -1;
        QTest::newRow("four digits") << QStringLiteral("1000") << 1000;
        QTest::newRow("largest") << QStringLiteral("2147483647") << 2147483647;
        QTest::newRow("beyond 32 bits") << QStringLiteral("2147483648") << -1;
        QTest::newRow("plus sign") << QStringLiteral("+5") << -1;
    }

    void badStartNumbersAreRefused()
    {
        QFETCH(QString, text);
        QFETCH(int, stored);
        Fixture f;
        TeamEditor editor(*f.t.competition);
        editor.mode = QLatin1Char('M');
        editor.TeamNr = f.ben;
        editor.PrepareRecord();
        TeamInput in = f.team(QStringLiteral("Beispiel"));
        in.StartNr = text;
        const TeamEditor::SaveResult result = editor.Save(in);
        if (stored < 0) {
            QCOMPARE(result, TeamEditor::SaveResult::Refused);
            QCOMPARE(f.t.ui.texts(QStringLiteral("information")),
                     QStringList{QStringLiteral(
                         "Die Startnummer muss eine ganze Zahl von 0 bis 2147483647 sein.")});
            QCOMPARE(f.row(f.ben).StartNr, 7);
        } else {
            QCOMPARE(result, TeamEditor::SaveResult::Saved);
            QCOMPARE(f.row(f.ben).StartNr, stored);
        }
    }

    void newRecordsGetTheirKindAndTheNextStartNumber()
    {
        Fixture f;
        TeamEditor editor(*f.t.competition);
        editor.kind = QLatin1Char('G');
        editor.PrepareRecord();
        QCOMPARE(editor.record().Typ, 2);
        QCOMPARE(editor.record().StartNr, 8); // highest entry number 7
        TeamInput in = f.team(QStringLiteral("Sturm"));
        QCOMPARE(editor.Save(in), TeamEditor::SaveResult::Saved);
        QCOMPARE(f.row(editor.TeamNr).Typ, 2);
        // Proposed outside entry mode as well, where nothing is entered.
        QVERIFY(!f.t.data.ReadEntry(f.event, editor.TeamNr));

        editor.kind = QLatin1Char('T');
        editor.PrepareRecord();
        QCOMPARE(editor.record().Typ, 1);
        QCOMPARE(editor.record().TeamNr, 0);

        // An event without entries proposes 1.
        f.t.open(f.t.addEvent(QStringLiteral("Leer")));
        editor.PrepareRecord();
        QCOMPARE(editor.record().StartNr, 1);
    }

    void entryModeEntersEachTeamAndProposesTheNextNumber()
    {
        Fixture f;
        f.t.competition->EntryMode = true;
        TeamEditor editor(*f.t.competition);
        editor.PrepareRecord();
        QVERIFY(editor.printOnSaveEnabled());
        QList<int> saved;
        for (int n : {8, 9, 10}) {
            QCOMPARE(editor.record().StartNr, n);
            TeamInput in = f.team(QStringLiteral("Team %1").arg(n));
            in.StartNr = QString::number(editor.record().StartNr);
            in.printOnSave = n == 9;
            QCOMPARE(editor.Save(in), TeamEditor::SaveResult::Entered);
            saved << editor.TeamNr;
            QCOMPARE(editor.record().TeamNr, 0); // a fresh record is pending
        }
        for (int i = 0; i < saved.size(); ++i) {
            const std::optional<EntryRow> entry = f.t.data.ReadEntry(f.event, saved.at(i));
            QVERIFY(entry);
            QCOMPARE(entry->StartNr, 8 + i);
            QVERIFY(!entry->IsGroup);
            QCOMPARE(f.t.count(QStringLiteral("SELECT count(*) FROM Parcours WHERE TeamNr = %1")
                                   .arg(saved.at(i))),
                     qint64(1));
        }
        QCOMPARE(f.t.competition->participants().size(), 5);
        QCOMPARE(f.t.ui.printed.size(), 1); // only the team saved with print-on-save
    }

    void editingOutsideEntryModeCopiesTheNumberIntoTheOpenEventOnly()
    {
        Fixture f;
        TeamEditor editor(*f.t.competition);
        QVERIFY(!editor.printOnSaveEnabled());
        editor.mode = QLatin1Char('M');
        editor.TeamNr = f.anna;
        editor.PrepareRecord();
        QCOMPARE(editor.record().Name, QStringLiteral("Muster"));
        TeamInput in = f.team(QStringLiteral("Muster"));
        in.StartNr = QStringLiteral("21");
        in.printOnSave = true; // not offered outside entry mode, so it does nothing
        QCOMPARE(editor.Save(in), TeamEditor::SaveResult::Saved);
        QCOMPARE(f.row(f.anna).StartNr, 21);
        QCOMPARE(f.t.data.ReadEntry(f.event, f.anna)->StartNr, 21);
        QCOMPARE(f.t.data.ReadEntry(f.other, f.anna)->StartNr, 12);
        QCOMPARE(f.row(f.anna).Typ, 1);
        QVERIFY(f.t.ui.printed.isEmpty());
        // Nothing entered or changed elsewhere.
        QCOMPARE(f.t.count(QStringLiteral("SELECT count(*) FROM TeamsProAnlass")), qint64(3));
    }

    void theAddGameBoxCountsOnlyWhenTheEventHasOne_data()
    {
        QTest::addColumn<bool>("eventAddGame");
        QTest::addColumn<bool>("stored");
        QTest::newRow("event with additional game") << true << false;
        QTest::newRow("event without, stored value stays") << false << true;
    }

    void theAddGameBoxCountsOnlyWhenTheEventHasOne()
    {
        QFETCH(bool, eventAddGame);
        QFETCH(bool, stored);
        Fixture f(eventAddGame);
        TeamEditor editor(*f.t.competition);
        QCOMPARE(editor.addGameEnabled(), eventAddGame);
        editor.mode = QLatin1Char('M');
        editor.TeamNr = f.anna; // plays the additional game
        editor.PrepareRecord();
        TeamInput in = f.team(QStringLiteral("Muster"));
        in.Zusatzspiel = false;
        QCOMPARE(editor.Save(in), TeamEditor::SaveResult::Saved);
        QCOMPARE(f.row(f.anna).Zusatzspiel, stored);
    }

    void pickListsHoldEachValueOnceInOrder()
    {
        Fixture f;
        f.t.db().exec(
            QStringLiteral("UPDATE Team SET Verein = 'Zug' WHERE TeamNr = %1").arg(f.anna));
        f.t.db().exec(
            QStringLiteral("UPDATE Team SET Verein = 'Aarau' WHERE TeamNr = %1").arg(f.ben));
        f.t.addTeam(QStringLiteral("Dritt"), QStringLiteral("D"), f.kat);
        f.t.db().exec(QStringLiteral("UPDATE Team SET Verein = 'Zug' WHERE Name = 'Dritt'"));
        TeamEditor editor(*f.t.competition);
        const QStringList clubs = editor.ClubList();
        // The group has no club: an empty item, as the list of such teams shows it.
        QCOMPARE(clubs, (QStringList{QString(), QStringLiteral("Aarau"), QStringLiteral("Zug")}));
        QCOMPARE(editor.BreedList().size(), 2);
    }
};

QTEST_GUILESS_MAIN(TestTeamEditor)
#include "tst_teameditor.moc"
