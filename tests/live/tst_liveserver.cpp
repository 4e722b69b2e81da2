#include "engine/Database.h"
#include "live/LiveServer.h"
#include "reportengine/ReportDefinition.h"
#include "support/CliProcess.h"
#include "support/GeneratedEvent.h"
#include "support/HttpClient.h"
#include "support/TestDatabase.h"

#include <QDir>
#include <QElapsedTimer>
#include <QJsonArray>
#include <QJsonObject>
#include <QProcess>
#include <QTcpServer>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

const char *const Kinds[] = {"single", "group", "additional", "combined"};

// A field of the companion's CSV, quoted as it quotes.
QString csvField(const QString &text)
{
    if (!text.contains(u';') && !text.contains(u'"'))
        return text;
    QString quoted = text;
    quoted.replace(u"\""_s, u"\"\""_s);
    return u'"' + quoted + u'"';
}

// The JSON rows as the companion writes the same list: the rank method's leading value first.
QStringList asCsv(const QJsonObject &list, bool pointsFirst)
{
    QStringList lines{csvField(list.value(u"title").toString()),
                      csvField(list.value(u"subtitle").toString())};
    for (const QJsonValue &v : list.value(u"rows").toArray()) {
        const QJsonObject r = v.toObject();
        const QString punkte = Report::formatValue(r.value(u"punkte").toDouble(), u"0.00"_s);
        const QString zeit = Report::formatValue(r.value(u"zeit").toDouble(), u"0.00"_s);
        QStringList fields{QString::number(r.value(u"rang").toInt()),
                           QString::number(r.value(u"startNr").toInt())};
        for (const char *name : {"name", "verein", "hund", "rasse", "kategorie"})
            fields << csvField(r.value(QLatin1String(name)).toString());
        fields << (pointsFirst ? punkte : zeit) << (pointsFirst ? zeit : punkte);
        lines << fields.join(u';');
    }
    return lines;
}

// The companion's CSV without the byte order mark, the blank line and the column headings.
QStringList companionCsv(const QStringList &args)
{
    const CliRun run = runCli(args);
    if (run.status != 0)
        return {u"velunda-cli failed: "_s + run.err};
    QStringList lines = run.out.split(u"\r\n"_s, Qt::SkipEmptyParts);
    if (lines.size() >= 3)
        lines.removeAt(2);
    return lines;
}

} // namespace

class TestLiveServer : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<GeneratedEvent> m_event;
    std::unique_ptr<LiveServer> m_server;

    quint16 port() const { return m_server->port(); }

    void serve(const GeneratedEvent::Options &options)
    {
        m_server.reset();
        m_event = std::make_unique<GeneratedEvent>(options);
        m_server = std::make_unique<LiveServer>();
        m_server->setSource(m_event->t.databaseDir(), m_event->event);
        m_server->start(0, QHostAddress::LocalHost);
    }

    HttpResponse get(const QByteArray &path, const QByteArrayList &headers = {})
    {
        return httpRequest(port(), "GET", path, headers);
    }

