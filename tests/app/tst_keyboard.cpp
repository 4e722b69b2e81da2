#include "app/ui/AboutDialog.h"
#include "app/ui/Forms.h"
#include "app/ui/GuiUserInterface.h"
#include "app/ui/HelpWindow.h"
#include "app/ui/MainForm.h"
#include "app/ui/OpenCompForm.h"
#include "backup/ChangeHistory.h"
#include "backup/ui/HistoryDialog.h"
#include "event/ui/DataDetailForm.h"
#include "event/ui/DataForm.h"
#include "event/ui/NewCompForm.h"
#include "participants/Entries.h"
#include "participants/ui/GroupForm.h"
#include "participants/ui/TeamForm.h"
#include "participants/ui/TeamImportDialog.h"
#include "participants/ui/TeamOverviewForm.h"
#include "ranking/ui/RankSelectForm.h"
#include "reportengine/ui/ReportPreviewDialog.h"
#include "reportengine/ui/ReportPrinting.h"
#include "reports/Scorecards.h"
#include "results/ui/TeamResultForm.h"
#include "support/KeyboardChecks.h"
#include "support/ModalDialogs.h"
#include "support/ReportTestUtil.h"
#include "support/TestDatabase.h"

#include <QAction>
#include <QApplication>
#include <QContextMenuEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPrinter>
#include <QProgressDialog>
#include <QPushButton>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>

#include <functional>

using namespace Qt::StringLiterals;

namespace {

// An evening ready to run: six posts, an event with an additional game, three teams
// entered, a group not yet entered, and the main window shown and active.
struct Evening
{
    TestDatabase t;
    Forms forms;
    int event = 0;
    int senioren = 0;
    QList<int> posts;
    int anna = 0;
    int ben = 0;
    int cleo = 0;
    int zwerge = 0;

    Evening()
    {
        senioren = t.addCategory(QStringLiteral("Senioren"));
        t.addCategory(QStringLiteral("Junioren"));
        const QList<std::pair<const char *, double>> course{{"Slalom", 1}, {"Tunnel", 1.5},
                                                            {"Sprung", 1}, {"Wippe", 2},
                                                            {"Steg", 1},   {"Reifen", 1}};
        for (const auto &[name, factor] : course)
            posts << t.addPost(QString::fromUtf8(name), factor);
        event = t.addEvent(QStringLiteral("Herbstplausch"), QStringLiteral("Punkte/Zeit"), 1, 2,
                           false, 0, true, QStringLiteral("Suchspiel"));
        anna = t.addTeam(QStringLiteral("Arnold"), QStringLiteral("Anna"), senioren, true, 11,
                         QStringLiteral("Asta"));
        ben = t.addTeam(QStringLiteral("Berger"), QStringLiteral("Ben"), senioren, false, 12,
                        QStringLiteral("Bello"));
        cleo = t.addTeam(QStringLiteral("Cramer"), QStringLiteral("Cleo"), senioren, false, 13,
                         QStringLiteral("Cora"));
        zwerge = t.addGroup(QStringLiteral("Zwerge"), senioren);
        t.addMember(zwerge, anna);
        t.open(event);
        for (int team : {anna, ben, cleo})
            t.competition->entries().EnterParticipant(event, team, false, 0);
        forms.create(*t.competition, t.ui);
        t.open(event);
        main().show();
        if (!activate(&main()))
            qFatal("main window not active");
    }
    ~Evening() { forms.destroy(); }

    TMainForm &main() { return *forms.MainForm; }
    int row(int teamNr) { return t.competition->participantIndex(teamNr); }
};

// Lists and grids whose cells Tab walks instead of leaving them; only the result grid
// has a Tab rhythm of its own.
QStringList tabTraps(QWidget *window)
{
    QStringList traps;
    for (QAbstractItemView *view : window->findChildren<QAbstractItemView *>()) {
        if (view->tabKeyNavigation() && view->objectName() != u"StringGrid1"_s)
            traps << window->objectName() + u": Tab walks the cells of "_s + view->objectName();
    }
    return traps;
}

} // namespace

