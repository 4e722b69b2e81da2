#include "app/ui/Forms.h"
#include "app/ui/MainForm.h"
#include "app/ui/ParticipantModel.h"
#include "backup/Snapshots.h"
#include "engine/Statement.h"
#include "live/LiveServer.h"
#include "live/PostAccess.h"
#include "live/ui/LiveResultsDialog.h"
#include "reportengine/render/ReportRenderer.h"
#include "results/ResultSheet.h"
#include "results/ui/TeamResultForm.h"
#include "support/HttpClient.h"
#include "support/ModalDialogs.h"
#include "support/TestDatabase.h"

#include <QAction>
#include <QJsonObject>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QSpinBox>
#include <QTcpServer>
#include <QTest>
#include <QTimer>

using namespace Qt::StringLiterals;

namespace {

quint16 freePort()
{
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost);
    return probe.serverPort();
}

// The program on an evening of two posts (factors 2 and 1) and two teams.
struct Program
{
    TestDatabase t;
    Forms forms;
    int event = 0;
    int slalom = 0;
    int tunnel = 0;
    int anna = 0;
    int bruno = 0;

    Program()
    {
        const int kat = t.addCategory(u"Senioren"_s);
        slalom = t.addPost(u"Slalom"_s, 2);
        tunnel = t.addPost(u"Tunnel"_s, 1);
        event = t.addEvent(u"Herbst"_s);
        anna = t.addTeam(u"Amsel"_s, u"Anna"_s, kat, false, 1);
        bruno = t.addTeam(u"Buch"_s, u"Bruno"_s, kat, false, 2);
        for (const int team : {anna, bruno}) {
            t.addEntry(event, team, team == anna ? 1 : 2);
            for (const int p : {slalom, tunnel})
                t.addResult(event, p, team, 2, 10);
        }
        forms.create(*t.competition, t.ui);
        t.open(event);
    }
    ~Program() { forms.destroy(); }

    TMainForm &main() { return *forms.MainForm; }

    // The points total the grid shows for a team.
    QString gridPoints(int teamNr)
    {
        ParticipantModel *model = main().participantModel();
        const int row = t.competition->participantIndex(teamNr);
        return model->data(model->index(row, ParticipantModel::CalcSumOfPoints), Qt::DisplayRole)
            .toString();
    }

    double stored(const char *column, int postenNr, int teamNr)
    {
        Statement s(t.db(),
                    u"SELECT %1 FROM Parcours WHERE AnlassNr = :a AND PostenNr = :p AND "
                    "TeamNr = :t"_s.arg(QLatin1String(column)));
        s.bind("a", event).bind("p", postenNr).bind("t", teamNr);
        return s.next() ? s.real(0) : -1;
    }
};

// A judge saving at a post of a running server: the status of the answer.
int postSaves(LiveServer &server, int postenNr, int teamNr, double punkte, double zeit)
{
    QString code;
    for (const PostCode &c : server.postCodes()) {
        if (c.postenNr == postenNr)
            code = c.code;
    }
    const QByteArray token =
        httpPost(server.port(), "/api/login",
                 QJsonDocument(QJsonObject{{u"postenNr"_s, postenNr}, {u"code"_s, code}}).toJson())
            .json()
            .object()
            .value(u"token")
            .toString()
            .toLatin1();
    return httpPost(
               server.port(), "/api/ergebnis",
               QJsonDocument(
                   QJsonObject{{u"teamNr"_s, teamNr}, {u"punkte"_s, punkte}, {u"zeit"_s, zeit}})
                   .toJson(),
               {"Authorization: Bearer " + token})
        .status;
}

QString de(double value)
{
    return QLocale().toString(value, 'f', 2);
}

} // namespace

