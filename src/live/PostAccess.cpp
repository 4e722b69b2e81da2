#include "live/PostAccess.h"

#include "data/Rows.h"

#include <QDateTime>
#include <QHostAddress>
#include <QRandomGenerator>

namespace {

constexpr int CodeDigits = 6;
constexpr int TokenBytes = 32;

QString drawCode()
{
    return QStringLiteral("%1").arg(QRandomGenerator::system()->bounded(1'000'000), CodeDigits, 10,
                                    QLatin1Char('0'));
}

QByteArray drawToken()
{
    QByteArray bytes(TokenBytes, Qt::Uninitialized);
    QRandomGenerator::system()->fillRange(reinterpret_cast<quint32 *>(bytes.data()),
                                          TokenBytes / int(sizeof(quint32)));
    return bytes.toHex();
}

// Takes as long for a wrong code as for the right one, whatever digit differs first.
bool sameCode(const QString &given, const QString &expected)
{
    const QByteArray a = given.toUtf8();
    const QByteArray b = expected.toUtf8();
    unsigned difference = a.size() == b.size() ? 0 : 1;
    for (qsizetype i = 0; i < b.size(); ++i)
        difference |= unsigned(quint8(b.at(i)) ^ quint8(i < a.size() ? a.at(i) : 0));
    return difference == 0;
}

} // namespace

PostAccess::PostAccess(std::function<qint64()> clock) : m_clock(std::move(clock))
{
    if (!m_clock)
        m_clock = [] {
            return QDateTime::currentMSecsSinceEpoch();
        };
}

void PostAccess::open(const QList<PostRow> &posts)
{
    close();
    for (const PostRow &post : posts) {
        if (post.Aktiv)
            m_codes.append({post.PostenNr, post.PostenBez, drawCode()});
    }
}

void PostAccess::close()
{
    m_codes.clear();
    m_tokens.clear();
    m_tokensOfPost.clear();
    m_failures.clear();
    m_allFailures = Failures();
}

QByteArray PostAccess::addressKey(const QHostAddress &address)
{
    bool mapped = false;
    const quint32 v4 = address.toIPv4Address(&mapped);
    if (mapped)
        return QHostAddress(v4).toString().toLatin1();
    // A device picks new IPv6 addresses at will within its network's /64: count them as one.
    const Q_IPV6ADDR v6 = address.toIPv6Address();
    return QByteArray(reinterpret_cast<const char *>(v6.c), 8).toHex();
}

void PostAccess::count(Failures &failures, int limit, qint64 now)
{
    failures.times.append(now);
    if (failures.times.size() < limit)
        return;
    failures.bannedUntil = now + WindowMs;
    failures.times.clear();
}

void PostAccess::forgetOldFailures(qint64 now)
{
    while (!m_allFailures.times.isEmpty() && m_allFailures.times.first() <= now - WindowMs)
        m_allFailures.times.removeFirst();
    for (auto it = m_failures.begin(); it != m_failures.end();) {
        Failures &f = it.value();
        while (!f.times.isEmpty() && f.times.first() <= now - WindowMs)
            f.times.removeFirst();
        if (f.times.isEmpty() && f.bannedUntil <= now)
            it = m_failures.erase(it);
        else
            ++it;
    }
}

int PostAccess::bannedFor(const QHostAddress &from) const
{
    const auto found = m_failures.constFind(addressKey(from));
    const qint64 until =
        qMax(found == m_failures.constEnd() ? 0 : found->bannedUntil, m_allFailures.bannedUntil);
    const qint64 left = until - m_clock();
    return left > 0 ? int((left + 999) / 1000) : 0;
}

PostAccess::Login PostAccess::login(const QHostAddress &from, int postenNr, const QString &code,
                                    QByteArray &token)
{
    const qint64 now = m_clock();
    forgetOldFailures(now);
    if (bannedFor(from) > 0)
        return Login::Banned;
    // An unknown post is checked against a code all the same, so that the answer's timing
    // does not tell which posts exist.
    const PostCode *post = nullptr;
    for (const PostCode &c : m_codes) {
        if (c.postenNr == postenNr)
            post = &c;
    }
    const bool right = sameCode(code, post ? post->code : QStringLiteral("------"));
    if (!post || !right) {
        count(m_failures[addressKey(from)], MaxFailures, now);
        count(m_allFailures, MaxFailuresAll, now);
        return Login::WrongCode;
    }
    token = drawToken();
    m_tokens.insert(token, postenNr);
    QList<QByteArray> &ofPost = m_tokensOfPost[postenNr];
    ofPost.append(token);
    if (ofPost.size() > TokensPerPost)
        m_tokens.remove(ofPost.takeFirst());
    return Login::Granted;
}

std::optional<int> PostAccess::postOf(const QByteArray &token) const
{
    const auto found = m_tokens.constFind(token);
    if (found == m_tokens.constEnd())
        return std::nullopt;
    return found.value();
}
