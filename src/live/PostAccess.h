#pragma once

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QString>

#include <functional>
#include <optional>

class QHostAddress;
struct PostRow;

// A post's code for one run of the server, as the operator hands it to the post's judge.
struct PostCode
{
    int postenNr = 0;
    QString postenBez;
    QString code; // six digits
};

// Who may write the results of which post during one run of the live server. Each run draws a
// fresh six-digit code per active post from the system's cryptographic random source; logging
// in with a post's code gives a token bound to that post and to this run. An address that
// sends too many wrong codes within a minute is refused for a minute, even with the right one,
// so that nobody on the network tries all million codes; and when the whole network sends very
// many, logging in pauses for a minute for everyone (the judges already logged in go on
// saving), so that taking many addresses does not help either. Codes are never logged.
class PostAccess
{
public:
    static constexpr int MaxFailures = 10; // wrong codes within the window before the ban
    static constexpr int MaxFailuresAll = 100; // from all addresses together
    static constexpr qint64 WindowMs = 60'000; // the window, and how long the ban lasts
    static constexpr int TokensPerPost = 50; // devices logged in at one post; the oldest go

    enum class Login { Granted, WrongCode, Banned };

    // The clock in milliseconds; tests pass their own.
    explicit PostAccess(std::function<qint64()> clock = {});

    // A new run: fresh codes for these posts; tokens and failures of the last run are gone.
    void open(const QList<PostRow> &posts);
    // No run: nobody can log in, no token is valid.
    void close();

    QList<PostCode> codes() const { return m_codes; }

    // Checks the code in constant time; on Granted, token is the new token.
    Login login(const QHostAddress &from, int postenNr, const QString &code, QByteArray &token);
    // Seconds until an address may try again; 0 when it is not banned.
    int bannedFor(const QHostAddress &from) const;
    // The post a token was given for, in this run.
    std::optional<int> postOf(const QByteArray &token) const;

private:
    struct Failures
    {
        QList<qint64> times; // within the window
        qint64 bannedUntil = 0;
    };

    static QByteArray addressKey(const QHostAddress &address);
    void forgetOldFailures(qint64 now);
    // Counts a wrong code; at the limit a ban starts.
    static void count(Failures &failures, int limit, qint64 now);

    std::function<qint64()> m_clock;
    QList<PostCode> m_codes;
    QHash<QByteArray, int> m_tokens; // token -> PostenNr
    QHash<int, QList<QByteArray>> m_tokensOfPost; // oldest first
    QHash<QByteArray, Failures> m_failures; // by address
    Failures m_allFailures;
};
