#include "live/LiveServer.h"

#include "data/DataLibrary.h"
#include "engine/DatabaseError.h"
#include "live/BoardApi.h"
#include "live/ConnectionGuard.h"
#include "live/LiveDocuments.h"
#include "live/LiveHttpServer.h"
#include "live/PostAccess.h"
#include "live/PostsApi.h"
#include "live/ResultsDesk.h"

#include <QCryptographicHash>
#include <QFile>
#include <QNetworkInterface>

namespace {

// The board's own files: scripts and styles only from this server, nothing inline, no frames.
const QByteArray PagePolicy = QByteArrayLiteral(
    "default-src 'none'; script-src 'self'; style-src 'self'; img-src 'self'; connect-src "
    "'self'; base-uri 'none'; form-action 'none'; frame-ancestors 'none'");

HttpAnswer resource(const QString &name, const QByteArray &contentType)
{
    QFile file(QStringLiteral(":/live/") + name);
    HttpAnswer a;
    if (!file.open(QIODevice::ReadOnly))
        return HttpAnswer::error(500, QStringLiteral("Die Seite fehlt im Programm."));
    a.contentType = contentType;
    a.body = file.readAll();
    a.etag =
        '"' + QCryptographicHash::hash(a.body, QCryptographicHash::Sha1).toHex().left(24) + '"';
    a.headers.append({QByteArrayLiteral("Content-Security-Policy"), PagePolicy});
    a.headers.append({QByteArrayLiteral("X-Frame-Options"), QByteArrayLiteral("DENY")});
    return a;
}

QString errorText(const QTcpServer &server, quint16 port, const QHostAddress &address)
{
    switch (server.serverError()) {
    case QAbstractSocket::AddressInUseError:
        return QStringLiteral("Der Port %1 ist schon belegt: ein anderes Programm oder ein "
                              "zweiter Live-Server benutzt ihn. Wählen Sie einen anderen Port.")
            .arg(port);
    case QAbstractSocket::SocketAccessError:
        return QStringLiteral("Der Port %1 darf nur mit Administratorrechten geöffnet werden; "
                              "wählen Sie einen Port ab 1024.")
            .arg(port);
    case QAbstractSocket::SocketAddressNotAvailableError:
        return QStringLiteral("Die Adresse %1 gehört nicht zu diesem Computer.")
            .arg(address.toString());
    default:
        return QStringLiteral("Der Live-Server kann nicht starten: %1").arg(server.errorString());
    }
}

// The posts that get a code for this run.
QList<PostRow> activePosts(const QString &directory)
{
    if (directory.isEmpty())
        return {};
    try {
        DataLibrary data;
        data.db().openReadOnly(directory);
        QList<PostRow> posts = data.Posts();
        posts.removeIf([](const PostRow &p) { return !p.Aktiv; });
        return posts;
    } catch (const DatabaseError &e) {
        throw LiveError(QStringLiteral("Die Posten können nicht gelesen werden: ") + e.message());
    }
}

} // namespace

LiveError::LiveError(const QString &message)
    : std::runtime_error(message.toStdString()), m_message(message)
{ }

LiveServer::LiveServer(QObject *parent)
    : QObject(parent), m_documents(std::make_unique<LiveDocuments>()),
      m_api(std::make_unique<BoardApi>(*m_documents)), m_access(std::make_unique<PostAccess>()),
      m_desk(std::make_unique<ResultsDesk>())
{
    m_posts = std::make_unique<PostsApi>(*m_access, *m_documents, *m_desk);
    connect(m_posts.get(), &PostsApi::resultStored, this, &LiveServer::resultStored);
}

LiveServer::~LiveServer()
{
    // The connections go before the answers they may still be waiting for.
    stop();
}

void LiveServer::setSource(const QString &directory, int anlassNr)
{
    m_documents->setSource(directory, anlassNr);
    m_desk->setDirectory(m_documents->directory());
}

QString LiveServer::directory() const
{
    return m_documents->directory();
}

int LiveServer::anlassNr() const
{
    return m_documents->anlassNr();
}

void LiveServer::checkForChanges()
{
    m_documents->checkForChanges();
}

void LiveServer::start(quint16 port, const QHostAddress &address)
{
    stop();
    const QList<PostRow> posts = activePosts(m_documents->directory());
    auto http = std::make_unique<LiveHttpServer>();
    auto *tcp = new GuardedTcpServer(ConnectionLimits(), http.get());
    if (!tcp->listen(address, port))
        throw LiveError(errorText(*tcp, port, address));
    http->bind(tcp);
    m_http = std::move(http);
    m_tcp = tcp;
    m_address = address;
    m_access->open(posts);
    m_posts->forgetSaves();
    addRoutes();
    Q_EMIT runningChanged(true);
}

