#include "support/CliProcess.h"
#include "support/HttpClient.h"
#include "support/TestDatabase.h"

#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QTcpServer>
#include <QTest>

#include <csignal>

using namespace Qt::StringLiterals;

// velunda-cli serve: the server run headless, as on a second computer beside the program.
class TestLiveServe : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<TestDatabase> m_t;
    int m_event = 0;

    QStringList serveArgs(quint16 port) const
    {
        return {u"serve"_s,  m_t->databaseDir(),    u"--event"_s, QString::number(m_event),
                u"--port"_s, QString::number(port), u"--bind"_s,  u"127.0.0.1"_s};
    }

private Q_SLOTS:
    void init()
    {
        m_t = std::make_unique<TestDatabase>();
        const int kat = m_t->addCategory(u"Senioren"_s);
        m_event = m_t->addEvent(u"Nachtlauf"_s);
        m_t->addPost(u"Slalom"_s, 2);
        m_t->addPost(u"Alt"_s, 1, false);
        const int team = m_t->addTeam(u"Amsel"_s, u"Anna"_s, kat);
        m_t->addEntry(m_event, team, 1, false, 0, true);
    }

    void cleanup() { m_t.reset(); }

    void servesUntilASignalEndsIt_data()
    {
        QTest::addColumn<int>("signal");
        QTest::newRow("SIGTERM") << int(SIGTERM);
        QTest::newRow("SIGINT") << int(SIGINT);
    }

    void servesUntilASignalEndsIt()
    {
        QFETCH(int, signal);
        QProcess serve;
        serve.start(qEnvironmentVariable("VELUNDA_CLI"), serveArgs(0));
        QVERIFY(serve.waitForStarted());
        QByteArray out;
        // The board's address, then a line per active post with its page and code.
        const QRegularExpression live(u"Live: http://127\\.0\\.0\\.1:(\\d+)/\n"
                                      "Posten 1 Slalom: http://127\\.0\\.0\\.1:\\1/posten/1 "
                                      "Code \\d{6}\n"_s);
        QRegularExpressionMatch match;
        while (!(match = live.match(QString::fromUtf8(out))).hasMatch()
               && serve.waitForReadyRead(10000))
            out += serve.readAllStandardOutput();
        QVERIFY2(match.hasMatch(), out.constData());
        QVERIFY(!out.contains("Alt"));
        const quint16 port = quint16(match.captured(1).toUInt());

        const HttpResponse event = httpRequest(port, "GET", "/api/event");
        QCOMPARE(event.status, 200);
        QCOMPARE(event.json().object().value(u"name").toString(), u"Nachtlauf"_s);

        ::kill(pid_t(serve.processId()), signal);
        QVERIFY(serve.waitForFinished(10000));
        QCOMPARE(serve.exitStatus(), QProcess::NormalExit);
        QCOMPARE(serve.exitCode(), 0);
        QVERIFY(serve.readAllStandardOutput().contains("Live-Server beendet."));
        QCOMPARE(httpRequest(port, "GET", "/api/event").status, 0);
    }

    void saysSoWhenThePortIsTaken()
    {
        QTcpServer taken;
        QVERIFY(taken.listen(QHostAddress::LocalHost));
        const CliRun run = runCli(serveArgs(taken.serverPort()));
        QCOMPARE(run.status, 1);
        QVERIFY2(run.err.contains(u"Der Port %1 ist schon belegt"_s.arg(taken.serverPort())),
                 qPrintable(run.err));
    }

    void refusesWhatItCannotServe()
    {
        QStringList args = serveArgs(0);
        args[3] = u"99"_s;
        CliRun run = runCli(args);
        QCOMPARE(run.status, 1);
        QVERIFY(run.err.contains(u"Den Anlass 99 gibt es nicht."_s));

        run =
            runCli({u"serve"_s, m_t->databaseDir(), u"--event"_s, u"1"_s, u"--port"_s, u"70000"_s});
        QCOMPARE(run.status, 2);
        run = runCli(
            {u"serve"_s, m_t->databaseDir(), u"--event"_s, u"1"_s, u"--bind"_s, u"irgendwo"_s});
        QCOMPARE(run.status, 2);
        QVERIFY(run.err.contains(u"keine IP-Adresse"_s));
    }
};

QTEST_GUILESS_MAIN(TestLiveServe)
#include "tst_liveserve.moc"
