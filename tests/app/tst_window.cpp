#include "app/ui/ElidedLabel.h"
#include "app/ui/Forms.h"
#include "app/ui/MainForm.h"
#include "app/ui/ParticipantModel.h"
#include "app/ui/VelundaApplication.h"
#include "app/ui/WindowPlacement.h"
#include "event/ui/DataDetailForm.h"
#include "event/ui/DataForm.h"
#include "event/ui/MasterDataModel.h"
#include "event/ui/NewCompForm.h"
#include "participants/Entries.h"
#include "participants/ui/GroupForm.h"
#include "participants/ui/TeamForm.h"
#include "participants/ui/TeamOverviewForm.h"
#include "results/ui/TeamResultForm.h"
#include "support/KeyboardChecks.h"
#include "support/TestDatabase.h"

#include <QDir>
#include <QFile>
#include <QHeaderView>
#include <QScreen>
#include <QScrollBar>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

// The main window over a database with participants, its size saved in the settings file
// beforehand.
struct Window
{
    TestDatabase t;
    Forms forms;
    int plain = 0;
    int withAddGame = 0;

    explicit Window(const QByteArray &settings = {})
    {
        QFile ini(QDir(t.programDir()).filePath(u"Velunda.ini"_s));
        if (!ini.open(QIODevice::WriteOnly))
            qFatal("no settings file");
        ini.write("[Default]\n" + settings);
        ini.close();
        const int kat = t.addCategory(u"Senioren Plausch"_s);
        const int post = t.addPost(u"Slalom"_s);
        plain = t.addEvent(u"Sommerplausch"_s);
        withAddGame =
            t.addEvent(u"Herbstplausch"_s, u"Punkte/Zeit"_s, 1, 2, true, 3, true, u"Suchspiel"_s);
        for (int i = 1; i <= 30; ++i) {
            const int team = t.addTeam(u"Vonarburg-Zimmermann %1"_s.arg(i), u"Anna-Barbara"_s, kat,
                                       i % 2 == 0, i, u"Bella vom Sonnenhof"_s);
            for (int event : {plain, withAddGame}) {
                t.addEntry(event, team, i, false, 0, i % 3 == 0, i % 4 == 0);
                t.addResult(event, post, team, 1234.5, 987.25, 321, 45.5);
            }
        }
        forms.create(*t.competition, t.ui);
    }
    ~Window() { forms.destroy(); }

    TMainForm &main() { return *forms.MainForm; }
};

QRect available()
{
    return QGuiApplication::primaryScreen()->availableGeometry();
}

} // namespace