void LiveServer::stop()
{
    if (!m_http)
        return;
    m_tcp = nullptr;
    m_http.reset();
    m_access->close();
    Q_EMIT runningChanged(false);
}

bool LiveServer::isRunning() const
{
    return m_tcp && m_tcp->isListening();
}

quint16 LiveServer::port() const
{
    return m_tcp ? m_tcp->serverPort() : 0;
}

void LiveServer::addRoutes()
{
    using Method = QHttpServerRequest::Method;
    const auto page = [this](const QString &path, const QString &file, const QByteArray &type) {
        m_http->route(path, Method::Get, resource(file, type));
    };
    page(QStringLiteral("/"), QStringLiteral("index.html"), "text/html; charset=utf-8");
    page(QStringLiteral("/board.js"), QStringLiteral("board.js"), "text/javascript; charset=utf-8");
    page(QStringLiteral("/board.css"), QStringLiteral("board.css"), "text/css; charset=utf-8");
    page(QStringLiteral("/favicon.svg"), QStringLiteral("favicon.svg"), "image/svg+xml");
    BoardApi *api = m_api.get();
    m_http->route(QStringLiteral("/api/event"), Method::Get,
                  [api](const QHttpServerRequest &r, const LiveHttpServer::Reply &reply) {
                      api->event(r, reply);
                  });
    m_http->route(QStringLiteral("/api/ranklist"), Method::Get,
                  [api](const QHttpServerRequest &r, const LiveHttpServer::Reply &reply) {
                      api->rankList(r, reply);
                  });

    // The posts' pages exist for the active posts only; every other number is unknown.
    for (const PostCode &c : m_access->codes())
        page(QStringLiteral("/posten/%1").arg(c.postenNr), QStringLiteral("posten.html"),
             "text/html; charset=utf-8");
    page(QStringLiteral("/posten.js"), QStringLiteral("posten.js"),
         "text/javascript; charset=utf-8");
    page(QStringLiteral("/posten.css"), QStringLiteral("posten.css"), "text/css; charset=utf-8");
    PostsApi *posts = m_posts.get();
    m_http->route(QStringLiteral("/api/login"), Method::Post,
                  [posts](const QHttpServerRequest &r, const LiveHttpServer::Reply &reply) {
                      posts->login(r, reply);
                  });
    m_http->route(QStringLiteral("/api/teilnehmer"), Method::Get,
                  [posts](const QHttpServerRequest &r, const LiveHttpServer::Reply &reply) {
                      posts->participants(r, reply);
                  });
    m_http->route(QStringLiteral("/api/ergebnis"), Method::Post,
                  [posts](const QHttpServerRequest &r, const LiveHttpServer::Reply &reply) {
                      posts->saveResult(r, reply);
                  });
}

QList<PostCode> LiveServer::postCodes() const
{
    return isRunning() ? m_access->codes() : QList<PostCode>();
}

QUrl LiveServer::postUrl(int postenNr, bool withCode) const
{
    const QList<QUrl> all = urls();
    if (all.isEmpty())
        return {};
    // The list ends with the loopback address, which no phone reaches.
    QUrl url = all.first();
    url.setPath(QStringLiteral("/posten/%1").arg(postenNr));
    if (withCode) {
        for (const PostCode &c : m_access->codes()) {
            if (c.postenNr == postenNr)
                url.setFragment(QStringLiteral("code=") + c.code);
        }
    }
    return url;
}

QList<QUrl> LiveServer::urls() const
{
    return isRunning() ? urlsFor(m_address, port()) : QList<QUrl>();
}

QList<QUrl> LiveServer::urlsFor(const QHostAddress &bound, quint16 port)
{
    const auto url = [port](const QHostAddress &a) {
        QUrl u;
        u.setScheme(QStringLiteral("http"));
        u.setHost(a.toString());
        u.setPort(port);
        u.setPath(QStringLiteral("/"));
        return u;
    };
    const bool any = bound == QHostAddress::Any || bound == QHostAddress::AnyIPv4
        || bound == QHostAddress::AnyIPv6;
    if (!any)
        return {url(bound)};
    // Phones on the club's network reach the computer by its IPv4 addresses.
    QList<QUrl> result;
    for (const QNetworkInterface &i : QNetworkInterface::allInterfaces()) {
        const auto flags = i.flags();
        if (!(flags & QNetworkInterface::IsUp) || !(flags & QNetworkInterface::IsRunning)
            || (flags & QNetworkInterface::IsLoopBack))
            continue;
        for (const QNetworkAddressEntry &entry : i.addressEntries()) {
            const QHostAddress a = entry.ip();
            if (a.protocol() == QAbstractSocket::IPv4Protocol && !a.isLinkLocal())
                result << url(a);
        }
    }
    if (bound != QHostAddress::AnyIPv6)
        result << url(QHostAddress::LocalHost);
    return result;
}
