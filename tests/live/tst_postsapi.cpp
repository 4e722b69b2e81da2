#include "engine/Database.h"
#include "engine/Statement.h"
#include "live/LiveServer.h"
#include "live/PostAccess.h"
#include "support/HttpClient.h"
#include "support/TestDatabase.h"

#include <QDir>
#include <QHostAddress>
#include <QJsonArray>
#include <QJsonObject>
#include <QSignalSpy>
#include <QTest>

#include <atomic>
#include <chrono>
#include <thread>

using namespace Qt::StringLiterals;

namespace {

constexpr int Teams = 20;

QByteArray json(const QJsonObject &o)
{
    return QJsonDocument(o).toJson(QJsonDocument::Compact);
}

} // namespace

// The posts' interface of the live server: logging in with a post's code, reading and writing
// that post's results, and every refusal storing nothing.
class TestPostsApi : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<TestDatabase> m_t;
    std::unique_ptr<LiveServer> m_server;
    int m_event = 0;
    int m_other = 0;
    QList<int> m_posts; // slalom (factor 1.5), tunnel (3), steg (1)
    int m_inactive = 0;
    QList<int> m_teams; // start numbers 1 to Teams; the first plays the additional game
    int m_group = 0;
    int m_stranger = 0; // a team of another event

    quint16 port() const { return m_server->port(); }

    QString code(int postenNr) const
    {
        for (const PostCode &c : m_server->postCodes()) {
            if (c.postenNr == postenNr)
                return c.code;
        }
        return {};
    }

    QByteArray login(int postenNr)
    {
        const HttpResponse r = httpPost(
            port(), "/api/login", json({{u"postenNr"_s, postenNr}, {u"code"_s, code(postenNr)}}));
        return r.json().object().value(u"token").toString().toLatin1();
    }

    static QByteArray bearer(const QByteArray &token) { return "Authorization: Bearer " + token; }

    HttpResponse save(const QByteArray &token, const QJsonObject &body)
    {
        return httpPost(port(), "/api/ergebnis", json(body), {bearer(token)});
    }

    double stored(const char *column, int postenNr, int teamNr)
    {
        Statement s(m_t->db(),
                    u"SELECT %1 FROM Parcours WHERE AnlassNr = :a AND PostenNr = :p "
                    "AND TeamNr = :t"_s.arg(QLatin1String(column)));
        s.bind("a", m_event).bind("p", postenNr).bind("t", teamNr);
        return s.next() ? s.real(0) : -1;
    }

