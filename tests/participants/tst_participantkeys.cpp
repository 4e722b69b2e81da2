#include "app/ui/Forms.h"
#include "app/ui/MainForm.h"
#include "participants/ui/GroupForm.h"
#include "participants/ui/TeamForm.h"
#include "participants/ui/TeamOverviewForm.h"
#include "support/HerbstProgram.h"
#include "support/KeyboardChecks.h"
#include "support/ModalDialogs.h"
#include "support/TestDatabase.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QTableView>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

// The main window shown and active.
struct Program : HerbstProgram
{
    Program() { showMain(); }
};

// Opens a dialog from the main menu by keys and hands it to action.
void viaMenu(Program &p, Qt::Key menu, Qt::Key item, const std::function<void(QWidget *)> &action)
{
    ::viaMenu(&p.main(), menu, {item}, action);
}

} // namespace

class TestParticipantKeys : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void teamTypedInTabRhythmWithAStartNumberBeyondThreeDigits()
    {
        Program p;
        p.t.db().exec(u"UPDATE TeamsProAnlass SET StartNr = 999 WHERE TeamNr = %1"_s.arg(p.aebi));
        QString proposed;
        QStringList refused;
        whenOpen([&](QWidget *dialog) {
            // Ctrl+N opens a new team with the next number of the event: 1000, not cut.
            proposed = childOf<QLineEdit>(*dialog, "StartNr")->text();
            for (const QString &field :
                 {u"Dorn"_s, u"Daria"_s, QString(), u"Dino"_s, u"Dackel"_s, u"S"_s}) {
                type(field);
                press(Qt::Key_Tab);
            }
            press(Qt::Key_Return); // saved, entered, and a fresh record is ready
            // A start number that is none is refused, not cut or changed.
            press(Qt::Key_Tab, Qt::ShiftModifier); // back round to "Startnummer"
            for (const QString &field :
                 {u"12a"_s, u"Egli"_s, u"Eva"_s, QString(), u"Emma"_s, u"Eurasier"_s}) {
                type(field);
                press(Qt::Key_Tab);
            }
            press(Qt::Key_Down); // the first category
            press(Qt::Key_Return);
            refused = p.t.ui.texts(u"information"_s);
            press(Qt::Key_Escape);
        });
        press(Qt::Key_N, Qt::ControlModifier);
        QCOMPARE(proposed, u"1000"_s);
        // Numbered 1000, Dorn stands last in the grid.
        const std::optional<TeamRow> dorn =
            p.t.data.ReadTeam(p.t.competition->participants().constLast().TeamNr);
        QVERIFY(dorn);
        QCOMPARE(dorn->Name, u"Dorn"_s);
        // The dog's name landed in "Hund", not on a helper button beside "Verein".
        QCOMPARE(dorn->Hund, u"Dino"_s);
        QCOMPARE(dorn->Rasse, u"Dackel"_s);
        QCOMPARE(dorn->KatNr, p.kat);
        QCOMPARE(dorn->StartNr, 1000);
        QCOMPARE(p.t.data.ReadEntry(p.event, dorn->TeamNr)->StartNr, 1000);
        QCOMPARE(refused,
                 QStringList{u"Die Startnummer muss eine ganze Zahl von 0 bis 2147483647 sein."_s});
    }

    void overviewListAnswersInsertDeleteEnter()
    {
        Program p;
        QList<std::pair<QChar, int>> opened; // the team dialog's mode and record
        QStringList questions;
        viaMenu(p, Qt::Key_S, Qt::Key_V, [&](QWidget *overview) {
            type(u"Cad"_s); // positions the list on Caduff
            for (int i = 0; i < 3; ++i)
                press(Qt::Key_Tab); // "Anzeigen", the event-list box, the list
            QCOMPARE(controlName(QApplication::focusWidget()), u"DBGrid1"_s);
            for (Qt::Key key : {Qt::Key_Return, Qt::Key_Insert}) {
                whenOpen([&](QWidget *dialog) {
                    opened << std::pair{p.teamForm().mode, p.teamForm().TeamNr};
                    QTest::keyClick(dialog, Qt::Key_Escape);
                });
                press(key);
                activate(overview);
            }
            p.t.ui.answers = {false};
            press(Qt::Key_Delete);
            questions = p.t.ui.texts(u"yesno"_s);
            press(Qt::Key_Escape);
        });
        QCOMPARE(
            opened,
            (QList<std::pair<QChar, int>>{{QLatin1Char('M'), p.caduff}, {QLatin1Char('I'), 0}}));
        QCOMPARE(questions,
                 QStringList{u"Wollen Sie den Eintrag [Cla Caduff] wirklich löschen?"_s});
        QVERIFY(p.t.data.ReadTeam(p.caduff));
    }

    void membersAreChosenWithSpace()
    {
        Program p;
        bool chosen = false;
        viaMenu(p, Qt::Key_S, Qt::Key_U, [&](QWidget *groups) {
            whenOpen([&](QWidget *) {
                // Teams only, by name: Aebi, Brun, Caduff; nothing is chosen yet.
                QCOMPARE(controlName(QApplication::focusWidget()), u"DBGrid1"_s);
                QVERIFY(p.overview().selectedTeamNrs().isEmpty());
                press(Qt::Key_Space); // Aebi
                press(Qt::Key_Down);
                press(Qt::Key_Space); // Brun
                press(Qt::Key_Down);
                press(Qt::Key_Space); // Caduff
                press(Qt::Key_Up);
                press(Qt::Key_Space); // Brun again: given back
                QCOMPARE(p.overview().selectedTeamNrs().size(), 2);
                press(Qt::Key_Return); // "Übernehmen"
                chosen = true;
            });
            // A button's access key clicks it a moment later, as a click would show.
            press(Qt::Key_H, Qt::AltModifier); // "Hinzufügen"
            QVERIFY(QTest::qWaitFor([&] { return chosen; }));
            activate(groups);
            press(Qt::Key_Escape);
        });
        QVERIFY(chosen);
        QCOMPARE(
            p.t.count(u"SELECT count(*) FROM TeamsProGruppe WHERE GruppenNr = %1"_s.arg(p.group)),
            3);
    }

    void groupListsAnswerInsertDeleteEnter()
    {
        Program p;
        QList<std::tuple<QChar, QChar, int>> opened; // kind, mode, record
        QStringList questions;
        const auto recordTeamDialog = [&](QWidget *dialog) {
            opened << std::tuple{p.teamForm().kind(), p.teamForm().mode, p.teamForm().TeamNr};
            QTest::keyClick(dialog, Qt::Key_Escape);
        };
        viaMenu(p, Qt::Key_S, Qt::Key_U, [&](QWidget *groups) {
            // The group list: Enter opens the group's record, Insert a new group, Delete asks.
            for (Qt::Key key : {Qt::Key_Return, Qt::Key_Insert}) {
                whenOpen(recordTeamDialog);
                press(key);
                activate(groups);
            }
            p.t.ui.answers = {false};
            press(Qt::Key_Delete);
            // The members: Alt+T goes to them; Enter edits Brun, Delete asks.
            press(Qt::Key_T, Qt::AltModifier);
            QCOMPARE(controlName(QApplication::focusWidget()), u"MemberGrid"_s);
            whenOpen(recordTeamDialog);
            press(Qt::Key_Return);
            activate(groups);
            p.t.ui.answers = {false};
            press(Qt::Key_Delete);
            questions = p.t.ui.texts(u"yesno"_s);
            press(Qt::Key_Escape);
        });
        QCOMPARE(
            opened,
            (QList<std::tuple<QChar, QChar, int>>{{QLatin1Char('G'), QLatin1Char('M'), p.group},
                                                  {QLatin1Char('G'), QLatin1Char('I'), 0},
                                                  {QLatin1Char('T'), QLatin1Char('M'), p.brun}}));
        QCOMPARE(questions,
                 (QStringList{u"Wollen Sie die Gruppe Wirbel wirklich löschen?"_s,
                              u"Wollen Sie dieses Team wirklich aus der Gruppe entfernen?"_s}));
    }

    void enteringAGroupSaysWhatHappened()
    {
        Program p;
        QStringList lines;
        viaMenu(p, Qt::Key_S, Qt::Key_G, [&](QWidget *groups) {
            auto *line = childOf<QLabel>(*groups, "MessageLine");
            // Brun is entered on his own: the group asks first.
            p.t.ui.answers = {true};
            press(Qt::Key_Return);
            lines << line->text();
            press(Qt::Key_Return);
            lines << line->text();
            press(Qt::Key_Escape);
        });
        QCOMPARE(p.t.ui.texts(u"yesno"_s).size(), 1);
        QCOMPARE(lines,
                 (QStringList{u"Die Gruppe Wirbel wurde in den Anlass eingefügt."_s,
                              u"Die Gruppe Wirbel ist bereits im Anlass eingetragen."_s}));
    }
};

QTEST_MAIN(TestParticipantKeys)
#include "tst_participantkeys.moc"