class TestKeyboard : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void accessKeysUniqueAndNoListTrapsTabInEveryWindow()
    {
        Evening e;
        Forms &f = e.forms;
        QStringList problems;
        for (QAction *a : e.main().menuBar()->actions())
            problems << menuAccessKeyProblems(a->menu());
        e.main().PopupMenu1Popup();
        problems << menuAccessKeyProblems(e.main().findChild<QMenu *>(u"PopupMenu1"_s));
        problems << menuAccessKeyProblems(
            f.TeamOverviewForm->findChild<QMenu *>(u"FunktionenMenu"_s));
        problems << menuAccessKeyProblems(f.TeamOverviewForm->findChild<QMenu *>(u"PopupMenu1"_s));
        problems << accessKeyProblems(&e.main());
        problems << tabTraps(&e.main());

        // Every window in each of its modes, as it is shown.
        const auto check = [&problems](QWidget *window) {
            window->show();
            problems << accessKeyProblems(window);
            problems << tabTraps(window);
            window->hide();
        };
        for (QChar kind : {QLatin1Char('T'), QLatin1Char('G')}) {
            f.TeamForm->SetLayout(kind);
            f.TeamForm->FormShow();
            check(f.TeamForm);
        }
        for (QChar mode : {QLatin1Char('G'), QLatin1Char(' ')}) {
            f.GroupForm->mode = mode;
            f.GroupForm->FormShow();
            check(f.GroupForm);
        }
        for (QChar mode : {QLatin1Char('M'), QLatin1Char('S')}) {
            f.TeamOverviewForm->overview().mode = mode;
            f.TeamOverviewForm->FormShow();
            check(f.TeamOverviewForm);
        }
        for (QChar mode : {QLatin1Char('N'), QLatin1Char('E')}) {
            f.NewCompForm->dialogMode = mode;
            f.NewCompForm->FormShow();
            check(f.NewCompForm);
        }
        for (QChar mode : {QLatin1Char('K'), QLatin1Char('P')}) {
            f.DataForm->ListMode = mode;
            f.DataForm->FormShow();
            check(f.DataForm);
            f.DataDetailForm->setList(&f.DataForm->list());
            f.DataDetailForm->FormShow();
            check(f.DataDetailForm);
            f.DataDetailForm->setList(nullptr);
        }
        f.TeamResultForm->FormShow(e.t.competition->participants().at(e.row(e.anna)));
        check(f.TeamResultForm);
        RankListChoice choice;
        choice.categoryItems = {QStringLiteral("Alle (Gemischt)")};
        choice.kindEnabled = true;
        f.RankSelectForm->FormShow(choice);
        check(f.RankSelectForm);
        f.OpenCompForm->FormShow();
        check(f.OpenCompForm);
        check(f.About);
        TeamImportDialog import(*e.t.competition, &e.main());
        check(&import);
        HelpWindow help(QString{});
        check(&help);
        e.t.competition->scorecards().OutputScorecards(false, e.anna);
        ReportPreviewDialog preview(e.t.ui.previews.constFirst(), nullptr, e.t.ui);
        check(&preview);
        HistoryDialog history(QStringLiteral("Arnold Anna"), {}, &e.main());
        check(&history);
        const std::unique_ptr<QProgressDialog> progress =
            ReportPrinting::progressDialog(QStringLiteral("Bewertungsbögen"), &e.main());
        check(progress.get());
        // The restore command's choice of a backup.
        whenOpen([&](QWidget *dialog) { problems << accessKeyProblems(dialog); });
        int index = 0;
        GuiUserInterface gui(f);
        gui.setParentWidget(&e.main());
        gui.chooseItem(QStringLiteral("Sicherung wiederherstellen"),
                       QStringLiteral("Vorhandene Sicherungen, die neueste zuoberst:"),
                       {QStringLiteral("heute")}, index);
        QVERIFY2(problems.isEmpty(), qPrintable(problems.join(u"\n")));
    }

    void accessKeysReachTheirControls()
    {
        Evening e;
        QString focused;
        viaMenu(&e.main(), Qt::Key_S, {Qt::Key_T}, [&](QWidget *dialog) {
            press(Qt::Key_H, Qt::AltModifier);
            focused = controlName(QApplication::focusWidget());
            QTest::keyClick(dialog, Qt::Key_Escape);
        });
        QCOMPARE(focused, u"Hund"_s);
    }

    void tabGoesRoundEveryDialogInVisualOrder_data()
    {
        QTest::addColumn<int>("menu");
        QTest::addColumn<QList<int>>("items");
        QTest::addColumn<QStringList>("path");
        const auto keys = [](std::initializer_list<Qt::Key> list) {
            QList<int> k;
            for (Qt::Key key : list)
                k << int(key);
            return k;
        };
        // The team dialog in entry mode: field after field, the "<" and "..." helpers left
        // out, so that a dog's name typed in Tab rhythm lands in "Hund".
        QTest::newRow("team") << int(Qt::Key_S) << keys({Qt::Key_T})
                              << QStringList{u"Name"_s,        u"Vorname"_s,     u"Verein"_s,
                                             u"Hund"_s,        u"Rasse"_s,       u"KatNr"_s,
                                             u"Zusatzspiel"_s, u"PrintOnSave"_s, u"SaveBtn"_s,
                                             u"CloseBtn"_s,    u"StartNr"_s};
        QTest::newRow("team overview")
            << int(Qt::Key_S) << keys({Qt::Key_V})
            << QStringList{u"NameBox"_s,    u"KindAlles"_s,   u"EventListBox"_s, u"DBGrid1"_s,
                           u"NewTeamBtn"_s, u"EditTeamBtn"_s, u"DeleteBtn"_s,    u"CloseBtn"_s};
        QTest::newRow("groups") << int(Qt::Key_S) << keys({Qt::Key_U})
                                << QStringList{u"GroupList"_s,       u"NewGroupBtn"_s,
                                               u"DeleteGroupBtn"_s,  u"MemberGrid"_s,
                                               u"AddMemberBtn"_s,    u"EditMemberBtn"_s,
                                               u"RemoveMemberBtn"_s, u"CloseBtn"_s};
        QTest::newRow("groups, entry")
            << int(Qt::Key_S) << keys({Qt::Key_G})
            << QStringList{u"GroupList"_s,      u"PrintOnSave"_s,     u"NewGroupBtn"_s,
                           u"DeleteGroupBtn"_s, u"MemberGrid"_s,      u"AddMemberBtn"_s,
                           u"EditMemberBtn"_s,  u"RemoveMemberBtn"_s, u"CloseBtn"_s};
        QTest::newRow("posts") << int(Qt::Key_S) << keys({Qt::Key_P})
                               << QStringList{u"DBGrid1"_s, u"NewBtn"_s, u"EditBtn"_s,
                                              u"DeleteBtn"_s, u"CloseBtn"_s};
        QTest::newRow("new event")
            << int(Qt::Key_A) << keys({Qt::Key_N})
            << QStringList{u"AnlassBez"_s,         u"Rangberechnung"_s,     u"PunkteSortDown"_s,
                           u"ZeitSortDown"_s,      u"AutoRangBerechnung"_s, u"Zusatzspiel"_s,
                           u"ClearStartNumbers"_s, u"PostList"_s,           u"SaveBtn"_s,
                           u"CancelBtn"_s};
        QTest::newRow("open event") << int(Qt::Key_A) << keys({Qt::Key_F})
                                    << QStringList{u"DBGrid1"_s, u"OkBtn"_s, u"CancelBtn"_s};
    }

    void tabGoesRoundEveryDialogInVisualOrder()
    {
        QFETCH(int, menu);
        QFETCH(QList<int>, items);
        QFETCH(QStringList, path);
        Evening e;
        QList<Qt::Key> keys;
        for (int k : items)
            keys << Qt::Key(k);
        QStringList walked;
        viaMenu(&e.main(), Qt::Key(menu), keys, [&](QWidget *dialog) {
            walked = tabPath();
            QTest::keyClick(dialog, Qt::Key_Escape);
        });
        QCOMPARE(walked, path);
    }

    void resultDialogTabsThroughItsCellsAndOut()
    {
        Evening e;
        e.main().setCurrentRow(e.row(e.anna));
        QStringList walked;
        whenOpen([&](QWidget *) {
            walked = tabPath(80);
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
        });
        press(Qt::Key_Return);
        // Four cells a post (points, time, and those of the additional game), six posts;
        // then out of the grid to the buttons, left to right, and round to the check boxes
        // above it.
        QStringList expected(4 * 6, u"StringGrid1"_s);
        expected << u"HistoryBtn"_s << u"SaveBtn"_s << u"CancelBtn"_s << u"CheckBox1"_s
                 << u"CheckBox2"_s;
        QCOMPARE(walked, expected);
    }

    void mainGridAnswersInsertDeleteEnter()
    {
        Evening e;
        e.main().setCurrentRow(e.row(e.ben));
        bool results = false;
        whenOpen([&](QWidget *dialog) {
            results = dialog == e.forms.TeamResultForm;
            QTest::keyClick(dialog, Qt::Key_Escape);
        });
        press(Qt::Key_Return);
        QVERIFY(results);
        QVERIFY(activate(&e.main()));

        QChar mode;
        bool entryMode = false;
        whenOpen([&](QWidget *dialog) {
            mode = e.forms.TeamOverviewForm->overview().mode;
            entryMode = e.t.competition->EntryMode;
            QTest::keyClick(dialog, Qt::Key_Escape);
        });
        press(Qt::Key_Insert);
        QCOMPARE(mode, QLatin1Char('I'));
        QVERIFY(entryMode);
        QVERIFY(activate(&e.main()));

        e.t.ui.answers = {false};
        press(Qt::Key_Delete);
        QCOMPARE(e.t.ui.texts(u"yesno"_s),
                 QStringList{u"Wollen Sie den Eintrag [Berger Ben] wirklich löschen?"_s});
        QCOMPARE(e.t.competition->participants().size(), 3);
    }

    void finishedMarkFromTheContextMenuByKeys()
    {
        Evening e;
        e.main().setCurrentRow(e.row(e.ben));
        // Shift+F10 opens the menu of the current row; F is "Team ist fertig".
        press(Qt::Key_F10, Qt::ShiftModifier);
        QWidget *menu = QApplication::activePopupWidget();
        QVERIFY(menu);
        QCOMPARE(menu->objectName(), u"PopupMenu1"_s);
        QTest::keyClick(menu, Qt::Key_F);
        QVERIFY(e.t.data.ReadEntry(e.event, e.ben)->Abgeschlossen);
        // The menu key of the keyboard: "Zusatzspiel", then its "Team ist fertig".
        QVERIFY(activate(&e.main()));
        QContextMenuEvent key(QContextMenuEvent::Keyboard, QPoint(), QPoint());
        QApplication::sendEvent(e.main().grid(), &key);
        QTest::keyClick(QApplication::activePopupWidget(), Qt::Key_Z);
        QTest::keyClick(QApplication::activePopupWidget(), Qt::Key_F);
        QVERIFY(e.t.data.ReadEntry(e.event, e.ben)->ZusatzAbgeschlossen);
    }

    void postListAnswersInsertDeleteEnter()
    {
        Evening e;
        QStringList names;
        QString editedName;
        viaMenu(&e.main(), Qt::Key_S, {Qt::Key_P}, [&](QWidget *list) {
            // Insert: a new post, typed in the detail dialog and taken with Enter.
            whenOpen([&](QWidget *) {
                type(u"Hecke"_s);
                press(Qt::Key_Tab);
                type(u"1,5"_s);
                press(Qt::Key_Return);
            });
            press(Qt::Key_Insert);
            activate(list);
            // Enter edits the current row, the new one.
            whenOpen([&](QWidget *) {
                editedName = qobject_cast<QLineEdit *>(QApplication::focusWidget())->text();
                press(Qt::Key_Escape);
            });
            press(Qt::Key_Return);
            activate(list);
            // Delete asks first.
            e.t.ui.answers = {true};
            press(Qt::Key_Delete);
            for (const MasterRecord &r : e.forms.DataForm->list().rows())
                names << r.name;
            QTest::keyClick(list, Qt::Key_Escape);
        });
        QCOMPARE(editedName, u"Hecke"_s);
        QCOMPARE(e.t.ui.texts(u"yesno"_s),
                 QStringList{u"Wollen Sie den Eintrag [Hecke] wirklich löschen?"_s});
        QCOMPARE(names.size(), 6);
        QVERIFY(!names.contains(u"Hecke"_s));
    }

    void findAndNewTeamByKeys()
    {
        Evening e;
        e.main().setCurrentRow(0);
        const auto current = [&e] {
            return e.main().currentParticipant()->TeamNr;
        };
        press(Qt::Key_F, Qt::ControlModifier);
        QCOMPARE(controlName(QApplication::focusWidget()), u"FindBox"_s);
        type(u"cra"_s); // a part of the name, in any case
        QCOMPARE(current(), e.cleo);
        press(Qt::Key_Escape);
        QCOMPARE(controlName(QApplication::focusWidget()), u"DBGrid1"_s);

        press(Qt::Key_F, Qt::ControlModifier);
        type(u"12"_s); // a start number, replacing the text of the last search
        QCOMPARE(current(), e.ben);
        type(u"4"_s);
        QCOMPARE(current(), e.ben); // no start number 124: the grid stays
        QCOMPARE(e.main().findChild<QLabel *>(u"FindStatus"_s)->text(),
                 u"Kein Teilnehmer gefunden."_s);
        press(Qt::Key_Escape);

        // "Asta" is Anna's dog; F3 goes on to the next match and round.
        press(Qt::Key_F, Qt::ControlModifier);
        type(u"a"_s);
        const int first = current();
        press(Qt::Key_F3);
        QVERIFY(current() != first);
        press(Qt::Key_Return);
        QVERIFY(!e.main().findChild<QWidget *>(u"FindBar"_s)->isVisible());

        QChar kind;
        bool entryMode = false;
        whenOpen([&](QWidget *dialog) {
            kind = e.forms.TeamForm->kind();
            entryMode = e.t.competition->EntryMode;
            QTest::keyClick(dialog, Qt::Key_Escape);
        });
        press(Qt::Key_N, Qt::ControlModifier);
        QCOMPARE(kind, QLatin1Char('T'));
        QVERIFY(entryMode);
        QVERIFY(!e.t.competition->EntryMode);
    }

    void oneParticipantsResultsAtSixPostsByKeys_data()
    {
        QTest::addColumn<bool>("addGame");
        QTest::addColumn<int>("expected");
        // 5 keys to find and open, 21 digits, 11 Tabs, 1 to save, 1 to answer.
        QTest::newRow("main game") << false << 39;
        // The additional game's two cells per post are passed with two more Tabs.
        QTest::newRow("with additional game") << true << 49;
    }

    void oneParticipantsResultsAtSixPostsByKeys()
    {
        // The operator's round for one participant: find it by start number, open its
        // results, type points and time at each of six posts, save, and answer the
        // question that marks it finished. Every key is counted.
        QFETCH(bool, addGame);
        QFETCH(int, expected);
        Evening e;
        const int team = addGame ? e.anna : e.ben;
        e.main().setCurrentRow(e.row(e.cleo));
        int keys = 0;
        const auto key = [&keys](Qt::Key k, Qt::KeyboardModifiers m = {}) {
            ++keys;
            press(k, m);
        };
        const auto text = [&keys](const QString &s) {
            keys += int(s.size());
            type(s);
        };
        const QStringList points{u"8"_s, u"7,5"_s, u"10"_s, u"6"_s, u"9"_s, u"5"_s};
        const QStringList times{u"35"_s, u"41"_s, u"28"_s, u"52"_s, u"30"_s, u"45"_s};
        e.t.ui.answers = {true}; // the finished question, answered with Enter on "Ja"
        whenOpen([&](QWidget *) {
            for (int post = 0; post < 6; ++post) {
                text(points.at(post));
                key(Qt::Key_Tab);
                text(times.at(post));
                if (post == 5)
                    break;
                key(Qt::Key_Tab);
                if (addGame) {
                    key(Qt::Key_Tab);
                    key(Qt::Key_Tab);
                }
            }
            key(Qt::Key_Return);
        });
        key(Qt::Key_F, Qt::ControlModifier);
        text(QString::number(e.t.data.ReadTeam(team)->StartNr));
        key(Qt::Key_Return); // to the grid
        key(Qt::Key_Return); // open the results
        ++keys; // Enter on "Ja" in the finished question
        QCOMPARE(e.t.ui.texts(u"yesno"_s).size(), 1);
        QVERIFY(e.t.data.ReadEntry(e.event, team)->Abgeschlossen);
        QCOMPARE(e.t.data.TotalPoints(team, false, false), 8 + 7.5 * 1.5 + 10 + 6 * 2 + 9 + 5);
        QCOMPARE(e.t.data.TotalTime(team, false, false), 231.0);
        qInfo("keys for one participant's results at six posts: %d", keys);
        QCOMPARE(keys, expected);
    }

    void previewIsNavigatedAndClosedByKeys()
    {
        Evening e;
        const Report::ReportDocument list = ReportTestUtil::rankListDocument(150);
        QTemporaryDir dir;
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(dir.filePath(u"liste.pdf"_s));
        ReportPrinting::setProgressShown(false);
        QList<int> pages;
        bool focusOnPage = false;
        bool closed = false;
        whenOpen([&](QWidget *dialog) {
            auto *preview = qobject_cast<ReportPreviewDialog *>(dialog);
            // The page has the focus: the arrows scroll it, the page keys turn the pages.
            focusOnPage = controlName(QApplication::focusWidget()) == u"previewScrollArea"_s;
            pages << preview->pageCount();
            for (auto [key, modifiers] : QList<std::pair<Qt::Key, Qt::KeyboardModifiers>>{
                     {Qt::Key_PageDown, {}},
                     {Qt::Key_End, Qt::ControlModifier},
                     {Qt::Key_PageUp, {}},
                     {Qt::Key_Home, Qt::ControlModifier}}) {
                press(key, modifiers);
                pages << preview->currentPage();
            }
            press(Qt::Key_P, Qt::ControlModifier); // printed at once, the preview stays
            // A button's access key clicks it a moment later, as a click would show.
            press(Qt::Key_C, Qt::AltModifier); // "Schließen"
            closed = QTest::qWaitFor([dialog] { return !dialog->isVisible(); });
        });
        ReportPreviewDialog::preview(list, &printer, e.t.ui, &e.main());
        ReportPrinting::setProgressShown(true);
        QVERIFY(focusOnPage);
        QCOMPARE(ReportTestUtil::pdfPageCount(printer.outputFileName()), pages.first());
        QVERIFY(pages.first() >= 3);
        const int last = pages.first() - 1;
        QCOMPARE(pages, (QList<int>{last + 1, 1, last, last - 1, 0}));
        QVERIFY(closed);
    }
};

QTEST_MAIN(TestKeyboard)
#include "tst_keyboard.moc"
