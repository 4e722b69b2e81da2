// The live server under the load of an evening: 200 viewers poll the board at the same moment
// (the event, then their category's list, each with its last ETag) once a second, while
// another connection saves results five times a second. Reports the latency percentiles of
// velunda-cli serve beside those of a bare Qt HTTP server answering a fixed JSON object under
// the same load and the same saving (the floor), measured in the same run by the same client.
//
// Usage: bench_live [--viewers N] [--rounds N]; not part of the test suite.

#include "engine/Database.h"
#include "engine/Statement.h"
#include "engine/Transaction.h"
#include "support/GeneratedEvent.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QHttpServer>
#include <QJsonArray>
#include <QJsonObject>
#include <QProcess>
#include <QRandomGenerator>
#include <QTcpServer>
#include <QThread>

#include <algorithm>
#include <arpa/inet.h>
#include <atomic>
#include <cstdio>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>
#include <vector>

using namespace Qt::StringLiterals;

namespace {

constexpr int RoundMs = 1000;
constexpr int SaveMs = 200;

// The floor: Qt HTTP Server with nothing behind it.
int runFloorServer()
{
    QHttpServer server;
    QJsonArray rows;
    for (int i = 1; i <= 20; ++i)
        rows.append(QJsonObject{{u"rang"_s, i},
                                {u"name"_s, u"Team %1"_s.arg(i)},
                                {u"punkte"_s, 40.5 - i},
                                {u"zeit"_s, 100.25 + i}});
    const QJsonObject list{{u"title"_s, u"Boden"_s}, {u"rows"_s, rows}};
    server.route(u"/api/event"_s, [] { return QJsonObject{{u"name"_s, u"Boden"_s}}; });
    server.route(u"/api/ranklist"_s, [list] { return list; });
    const quint16 port = server.listen(QHostAddress::LocalHost, 0);
    std::printf("Live: http://127.0.0.1:%u/\n", unsigned(port));
    std::fflush(stdout);
    return QCoreApplication::exec();
}

// Saves one result after another on a connection of its own, as the result dialog does.
class Writer : public QThread
{
public:
    Writer(QString directory, int event) : m_directory(std::move(directory)), m_event(event) { }
    std::atomic<bool> stop{false};
    std::atomic<int> saves{0};

protected:
    void run() override
    {
        Database db;
        db.open(m_directory);
        QRandomGenerator random(99);
        QList<QPair<int, int>> rows;
        {
            Statement s(db, u"SELECT TeamNr, PostenNr FROM Parcours WHERE AnlassNr = :a"_s);
            s.bind("a", m_event);
            while (s.next())
                rows.append({int(s.integer(0)), int(s.integer(1))});
        }
        while (!stop) {
            const auto [team, post] = rows.at(random.bounded(int(rows.size())));
            Transaction transaction(db);
            Statement s(db,
                        u"UPDATE Parcours SET Punkte = :p, Zeit = :z WHERE AnlassNr = :a "
                        "AND TeamNr = :t AND PostenNr = :o"_s);
            s.bind("p", double(random.bounded(0, 21))).bind("z", random.bounded(20.0) + 10);
            s.bind("a", m_event).bind("t", team).bind("o", post);
            s.exec();
            transaction.commit();
            ++saves;
            msleep(SaveMs);
        }
    }

private:
    QString m_directory;
    int m_event;
};

struct Viewer
{
    int fd = -1;
    QByteArray paths[2];
    QByteArray etags[2];
    int step = 0; // the request under way, 2: done for this round
    QByteArray in;
    qint64 sentAt = 0;
};

struct Result
{
    std::vector<double> ms;
    int notModified = 0;
    int failed = 0;
};

int connectTo(quint16 port)
{
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(port);
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (::connect(fd, reinterpret_cast<sockaddr *>(&a), sizeof a) != 0) {
        ::close(fd);
        return -1;
    }
    const int one = 1;
    ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
    ::fcntl(fd, F_SETFL, O_NONBLOCK);
    return fd;
}

void send(Viewer &v, const QElapsedTimer &clock)
{
    QByteArray request = "GET " + v.paths[v.step] + " HTTP/1.1\r\nHost: 127.0.0.1\r\n";
    if (!v.etags[v.step].isEmpty())
        request += "If-None-Match: " + v.etags[v.step] + "\r\n";
    request += "\r\n";
    v.sentAt = clock.nsecsElapsed();
    v.in.clear();
    [[maybe_unused]] const auto written = ::write(v.fd, request.constData(), request.size());
}

// True when v.in holds a whole answer; takes its status and ETag.
bool complete(Viewer &v, int &status)
{
    const qsizetype end = v.in.indexOf("\r\n\r\n");
    if (end < 0)
        return false;
    const QByteArray head = v.in.left(end);
    status = head.mid(9, 3).toInt();
    qsizetype length = 0;
    for (const QByteArray &line : head.split('\n')) {
        const QByteArray lower = line.trimmed().toLower();
        if (lower.startsWith("content-length:"))
            length = lower.mid(15).trimmed().toLongLong();
        else if (lower.startsWith("etag:"))
            v.etags[v.step] = line.trimmed().mid(5).trimmed();
    }
    return v.in.size() >= end + 4 + length;
}

// Rounds of all viewers asking at once; the latency of every request in milliseconds.
Result load(quint16 port, int viewers, int rounds)
{
    std::vector<Viewer> all(viewers);
    for (int i = 0; i < viewers; ++i) {
        Viewer &v = all[i];
        v.fd = connectTo(port);
        const QByteArray category = i % 4 == 0 ? QByteArray("all") : QByteArray::number(i % 4);
        v.paths[0] = "/api/event";
        v.paths[1] = "/api/ranklist?kind=single&category=" + category;
    }
    Result result;
    QElapsedTimer clock;
    clock.start();
    char buffer[65536];
    for (int round = 0; round < rounds; ++round) {
        const qint64 roundStart = clock.elapsed();
        std::vector<pollfd> fds(viewers);
        for (int i = 0; i < viewers; ++i) {
            all[i].step = 0;
            send(all[i], clock);
            fds[i] = {all[i].fd, POLLIN, 0};
        }
        int open = viewers;
        while (open > 0 && clock.elapsed() - roundStart < 10 * RoundMs) {
            if (::poll(fds.data(), fds.size(), 100) <= 0)
                continue;
            for (int i = 0; i < viewers; ++i) {
                Viewer &v = all[i];
                if (!(fds[i].revents & (POLLIN | POLLHUP | POLLERR)) || v.step == 2)
                    continue;
                const ssize_t n = ::read(v.fd, buffer, sizeof buffer);
                if (n <= 0) {
                    ++result.failed;
                    v.step = 2;
                    fds[i].fd = -1;
                    --open;
                    continue;
                }
                v.in.append(buffer, n);
                int status = 0;
                if (!complete(v, status))
                    continue;
                result.ms.push_back((clock.nsecsElapsed() - v.sentAt) / 1e6);
                if (status == 304)
                    ++result.notModified;
                else if (status != 200)
                    ++result.failed;
                if (++v.step < 2) {
                    send(v, clock);
                } else {
                    fds[i].fd = -1;
                    --open;
                }
            }
        }
        result.failed += open;
        const qint64 rest = RoundMs - (clock.elapsed() - roundStart);
        if (rest > 0)
            QThread::msleep(rest);
    }
    for (Viewer &v : all)
        ::close(v.fd);
    return result;
}

double percentile(std::vector<double> ms, double p)
{
    if (ms.empty())
        return 0;
    std::sort(ms.begin(), ms.end());
    return ms[std::min(ms.size() - 1, size_t(p / 100.0 * double(ms.size())))];
}

// Starts a server process and returns its port, read from its "Live: <URL>" line.
quint16 startServer(QProcess &process, const QString &program, const QStringList &args)
{
    process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process.start(program, args);
    QByteArray out;
    while (!out.contains('\n') && process.waitForReadyRead(20000))
        out += process.readAllStandardOutput();
    const qsizetype colon = out.indexOf(":", out.indexOf("127.0.0.1"));
    return quint16(out.mid(colon + 1, out.indexOf('/', colon) - colon - 1).toUInt());
}

Result measure(const char *name, const QString &program, const QStringList &args,
               const QString &directory, int event, int viewers, int rounds)
{
    QProcess server;
    const quint16 port = startServer(server, program, args);
    if (port == 0) {
        std::printf("%s: the server did not start\n", name);
        return {};
    }
    Writer writer(directory, event);
    writer.start();
    const Result r = load(port, viewers, rounds);
    writer.stop = true;
    writer.wait();
    server.terminate();
    server.waitForFinished(10000);
    std::printf("  %-26s p50 %7.1f ms  p95 %7.1f ms  p99 %7.1f ms  max %7.1f ms  (%zu "
                "requests, %d not modified, %d failed, %d saves)\n",
                name, percentile(r.ms, 50), percentile(r.ms, 95), percentile(r.ms, 99),
                percentile(r.ms, 100), r.ms.size(), r.notModified, r.failed, int(writer.saves));
    std::fflush(stdout);
    return r;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.contains(u"--floor"_s))
        return runFloorServer();
    const auto option = [&](const QString &name, int fallback) {
        const qsizetype i = args.indexOf(name);
        return i >= 0 && i + 1 < args.size() ? args.at(i + 1).toInt() : fallback;
    };
    const int viewers = option(u"--viewers"_s, 200);
    const int rounds = option(u"--rounds"_s, 20);

    GeneratedEvent::Options options;
    options.teams = 300;
    GeneratedEvent g(options);
    const QString directory = g.t.databaseDir();
    g.t.data.CloseDatabase();
    // The saves wait for the disk, as the program's do.
    Database::setDurable(true);

    std::printf("%d viewers asking at once, %d rounds of %d ms, results saved every %d ms, "
                "%d teams:\n",
                viewers, rounds, RoundMs, SaveMs, options.teams);
    const QString cli = QStringLiteral(VELUNDA_CLI);
    const Result live = measure("velunda-cli serve", cli,
                                {u"serve"_s, directory, u"--event"_s, QString::number(g.event),
                                 u"--port"_s, u"0"_s, u"--bind"_s, u"127.0.0.1"_s},
                                directory, g.event, viewers, rounds);
    const Result floor = measure("bare Qt HTTP server (floor)", app.applicationFilePath(),
                                 {u"--floor"_s}, directory, g.event, viewers, rounds);
    const double p95 = percentile(live.ms, 95);
    std::printf("  p95 %.1f ms against a target of 100 ms (floor %.1f ms): %s\n", p95,
                percentile(floor.ms, 95), p95 < 100 ? "met" : "MISSED");
    return 0;
}