private Q_SLOTS:
    void init()
    {
        m_t = std::make_unique<TestDatabase>();
        const int kat = m_t->addCategory(u"Senioren"_s);
        m_posts = {m_t->addPost(u"Slalom"_s, 1.5), m_t->addPost(u"Tunnel"_s, 3),
                   m_t->addPost(u"Steg"_s, 1)};
        m_inactive = m_t->addPost(u"Alt"_s, 1, false);
        m_event = m_t->addEvent(u"Herbst"_s, u"Punkte/Zeit"_s, 1, 2, false, 0, true, u"Plausch"_s);
        m_teams.clear();
        for (int i = 1; i <= Teams; ++i) {
            const int team = m_t->addTeam(u"Team%1"_s.arg(i), u"Vorname"_s, kat, i == 1, i);
            m_t->addEntry(m_event, team, i);
            for (const int p : m_posts)
                m_t->addResult(m_event, p, team, 0, 0);
            m_teams << team;
        }
        m_group = m_t->addGroup(u"Blitz"_s, kat, false, 50);
        m_t->addEntry(m_event, m_group, 50, true);
        for (const int member : {m_teams[18], m_teams[19]})
            m_t->addMember(m_group, member);
        m_other = m_t->addEvent(u"Frühling"_s);
        m_stranger = m_t->addTeam(u"Fremd"_s, u"Fritz"_s, kat);
        m_t->addResult(m_other, m_posts[0], m_stranger, 0, 0);

        m_server = std::make_unique<LiveServer>();
        m_server->setSource(m_t->databaseDir(), m_event);
        m_server->start(0, QHostAddress::LocalHost);
    }

    void cleanup()
    {
        m_server.reset();
        m_t.reset();
    }

    void drawsACodePerActivePost()
    {
        const QList<PostCode> codes = m_server->postCodes();
        QCOMPARE(codes.size(), 3);
        for (const PostCode &c : codes) {
            QVERIFY(m_posts.contains(c.postenNr));
            QVERIFY2(QRegularExpression(u"^\\d{6}$"_s).match(c.code).hasMatch(),
                     qPrintable(c.code));
            QCOMPARE(httpRequest(port(), "GET", "/posten/" + QByteArray::number(c.postenNr)).status,
                     200);
        }
        QCOMPARE(m_server->postUrl(m_posts[0], true).fragment(), u"code="_s + code(m_posts[0]));
        QCOMPARE(m_server->postUrl(m_posts[0]).path(), u"/posten/%1"_s.arg(m_posts[0]));
        const HttpResponse page = httpRequest(port(), "GET", "/posten/1");
        QVERIFY(page.headers.value("content-security-policy").contains("script-src 'self'"));
        for (const QByteArray &path :
             QByteArrayList{"/posten/" + QByteArray::number(m_inactive), QByteArray("/posten/99"),
                            QByteArray("/posten/"), QByteArray("/posten/1/../Anlass.dat")})
            QCOMPARE(httpRequest(port(), "GET", path).status, 404);

        // Every start draws afresh; the tokens of the last run are worth nothing.
        const QByteArray token = login(m_posts[0]);
        QCOMPARE(token.size(), 64);
        QStringList before;
        for (const PostCode &c : codes)
            before << c.code;
        m_server->start(0, QHostAddress::LocalHost);
        QStringList after;
        for (const PostCode &c : m_server->postCodes())
            after << c.code;
        QVERIFY(after != before);
        QCOMPARE(httpRequest(port(), "GET", "/api/teilnehmer", {bearer(token)}).status, 401);
        m_server->stop();
        QVERIFY(m_server->postCodes().isEmpty());
    }

    void logsInWithThePostsOwnCodeOnly()
    {
        const auto attempt = [this](const QJsonValue &post, const QJsonValue &code) {
            return httpPost(port(), "/api/login", json({{u"postenNr"_s, post}, {u"code"_s, code}}));
        };
        QString wrong = code(m_posts[0]);
        wrong[5] = wrong[5] == u'0' ? u'1' : u'0';
        QCOMPARE(attempt(m_posts[0], wrong).status, 403);
        QCOMPARE(attempt(m_posts[0], QString(code(m_posts[0]) + u"0"_s)).status, 403);
        // Another post's code opens only that post.
        if (code(m_posts[1]) != code(m_posts[0]))
            QCOMPARE(attempt(m_posts[0], code(m_posts[1])).status, 403);
        QCOMPARE(attempt(m_inactive, code(m_posts[0])).status, 403);
        QCOMPARE(attempt(u"1"_s, code(m_posts[0])).status, 400);
        QCOMPARE(attempt(m_posts[0], code(m_posts[0]).toInt()).status, 400);
        QCOMPARE(httpPost(port(), "/api/login", "{").status, 400);

        const HttpResponse r = attempt(m_posts[1], code(m_posts[1]));
        QCOMPARE(r.status, 200);
        QCOMPARE(r.json().object().value(u"postenBez").toString(), u"Tunnel"_s);
        QCOMPARE(httpRequest(port(), "GET", "/api/login").status, 405);
    }

    void bansAnAddressAfterTenWrongCodes()
    {
        QString wrong = code(m_posts[0]);
        wrong[0] = wrong[0] == u'9' ? u'8' : u'9';
        const QByteArray bad = json({{u"postenNr"_s, m_posts[0]}, {u"code"_s, wrong}});
        for (int i = 0; i < PostAccess::MaxFailures; ++i)
            QCOMPARE(httpPost(port(), "/api/login", bad).status, 403);
        const HttpResponse refused =
            httpPost(port(), "/api/login",
                     json({{u"postenNr"_s, m_posts[0]}, {u"code"_s, code(m_posts[0])}}));
        QCOMPARE(refused.status, 429);
        const int retry = refused.headers.value("retry-after").toInt();
        QVERIFY2(retry > 50 && retry <= 60, refused.headers.value("retry-after").constData());
        QVERIFY(!refused.json().object().contains(u"token"_s));
    }

    void banLastsAMinuteAndCountsOnlyTheLastMinute()
    {
        qint64 now = 1'000'000;
        PostAccess access([&now] { return now; });
        PostRow post;
        post.PostenNr = 4;
        post.Aktiv = true;
        access.open({post});
        const QString right = access.codes().first().code;
        const QString wrong = right == u"000000"_s ? u"000001"_s : u"000000"_s;
        const QHostAddress judge(u"192.168.1.20"_s);
        const QHostAddress other(u"192.168.1.21"_s);
        QByteArray token;
        for (int i = 0; i < PostAccess::MaxFailures - 1; ++i)
            QCOMPARE(access.login(judge, 4, wrong, token), PostAccess::Login::WrongCode);
        now += PostAccess::WindowMs + 1; // those nine are older than a minute now
        QCOMPARE(access.login(judge, 4, wrong, token), PostAccess::Login::WrongCode);
        QCOMPARE(access.login(judge, 4, right, token), PostAccess::Login::Granted);

        for (int i = 0; i < PostAccess::MaxFailures; ++i)
            access.login(judge, 4, wrong, token);
        QCOMPARE(access.login(judge, 4, right, token), PostAccess::Login::Banned);
        QCOMPARE(access.login(other, 4, right, token), PostAccess::Login::Granted);
        // The same device under a new IPv6 address of its network is still banned.
        for (int i = 0; i < PostAccess::MaxFailures; ++i)
            access.login(QHostAddress(u"fd00::1"_s), 4, wrong, token);
        QCOMPARE(access.login(QHostAddress(u"fd00::2"_s), 4, right, token),
                 PostAccess::Login::Banned);
        now += PostAccess::WindowMs - 1000;
        QCOMPARE(access.bannedFor(judge), 1);
        QCOMPARE(access.login(judge, 4, right, token), PostAccess::Login::Banned);
        now += 1000;
        QCOMPARE(access.login(judge, 4, right, token), PostAccess::Login::Granted);
        QCOMPARE(access.postOf(token), std::optional<int>(4));

        // Many addresses together pause every login; the judges logged in go on.
        now += PostAccess::WindowMs + 1;
        for (int i = 0; i < PostAccess::MaxFailuresAll; ++i)
            access.login(QHostAddress(u"10.0.%1.%2"_s.arg(i / 200).arg(i % 200 + 1)), 4, wrong,
                         token);
        QByteArray refused;
        QCOMPARE(access.login(other, 4, right, refused), PostAccess::Login::Banned);
        QCOMPARE(access.bannedFor(other), 60);
        QCOMPARE(access.postOf(token), std::optional<int>(4));
        now += PostAccess::WindowMs;
        QCOMPARE(access.login(other, 4, right, refused), PostAccess::Login::Granted);
    }

    void refusesAndStoresNothing_data()
    {
        QTest::addColumn<QByteArray>("auth"); // "token": a valid one
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<int>("status");
        // TEAM and STRANGER stand for team numbers the fixture draws later.
        const QByteArray team = "TEAM";
        const QByteArray ok = "{\"teamNr\":" + team + ",\"punkte\":4,\"zeit\":30";
        QTest::newRow("no token") << QByteArray() << ok + "}" << 401;
        QTest::newRow("unknown token") << QByteArray("Bearer 00ff") << ok + "}" << 401;
        QTest::newRow("other scheme") << QByteArray("Basic token") << ok + "}" << 401;
        QTest::newRow("broken JSON") << QByteArray("token") << ok << 400;
        QTest::newRow("array") << QByteArray("token") << QByteArray("[1,2]") << 400;
        QTest::newRow("points as text")
            << QByteArray("token") << "{\"teamNr\":" + team + ",\"punkte\":\"7,5\",\"zeit\":1}"
            << 400;
        QTest::newRow("time missing")
            << QByteArray("token") << "{\"teamNr\":" + team + ",\"punkte\":7}" << 400;
        QTest::newRow("time null")
            << QByteArray("token") << "{\"teamNr\":" + team + ",\"punkte\":7,\"zeit\":null}" << 400;
        QTest::newRow("infinite points")
            << QByteArray("token") << "{\"teamNr\":" + team + ",\"punkte\":1e999,\"zeit\":1}"
            << 400;
        QTest::newRow("NaN") << QByteArray("token")
                             << "{\"teamNr\":" + team + ",\"punkte\":NaN,\"zeit\":1}" << 400;
        QTest::newRow("overflows with the factor")
            << QByteArray("token") << "{\"teamNr\":" + team + ",\"punkte\":1.7e308,\"zeit\":1}"
            << 400;
        QTest::newRow("team as text")
            << QByteArray("token") << QByteArray("{\"teamNr\":\"3\",\"punkte\":1,\"zeit\":1}")
            << 400;
        QTest::newRow("team not whole")
            << QByteArray("token") << QByteArray("{\"teamNr\":2.5,\"punkte\":1,\"zeit\":1}") << 400;
        QTest::newRow("vorher not an object")
            << QByteArray("token") << ok + ",\"vorher\":5}" << 400;
        QTest::newRow("vorher without time")
            << QByteArray("token") << ok + ",\"vorher\":{\"punkte\":0}}" << 400;
        QTest::newRow("bad id") << QByteArray("token") << ok + ",\"id\":\"a b\"}" << 400;
        QTest::newRow("additional game not played")
            << QByteArray("token") << ok + ",\"zusatzPunkte\":3}" << 400;
        QTest::newRow("another event's team")
            << QByteArray("token") << QByteArray("{\"teamNr\":STRANGER,\"punkte\":1,\"zeit\":1}")
            << 404;
        QTest::newRow("no such team")
            << QByteArray("token") << QByteArray("{\"teamNr\":99999,\"punkte\":1,\"zeit\":1}")
            << 404;
        QTest::newRow("stale vorher")
            << QByteArray("token") << ok + ",\"vorher\":{\"punkte\":1,\"zeit\":0}}" << 409;
        QTest::newRow("too large")
            << QByteArray("token") << ok + ",\"x\":\"" + QByteArray(9000, 'x') + "\"}" << 413;
    }

    void refusesAndStoresNothing()
    {
        QFETCH(QByteArray, auth);
        QFETCH(QByteArray, body);
        QFETCH(int, status);
        body.replace("TEAM", QByteArray::number(m_teams[1]));
        body.replace("STRANGER", QByteArray::number(m_stranger));
        const QByteArray token = login(m_posts[0]);
        const QHash<QString, QByteArray> before = fileHashes(m_t->databaseDir());
        QByteArrayList headers;
        if (auth == "token")
            headers << bearer(token);
        else if (!auth.isEmpty())
            headers << "Authorization: " + auth;
        const HttpResponse r = httpPost(port(), "/api/ergebnis", body, headers);
        QCOMPARE(r.status, status);
        QVERIFY(!r.json().object().value(u"fehler").toString().isEmpty());
        if (status == 401)
            QCOMPARE(r.headers.value("www-authenticate"), QByteArray("Bearer"));
        if (status == 409)
            QCOMPARE(
                r.json().object().value(u"gespeichert").toObject().value(u"punkte").toDouble(-1),
                0.0);
        QCOMPARE(fileHashes(m_t->databaseDir()), before);
        QCOMPARE(httpRequest(port(), "GET", "/api/ergebnis", {bearer(token)}).status, 405);
    }

    void listsThePostsLines()
    {
        m_t->addResult(m_event, m_posts[0], m_teams[0], 10.5, 42.125, 3, 9);
        const QByteArray token = login(m_posts[0]);
        const auto lines = [&](const QByteArray &query) {
            const HttpResponse r =
                httpRequest(port(), "GET", "/api/teilnehmer" + query, {bearer(token)});
            return r.status == 200 ? r.json().array() : QJsonArray{r.status};
        };
        const QJsonArray one = lines("?startNr=1");
        QCOMPARE(one.size(), 1);
        const QJsonObject first = one.first().toObject();
        QStringList keys = first.keys();
        keys.sort();
        QCOMPARE(keys,
                 (QStringList{u"gruppe"_s, u"hund"_s, u"kategorie"_s, u"name"_s, u"punkte"_s,
                              u"startNr"_s, u"teamNr"_s, u"zeit"_s, u"zusatzPunkte"_s,
                              u"zusatzZeit"_s, u"zusatzspiel"_s}));
        QCOMPARE(first.value(u"teamNr").toInt(), m_teams[0]);
        QCOMPARE(first.value(u"punkte").toDouble(), 7.0); // 10.5 at factor 1.5
        QCOMPARE(first.value(u"zeit").toDouble(), 42.125);
        QCOMPARE(first.value(u"zusatzPunkte").toDouble(), 2.0);
        QCOMPARE(first.value(u"zusatzspiel").toBool(), true);
        QCOMPARE(first.value(u"name").toString(), u"Team1 Vorname"_s);

        const QJsonArray group = lines("?startNr=50");
        QCOMPARE(group.size(), 2);
        QCOMPARE(group[0].toObject().value(u"gruppe").toString(), u"Blitz"_s);
        QCOMPARE(group[1].toObject().value(u"teamNr").toInt(), m_teams[19]);
        QCOMPARE(lines("?startNr=77").size(), 0);
        QCOMPARE(lines("").size(), Teams + 2);
        for (const QByteArray bad : {"?startNr=x", "?startNr=-1", "?startNr=1.5", "?startNr="})
            QCOMPARE(lines(bad), QJsonArray{400});
        QCOMPARE(httpRequest(port(), "GET", "/api/teilnehmer?startNr=1").status, 401);
    }

    void storesWeightedAndWithoutDrift()
    {
        QSignalSpy signalled(m_server.get(), &LiveServer::resultStored);
        const int team = m_teams[2];
        const qint64 logged = m_t->count(u"SELECT max(Nr) FROM Protokoll"_s);
        HttpResponse r =
            save(login(m_posts[0]), {{u"teamNr"_s, team}, {u"punkte"_s, 8}, {u"zeit"_s, 31.5}});
        QCOMPARE(r.status, 200);
        QCOMPARE(r.json().object().value(u"punkte").toDouble(), 8.0);
        QCOMPARE(r.json().object().value(u"zeit").toDouble(), 31.5);
        QCOMPARE(stored("Punkte", m_posts[0], team), 12.0); // factor 1.5
        // The change log names the post, with the stored (weighted) values, and only it.
        Statement log(m_t->db(),
                      u"SELECT Quelle, PostenNr, TeamNr, Feld, Neu FROM Protokoll "
                      "WHERE Nr > %1"_s.arg(logged));
        QMap<QString, double> changes;
        while (log.next()) {
            QCOMPARE(log.text("Quelle"), u"Posten %1"_s.arg(m_posts[0]));
            QCOMPARE(log.integer("PostenNr"), m_posts[0]);
            QCOMPARE(log.integer("TeamNr"), team);
            changes.insert(log.text("Feld"), log.real("Neu"));
        }
        QCOMPARE(changes, (QMap<QString, double>{{u"Punkte"_s, 12.0}, {u"Zeit"_s, 31.5}}));
        QCOMPARE(signalled.size(), 1);
        QCOMPARE(signalled.first(), (QVariantList{m_event, team}));

        // Stored 10 at factor 3 shows 3.33; the judge changes only the time.
        m_t->addResult(m_event, m_posts[1], team, 10, 20);
        r = save(login(m_posts[1]),
                 {{u"teamNr"_s, team},
                  {u"punkte"_s, 3.33},
                  {u"zeit"_s, 21},
                  {u"vorher"_s, QJsonObject{{u"punkte"_s, 3.33}, {u"zeit"_s, 20}}}});
        QCOMPARE(r.status, 200);
        QCOMPARE(stored("Punkte", m_posts[1], team), 10.0);
        QCOMPARE(stored("Zeit", m_posts[1], team), 21.0);
        QCOMPARE(r.json().object().value(u"punkte").toDouble(), 10.0 / 3);
        // Nothing else was touched: another post's row, another team's row.
        QCOMPARE(stored("Punkte", m_posts[2], team), 0.0);
        QCOMPARE(stored("Punkte", m_posts[0], m_teams[3]), 0.0);
    }

    void aSaveSentAgainIsStoredOnce()
    {
        const QByteArray token = login(m_posts[2]);
        const int team = m_teams[4];
        const QJsonObject body{{u"id"_s, u"c0ffee"_s},
                               {u"teamNr"_s, team},
                               {u"punkte"_s, 9},
                               {u"zeit"_s, 40},
                               {u"vorher"_s, QJsonObject{{u"punkte"_s, 0}, {u"zeit"_s, 0}}}};
        // The same save twice at once, as a page does when it retries too early.
        const QList<HttpResponse> both =
            httpExchangeAll(port(),
                            {postRequest("/api/ergebnis", json(body), {bearer(token)}),
                             postRequest("/api/ergebnis", json(body), {bearer(token)})});
        QCOMPARE(both[0].status, 200);
        QCOMPARE(both[1].body, both[0].body);
        // The operator corrects the value; the page, whose answer was lost, sends it again.
        m_t->addResult(m_event, m_posts[2], team, 7, 40);
        const HttpResponse again = save(token, body);
        QCOMPARE(again.status, 200);
        QCOMPARE(again.body, both[0].body);
        QCOMPARE(stored("Punkte", m_posts[2], team), 7.0);
    }

    void threePostsSaveAtOnceAndNothingIsLost()
    {
        // Meanwhile the program writes on its own connection, in a thread of its own.
        std::atomic<bool> stop = false;
        std::atomic<int> programWrites = 0;
        const QString directory = m_t->databaseDir();
        const int other = m_other;
        std::thread program([&] {
            Database db;
            db.open(directory);
            while (!stop) {
                Statement s(
                    db, u"UPDATE Parcours SET Zeit = Zeit + 1 WHERE AnlassNr = %1"_s.arg(other));
                s.exec();
                ++programWrites;
                // An operator's saves come with pauses; a writer that never lets go would
                // starve the posts past their busy timeout on a loaded machine (they would get
                // 503 and send again, which is another test's matter).
                std::this_thread::sleep_for(std::chrono::milliseconds(5));
            }
        });

        QList<QByteArray> requests;
        for (int p = 0; p < m_posts.size(); ++p) {
            const QByteArray token = login(m_posts[p]);
            for (int i = 0; i < Teams; ++i)
                requests << postRequest("/api/ergebnis",
                                        json({{u"teamNr"_s, m_teams[i]},
                                              {u"punkte"_s, 100 * (p + 1) + i},
                                              {u"zeit"_s, i + 0.5}}),
                                        {bearer(token)});
        }
        const QList<HttpResponse> answers = httpExchangeAll(port(), requests);
        stop = true;
        program.join();
        QVERIFY(programWrites > 0);
        Statement programs(m_t->db(),
                           u"SELECT Zeit FROM Parcours WHERE AnlassNr = %1"_s.arg(m_other));
        QVERIFY(programs.next());
        QCOMPARE(programs.real(0), double(programWrites));
        for (const HttpResponse &a : answers)
            QCOMPARE(a.status, 200);
        const double factors[] = {1.5, 3, 1};
        for (int p = 0; p < m_posts.size(); ++p) {
            for (int i = 0; i < Teams; ++i) {
                QCOMPARE(stored("Punkte", m_posts[p], m_teams[i]),
                         (100 * (p + 1) + i) * factors[p]);
                QCOMPARE(stored("Zeit", m_posts[p], m_teams[i]), i + 0.5);
            }
        }
    }
};

QTEST_GUILESS_MAIN(TestPostsApi)
#include "tst_postsapi.moc"