// A judge's save in the running program: the grid shows it, the result dialog keeps it.
class TestPostsInProgram : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany)); }

    void gridShowsASaveOfItsOwnServerAtOnce()
    {
        Program p;
        p.main().action(u"LiveItem"_s)->trigger();
        auto *dialog = p.main().findChild<LiveResultsDialog *>(u"LiveResultsDialog"_s);
        QVERIFY(dialog);
        childOf<QSpinBox>(*dialog, "LivePort")->setValue(freePort());
        QTest::mouseClick(childOf<QPushButton>(*dialog, "LiveStartStop"), Qt::LeftButton);
        QVERIFY(dialog->server().isRunning());
        QCOMPARE(dialog->findChildren<QLabel *>(u"LivePostCode"_s).size(), 2);
        QCOMPARE(dialog->findChildren<QLabel *>(u"LivePostQrCode"_s).size(), 2);
        p.main().setCurrentRow(1);

        QCOMPARE(p.gridPoints(p.anna), de(4));
        QCOMPARE(postSaves(dialog->server(), p.slalom, p.anna, 5, 12), 200);
        // No waiting: the answer comes after the grid has been refreshed.
        QCOMPARE(p.gridPoints(p.anna), de(12));
        QCOMPARE(p.main().currentRow(), 1);
        QCOMPARE(p.stored("Punkte", p.slalom, p.anna), 10.0);
        // A judge's save counts as results entered: the regular snapshot is taken.
        const QList<Snapshot> snapshots = Snapshots::list(p.t.databaseDir());
        QCOMPARE(snapshots.size(), 1);
        QCOMPARE(snapshots.first().cause, u"Ergebniseingabe"_s);

        // The cards: one per post, with its code and a QR code to scan.
        QTest::mouseClick(childOf<QPushButton>(*dialog, "LivePostCards"), Qt::LeftButton);
        QCOMPARE(p.t.ui.previews.size(), 1);
        const Report::ReportDocument &cards = p.t.ui.previews.first();
        QCOMPARE(cards.title, u"Zugangskarten für Posten"_s);
        QCOMPARE(cards.data.rows.size(), 2);
        QCOMPARE(cards.data.value(0, u"Posten"_s).toString(), u"Posten %1: Slalom"_s.arg(p.slalom));
        QCOMPARE(cards.data.value(0, u"Code"_s).toString(), dialog->server().postCodes()[0].code);
        // Each card paints its code where the layout puts it: dark modules on white.
        const Render::ReportRenderer renderer(cards);
        QCOMPARE(renderer.pageCount(), 1);
        constexpr double Dpi = 100;
        const QImage page = renderer.renderPage(0, Dpi);
        const auto px = [](double mm) {
            return int(mm / 25.4 * Dpi);
        };
        const QRect code(px(10 + 8), px(10 + 36), px(70), px(70)); // page margins of 10 mm
        int dark = 0;
        for (int y = code.top(); y < code.bottom(); y += 2) {
            for (int x = code.left(); x < code.right(); x += 2)
                dark += qGray(page.pixel(x, y)) < 64;
        }
        QVERIFY2(dark > code.width() * code.height() / 4 / 5, qPrintable(QString::number(dark)));

        if (const QString dir = qEnvironmentVariable("SCREENSHOT_DIR"); !dir.isEmpty()) {
            QTest::qWait(100); // the dialog grows to its codes once the event loop runs
            dialog->grab().save(dir + u"/live-dialog.png"_s);
            renderer.writePdf(dir + u"/post-cards.pdf"_s); // as printed
        }
    }

    void gridShowsASaveBesideTheProgramWithinTwoSeconds()
    {
        Program p;
        // Another server on the same files, as velunda-cli serve on a second computer.
        LiveServer beside;
        beside.setSource(p.t.databaseDir(), p.event);
        beside.start(0, QHostAddress::LocalHost);
        QCOMPARE(postSaves(beside, p.tunnel, p.bruno, 7, 12), 200);
        QTRY_COMPARE_WITH_TIMEOUT(p.gridPoints(p.bruno), de(9), 2000);
    }

    void gridWaitsWhileTheOperatorIsInADialog()
    {
        Program p;
        LiveServer beside;
        beside.setSource(p.t.databaseDir(), p.event);
        beside.start(0, QHostAddress::LocalHost);
        p.main().setCurrentRow(p.t.competition->participantIndex(p.anna));
        QString whileOpen;
        onNextModal([&](QWidget *) {
            QCOMPARE(postSaves(beside, p.tunnel, p.anna, 7, 12), 200);
            QTest::qWait(1200);
            whileOpen = p.gridPoints(p.anna);
        });
        p.main().DBGrid1DblClick();
        QCOMPARE(whileOpen, de(4));
        QTRY_COMPARE_WITH_TIMEOUT(p.gridPoints(p.anna), de(9), 2000);
    }

    void resultDialogKeepsAPostsSave_data()
    {
        QTest::addColumn<bool>("typeOverIt");
        QTest::addColumn<bool>("answer");
        QTest::addColumn<double>("slalomAfter");
        QTest::newRow("other cell: nothing asked, the post's value stays")
            << false << false << 14.0;
        QTest::newRow("same cell, No: the post's value stays") << true << false << 14.0;
        QTest::newRow("same cell, Yes: the operator's value") << true << true << 3.0;
    }

    void resultDialogKeepsAPostsSave()
    {
        QFETCH(bool, typeOverIt);
        QFETCH(bool, answer);
        QFETCH(double, slalomAfter);
        Program p;
        ResultSheet sheet(p.t.data);
        sheet.Load(p.t.competition->participants().at(0), false);
        LiveServer beside;
        beside.setSource(p.t.databaseDir(), p.event);
        beside.start(0, QHostAddress::LocalHost);
        // While the operator has the dialog open, the slalom's judge stores 7 points (14).
        QCOMPARE(postSaves(beside, p.slalom, p.anna, 7, 12), 200);

        QVERIFY(sheet.setValue(1, ResultSheet::Points, 3)); // the tunnel
        if (typeOverIt)
            QVERIFY(sheet.setValue(0, ResultSheet::Points, 1.5));
        p.t.ui.answers = {false, answer}; // not finished; overwrite?
        bool finished = false;
        sheet.SaveResults(p.t.ui, finished);
        const QStringList questions = p.t.ui.texts(u"yesno"_s);
        QCOMPARE(questions.size(), typeOverIt ? 2 : 1);
        if (typeOverIt)
            QVERIFY2(questions.last().contains(u"Slalom, Punkte: geöffnet mit 1,00, jetzt 7,00, "
                                               "Ihre Eingabe 1,50"_s),
                     qPrintable(questions.last()));
        QCOMPARE(p.stored("Punkte", p.slalom, p.anna), slalomAfter);
        QCOMPARE(p.stored("Zeit", p.slalom, p.anna), 12.0); // not typed over: the post's
        QCOMPARE(p.stored("Punkte", p.tunnel, p.anna), 3.0);
    }
};

QTEST_MAIN(TestPostsInProgram)
#include "tst_postsinprogram.moc"