class TestWindow : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void placeWindow_data()
    {
        QTest::addColumn<QSize>("wanted");
        QTest::addColumn<QRect>("screen");
        QTest::addColumn<QRect>("placed");
        const QRect screen(0, 0, 1280, 1024); // the frame: 4 around, 30 for the title bar
        QTest::newRow("fits: centred") << QSize(1006, 719) << screen << QRect(137, 165, 1006, 719);
        QTest::newRow("too wide and tall: the screen less the frame")
            << QSize(3000, 2000) << screen << QRect(4, 30, 1272, 990);
        QTest::newRow("too tall only") << QSize(800, 1500) << screen << QRect(240, 30, 800, 990);
        QTest::newRow("second screen")
            << QSize(3000, 500) << QRect(1280, 0, 1920, 1080) << QRect(1284, 303, 1912, 500);
    }

    void placeWindow()
    {
        QFETCH(QSize, wanted);
        QFETCH(QRect, screen);
        QFETCH(QRect, placed);
        QCOMPARE(::placeWindow(wanted, screen, QMargins(4, 30, 4, 4)), placed);
    }

    void savedSizeLargerThanTheScreenFitsIt_data()
    {
        QTest::addColumn<QByteArray>("settings");
        QTest::addColumn<bool>("maximized");
        QTest::newRow("normal") << QByteArray(
            "WindowState=wsNormal\nFormWidth=4000\nFormHeight=3000\n")
                                << false;
        QTest::newRow("maximised") << QByteArray("WindowState=wsMaximized\nFormWidth=4000\n"
                                                 "FormHeight=3000\n")
                                   << true;
    }

    void savedSizeLargerThanTheScreenFitsIt()
    {
        QFETCH(QByteArray, settings);
        QFETCH(bool, maximized);
        Window w(settings);
        w.main().show();
        QVERIFY(QTest::qWaitForWindowExposed(&w.main()));
        QCOMPARE(w.main().isMaximized(), maximized);
        if (!maximized) {
            QTRY_COMPARE(w.main().frameGeometry().center(), available().center());
            QVERIFY(available().contains(w.main().frameGeometry()));
        }
        // Restored from maximised, the window fits as well.
        w.main().showNormal();
        QVERIFY(available().contains(w.main().frameGeometry()));
    }

    void defaultSizeIsCentred()
    {
        Window w;
        w.main().show();
        QCOMPARE(w.main().size(), QSize(1006, 719));
        QTRY_COMPARE(w.main().frameGeometry().center(), available().center());
    }

    void everyColumnReadableAtTheDefaultSize_data()
    {
        QTest::addColumn<bool>("addGame");
        QTest::newRow("without additional game") << false;
        QTest::newRow("with additional game") << true;
    }

    void everyColumnReadableAtTheDefaultSize()
    {
        QFETCH(bool, addGame);
        Window w;
        w.t.competition->OpenEvent(addGame ? w.withAddGame : w.plain);
        w.main().show();
        QVERIFY(QTest::qWaitForWindowExposed(&w.main()));
        QCoreApplication::processEvents();
        QCOMPARE(w.main().size(), QSize(1006, 719));
        ParticipantGrid *grid = w.main().grid();
        QHeaderView *header = grid->horizontalHeader();
        int total = 0;
        for (int column = 0; column < ParticipantModel::ColumnCount; ++column) {
            if (grid->isColumnHidden(column))
                continue;
            total += grid->columnWidth(column);
            if (column == ParticipantModel::Dummy)
                continue; // the grey separator has no heading
            const QString heading =
                grid->model()->headerData(column, Qt::Horizontal, Qt::DisplayRole).toString();
            QVERIFY2(header->fontMetrics().horizontalAdvance(heading) + 8
                         <= grid->columnWidth(column),
                     qPrintable(heading));
        }
        // No scrolling sideways, even with the vertical scroll bar of thirty rows.
        QVERIFY(grid->verticalScrollBar()->isVisible());
        QVERIFY2(total <= grid->viewport()->width(),
                 qPrintable(u"%1 > %2"_s.arg(total).arg(grid->viewport()->width())));
        QVERIFY(!grid->horizontalScrollBar()->isVisible());
        // The totals show whole in their narrowed columns.
        const QString points =
            grid->model()->index(0, ParticipantModel::CalcSumOfPoints).data().toString();
        QVERIFY(grid->fontMetrics().horizontalAdvance(points) + 6
                <= grid->columnWidth(ParticipantModel::CalcSumOfPoints));
        // A name cut by its column shows whole in its tooltip.
        QCOMPARE(grid->model()->index(0, ParticipantModel::CalcFullName).data(Qt::ToolTipRole),
                 grid->model()->index(0, ParticipantModel::CalcFullName).data());
    }

    void longEventNameIsCutNotWideningTheWindow()
    {
        // A window as wide as a small screen, and the longest name an event can have.
        Window w("FormWidth=800\n");
        const QString name = u"Grosser Herbstplausch des Kynologischen Vereins ZH"_s;
        w.t.db().exec(u"UPDATE Anlass SET AnlassBez = '%1'"_s.arg(name));
        w.t.competition->OpenEvent(w.withAddGame);
        w.main().show();
        QVERIFY(QTest::qWaitForWindowExposed(&w.main()));
        QCoreApplication::processEvents();
        QCOMPARE(w.main().width(), 800);
        auto *label = w.main().findChild<ElidedLabel *>(u"lblName"_s);
        QVERIFY(label->isElided());
        QVERIFY(label->text().endsWith(u'…'));
        QCOMPARE(label->toolTip(), name);
        QCOMPARE(label->fullText(), name);
    }

    void captionsAreTheTextsOfTheProgram()
    {
        Window w;
        Forms &f = w.forms;
        f.NewCompForm->dialogMode = QLatin1Char('E');
        f.NewCompForm->FormShow();
        f.TeamForm->SetLayout(QLatin1Char('G'));
        const QList<std::pair<QWidget *, QString>> captions{
            {&w.main(), u"Velunda 3.00"_s},
            {f.NewCompForm, u"Anlass ändern"_s},
            {f.TeamForm, u"Gruppe"_s},
            {f.TeamOverviewForm, u"Team-Übersicht"_s},
            {f.GroupForm, u"Gruppen verwalten"_s},
            {f.TeamResultForm, u"Ergebnisse eingeben"_s},
            {f.DataForm, u"Stammdaten"_s},
            {f.DataDetailForm, u"Stammdaten-Detail"_s},
        };
        // Without a display name of its own the platform appends nothing to the captions
        // ("Team — Velunda 3.00"); it falls back to the application name.
        QCOMPARE(QGuiApplication::applicationDisplayName(), QGuiApplication::applicationName());
        for (const auto &[window, caption] : captions) {
            window->show();
            QCOMPARE(window->windowTitle(), caption);
            // What the window system is given, without the program's name appended.
            QCOMPARE(window->windowHandle()->title(), caption);
            window->hide();
        }
        // The master data lists title their columns in words.
        f.DataForm->ListMode = QLatin1Char('P');
        f.DataForm->FormShow();
        QStringList titles;
        QAbstractItemModel *model = f.DataForm->grid()->model();
        for (int c = 0; c < model->columnCount(); ++c)
            titles << model->headerData(c, Qt::Horizontal).toString();
        QCOMPARE(titles, (QStringList{u"Posten"_s, u"Faktor"_s, u"Aktiv"_s}));
        f.DataForm->ListMode = QLatin1Char('K');
        f.DataForm->FormShow();
        QCOMPARE(f.DataForm->grid()->model()->headerData(0, Qt::Horizontal).toString(),
                 u"Kategorie"_s);
    }
};

int main(int argc, char *argv[])
{
    // The program's own application object: it decides what the platform adds to captions.
    VelundaApplication app(argc, argv);
    TestWindow test;
    return QTest::qExec(&test, argc, argv);
}
#include "tst_window.moc"
