#pragma once

#include <QHostAddress>
#include <QList>
#include <QObject>
#include <QUrl>

#include <memory>
#include <stdexcept>

class BoardApi;
class GuardedTcpServer;
class LiveDocuments;
class LiveHttpServer;
class PostAccess;
class PostsApi;
class ResultsDesk;
struct PostCode;

// The server could not start; the message says why, in German.
class LiveError : public std::runtime_error
{
public:
    explicit LiveError(const QString &message);
    QString message() const { return m_message; }

private:
    QString m_message;
};

// The live results server: the board's pages and its JSON interface on the local network,
// for one event of one database directory, and the posts' pages through which the judges
// store their results. It reads on a connection of its own, in a thread of its own; only the
// posts' saves write, on another connection in another thread, and only with a post's code.
// The program and the companion tool host it alike, answering in their own event loop.
class LiveServer : public QObject
{
    Q_OBJECT

public:
    static constexpr quint16 DefaultPort = 8080;

    explicit LiveServer(QObject *parent = nullptr);
    ~LiveServer() override;

    // What is served; can change while the server runs (another event opened). Throws
    // DatabaseError when the directory cannot be opened.
    void setSource(const QString &directory, int anlassNr);
    QString directory() const;
    int anlassNr() const;

    // Port 0 takes a free one. Throws LiveError.
    void start(quint16 port = DefaultPort, const QHostAddress &address = QHostAddress::Any);
    void stop();
    bool isRunning() const;
    quint16 port() const;

    // Where the board can be reached: the network addresses of this computer (loopback last)
    // or the one address the server is bound to.
    QList<QUrl> urls() const;
    static QList<QUrl> urlsFor(const QHostAddress &bound, quint16 port);

    // Looks for changes at once, as after a change made in this process.
    void checkForChanges();

    // The codes of the active posts for this run, drawn afresh at every start; none while
    // the server is stopped.
    QList<PostCode> postCodes() const;
    // A post's page on the first address a phone can reach; with its code in the fragment,
    // which the browser never sends, a scan of it logs the judge in without typing.
    QUrl postUrl(int postenNr, bool withCode = false) const;

Q_SIGNALS:
    void runningChanged(bool running);
    // A post stored a result of the event (in the server's thread, after the commit).
    void resultStored(int anlassNr, int teamNr);

private:
    void addRoutes();

    // Destroyed from the bottom: connections first, then the saves under way, then what
    // their answers use.
    std::unique_ptr<LiveDocuments> m_documents;
    std::unique_ptr<BoardApi> m_api;
    std::unique_ptr<PostAccess> m_access;
    std::unique_ptr<PostsApi> m_posts;
    std::unique_ptr<ResultsDesk> m_desk;
    std::unique_ptr<LiveHttpServer> m_http;
    GuardedTcpServer *m_tcp = nullptr; // owned by m_http
    QHostAddress m_address;
};