private Q_SLOTS:
    void init() { serve(GeneratedEvent::Options()); }
    void cleanup()
    {
        m_server.reset();
        m_event.reset();
    }

    void listsEqualTheCompanion_data()
    {
        QTest::addColumn<GeneratedEvent::Options>("options");
        QTest::newRow("points then time, some printed")
            << GeneratedEvent::Options{11, u"Punkte/Zeit"_s, 1, 2, false, true};
        QTest::newRow("automatic, time only, some printed")
            << GeneratedEvent::Options{12, u"Nach Zeit"_s, 2, 2, true, true};
        QTest::newRow("automatic, time then points")
            << GeneratedEvent::Options{13, u"Zeit/Punkte"_s, 2, 1, true};
    }

    // Every kind and category of a field with groups, ties and printed marks: the rows, titles
    // and values equal the companion's standing for the same choice, printed or not.
    void listsEqualTheCompanion()
    {
        QFETCH(GeneratedEvent::Options, options);
        serve(options);
        const QJsonObject event = get("/api/event").json().object();
        const QString method = event.value(u"rangberechnung").toString();
        const bool pointsFirst =
            method.startsWith(u"Punkte/Zeit"_s) || method.startsWith(u"Nach Punkten"_s);
        QStringList categories{u"all"_s};
        for (const QJsonValue &c : event.value(u"kategorien").toArray())
            categories << QString::number(c.toObject().value(u"katNr").toInt());
        QCOMPARE(categories.size(), 4);

        int rows = 0;
        for (const char *kind : Kinds) {
            for (const QString &category : categories) {
                const HttpResponse r = get("/api/ranklist?kind=" + QByteArray(kind)
                                           + "&category=" + category.toUtf8());
                QCOMPARE(r.status, 200);
                const QJsonObject list = r.json().object();
                rows += int(list.value(u"rows").toArray().size());
                QCOMPARE(asCsv(list, pointsFirst),
                         companionCsv({u"ranklist"_s, m_event->t.databaseDir(), u"--event"_s,
                                       QString::number(m_event->event), u"--kind"_s,
                                       QLatin1String(kind), u"--category"_s, category,
                                       u"--with-printed"_s, u"--format"_s, u"csv"_s}));
            }
        }
        QVERIFY(rows > 50);
    }

    void answersNumbersAsNumbers()
    {
        const QJsonObject event = get("/api/event").json().object();
        QCOMPARE(event.value(u"anlassNr").toInt(-1), m_event->event);
        QCOMPARE(event.value(u"name").toString(), u"Herbstlauf"_s);
        QCOMPARE(event.value(u"rangberechnung").toString(), u"Punkte/Zeit (Punkte ab/Zeit auf)"_s);
        QVERIFY(event.value(u"zusatzspiel").isBool());
        QCOMPARE(event.value(u"zusatzspielName").toString(), u"Plauschrunde"_s);
        QVERIFY(event.value(u"kategorien").toArray().first().toObject().value(u"katNr").isDouble());

        const QJsonObject list = get("/api/ranklist?kind=single&category=all").json().object();
        QCOMPARE(list.value(u"title").toString(), u"Herbstlauf"_s);
        QVERIFY(list.value(u"fertig").isDouble());
        QVERIFY(list.value(u"gemeldet").toInt() >= list.value(u"fertig").toInt());
        const QJsonObject first = list.value(u"rows").toArray().first().toObject();
        for (const char *number : {"rang", "startNr", "punkte", "zeit"})
            QVERIFY2(first.value(QLatin1String(number)).isDouble(), number);
        QCOMPARE(first.value(u"rang").toInt(), 1);
        const QStringList keys = first.keys();
        QCOMPARE(keys.size(), 9);
    }

    void answersNotModifiedToItsOwnEtag()
    {
        for (const QByteArray path : {"/api/event", "/api/ranklist?kind=group", "/"}) {
            const HttpResponse full = get(path);
            QCOMPARE(full.status, 200);
            const QByteArray etag = full.headers.value("etag");
            QVERIFY(etag.startsWith('"') && etag.endsWith('"'));
            const HttpResponse same = get(path, {"If-None-Match: " + etag});
            QCOMPARE(same.status, 304);
            QVERIFY(same.body.isEmpty());
            QCOMPARE(same.headers.value("etag"), etag);
            QCOMPARE(get(path, {"If-None-Match: \"other\", W/" + etag}).status, 304);
            QCOMPARE(get(path, {"If-None-Match: \"other\""}).status, 200);

            const HttpResponse head = httpRequest(port(), "HEAD", path);
            QCOMPARE(head.status, 200);
            QCOMPARE(head.headers.value("content-length").toInt(), full.body.size());
            QCOMPARE(head.headers.value("etag"), etag);
        }
        QVERIFY(get("/api/event").headers.contains("last-modified"));
        QVERIFY(get("/").headers.value("content-security-policy").contains("script-src 'self'"));
    }

    void refusesWhatItDoesNotServe_data()
    {
        QTest::addColumn<QByteArray>("method");
        QTest::addColumn<QByteArray>("path");
        QTest::addColumn<int>("status");
        for (const char *method : {"POST", "PUT", "DELETE", "PATCH", "OPTIONS", "BREW"})
            QTest::newRow(method) << QByteArray(method) << QByteArray("/api/event") << 405;
        QTest::newRow("POST page") << QByteArray("POST") << QByteArray("/") << 405;
        const char *const missing[] = {"/api/nothing",     "/Anlass.dat",  "/../Anlass.dat",
                                       "/%2e%2e/Team.dat", "/board.js/",   "/api/event/",
                                       "/index.html",      "//etc/passwd", "/live/index.html"};
        for (const char *path : missing)
            QTest::newRow(path) << QByteArray("GET") << QByteArray(path) << 404;
        QTest::newRow("unknown kind")
            << QByteArray("GET") << QByteArray("/api/ranklist?kind=x") << 400;
        QTest::newRow("category text")
            << QByteArray("GET") << QByteArray("/api/ranklist?category=Senioren") << 400;
        QTest::newRow("category negative")
            << QByteArray("GET") << QByteArray("/api/ranklist?category=-1") << 400;
        QTest::newRow("category with trail")
            << QByteArray("GET") << QByteArray("/api/ranklist?category=1x") << 400;
        QTest::newRow("unknown category")
            << QByteArray("GET") << QByteArray("/api/ranklist?category=999") << 404;
    }

    void refusesWhatItDoesNotServe()
    {
        QFETCH(QByteArray, method);
        QFETCH(QByteArray, path);
        QFETCH(int, status);
        const HttpResponse r = httpRequest(port(), method, path);
        QCOMPARE(r.status, status);
        QVERIFY(!r.json().object().value(u"fehler").toString().isEmpty());
        if (status == 405)
            QCOMPARE(r.headers.value("allow"), QByteArray("GET, HEAD"));
    }

    void refusesOversizedRequests()
    {
        const QByteArray big(20 * 1024, 'x');
        QCOMPARE(get("/api/event", {"X-Padding: " + big}).status, 431);
        QCOMPARE(get("/api/event?" + big).status, 431);
        const QByteArray body(100 * 1024, 'y');
        const HttpResponse r =
            httpExchange(port(),
                         "POST /api/event HTTP/1.1\r\nHost: x\r\nContent-Length: "
                             + QByteArray::number(body.size()) + "\r\n\r\n" + body);
        QCOMPARE(r.status, 413);
        // The server goes on serving.
        QCOMPARE(get("/api/event").status, 200);
    }

    void seesAChangeByAnotherProcessWithinTwoSeconds()
    {
        const QByteArray path = "/api/ranklist?kind=single&category=all";
        const HttpResponse before = get(path);
        const QByteArray etag = before.headers.value("etag");
        const QJsonObject leader =
            before.json().object().value(u"rows").toArray().first().toObject();

        // The last of the list's finished teams takes the lead.
        const QDir dir(m_event->t.databaseDir());
        QProcess sqlite;
        sqlite.start(u"sqlite3"_s,
                     {dir.filePath(u"Parcours.dat"_s),
                      u"ATTACH '%1' AS e; UPDATE Parcours SET Punkte = Punkte + 1000 WHERE "
                      "AnlassNr = %2 AND TeamNr = (SELECT max(TeamNr) FROM e.TeamsProAnlass "
                      "WHERE AnlassNr = %2 AND Abgeschlossen <> 0 AND GroupNr = 0 AND IsGroup = 0 "
                      "AND TeamNr IN (SELECT TeamNr FROM Parcours))"_s
                          .arg(dir.filePath(u"TeamsProAnlass.dat"_s))
                          .arg(m_event->event)});
        QVERIFY2(sqlite.waitForFinished(10000), "sqlite3 did not run");
        QCOMPARE(sqlite.exitCode(), 0);
        QElapsedTimer clock;
        clock.start();

        HttpResponse after;
        do {
            QTest::qWait(50);
            after = get(path, {"If-None-Match: " + etag});
        } while (after.status == 304 && clock.elapsed() < 5000);
        QCOMPARE(after.status, 200);
        QVERIFY2(clock.elapsed() < 2000, qPrintable(QString::number(clock.elapsed())));
        QVERIFY(after.json().object().value(u"rows").toArray().first().toObject() != leader);
        QVERIFY(after.headers.value("last-modified") != QByteArray());
    }

    void leavesTheDatabaseFilesAsTheyWere()
    {
        m_server.reset();
        const QString directory = m_event->t.databaseDir();
        m_event->t.data.CloseDatabase();
        const QHash<QString, QByteArray> before = fileHashes(directory);
        QVERIFY(before.size() >= 8);

        m_server = std::make_unique<LiveServer>();
        m_server->setSource(directory, m_event->event);
        m_server->start(0, QHostAddress::LocalHost);
        for (const char *kind : Kinds) {
            for (const QByteArray category : {"all", "1", "2", "3"})
                QCOMPARE(
                    get("/api/ranklist?kind=" + QByteArray(kind) + "&category=" + category).status,
                    200);
        }
        QCOMPARE(get("/api/event").status, 200);
        QTest::qWait(1200); // a few polls of the data versions
        m_server.reset();
        QCOMPARE(fileHashes(directory), before);
    }

    void followsTheEventItIsGiven()
    {
        const int other = m_event->t.addEvent(u"Frühlingslauf"_s);
        m_server->setSource(m_event->t.databaseDir(), other);
        QCOMPARE(get("/api/event").json().object().value(u"name").toString(), u"Frühlingslauf"_s);
        m_server->setSource(m_event->t.databaseDir(), 4711);
        const HttpResponse missing = get("/api/ranklist");
        QCOMPARE(missing.status, 404);
        QCOMPARE(missing.json().object().value(u"fehler").toString(),
                 u"Den Anlass 4711 gibt es nicht."_s);
    }

    // A refusal is not kept: the category made afterwards is served at once.
    void servesACategoryMadeAfterARefusal()
    {
        const int next = m_event->categories.last() + 1;
        const QByteArray path = "/api/ranklist?category=" + QByteArray::number(next);
        QCOMPARE(get(path).status, 404);
        QCOMPARE(m_event->t.addCategory(u"Veteranen"_s), next);
        QCOMPARE(get(path).status, 200);
    }

    void saysSoWhenThePortIsTaken()
    {
        LiveServer second;
        second.setSource(m_event->t.databaseDir(), m_event->event);
        try {
            second.start(port(), QHostAddress::LocalHost);
            QFAIL("started on a port in use");
        } catch (const LiveError &e) {
            QVERIFY2(e.message().contains(u"Der Port %1 ist schon belegt"_s.arg(port())),
                     qPrintable(e.message()));
        }
        QVERIFY(!second.isRunning());
        QCOMPARE(get("/api/event").status, 200);
    }
};

QTEST_GUILESS_MAIN(TestLiveServer)
#include "tst_liveserver.moc"
