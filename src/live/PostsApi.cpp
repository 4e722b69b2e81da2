#include "live/PostsApi.h"

#include "data/DataLibrary.h"
#include "live/LiveDocuments.h"
#include "live/PostAccess.h"
#include "live/ResultsDesk.h"
#include "results/PostResults.h"

#include <QHttpServerRequest>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QUrlQuery>

#include <cmath>
#include <limits>

namespace {

// The fields of a JSON object, each checked for its type; the first fault is kept in error.
class Fields
{
public:
    explicit Fields(const QJsonObject &object) : m_object(object) { }

    // A finite number; nullopt when it is missing or no such number.
    std::optional<double> number(const QString &name, bool required)
    {
        const QJsonValue v = m_object.value(name);
        if (v.isUndefined()) {
            if (required)
                fail(QStringLiteral("„%1“ fehlt.").arg(name));
            return std::nullopt;
        }
        if (!v.isDouble() || !std::isfinite(v.toDouble())) {
            fail(QStringLiteral("„%1“ muss eine Zahl sein.").arg(name));
            return std::nullopt;
        }
        return v.toDouble();
    }

    // A whole number from 1 to the largest key the tables hold.
    std::optional<int> key(const QString &name)
    {
        const std::optional<double> v = number(name, true);
        if (!v)
            return std::nullopt;
        if (*v < 1 || *v > std::numeric_limits<int>::max() || std::floor(*v) != *v) {
            fail(QStringLiteral("„%1“ muss eine ganze Zahl ab 1 sein.").arg(name));
            return std::nullopt;
        }
        return int(*v);
    }

    std::optional<PostInput> input()
    {
        PostInput in;
        const std::optional<double> punkte = number(QStringLiteral("punkte"), true);
        const std::optional<double> zeit = number(QStringLiteral("zeit"), true);
        in.zusatzPunkte = number(QStringLiteral("zusatzPunkte"), false);
        in.zusatzZeit = number(QStringLiteral("zusatzZeit"), false);
        if (!punkte || !zeit || !error.isEmpty())
            return std::nullopt;
        in.punkte = *punkte;
        in.zeit = *zeit;
        return in;
    }

    void fail(const QString &text)
    {
        if (error.isEmpty())
            error = text;
    }

    QString error;

private:
    QJsonObject m_object;
};

// The request's body as a JSON object; nullopt after answering the refusal.
std::optional<QJsonObject> bodyObject(const QHttpServerRequest &request,
                                      const LiveHttpServer::Reply &reply)
{
    const QByteArray body = request.body();
    if (body.size() > PostsApi::MaxBodyBytes) {
        reply(HttpAnswer::error(413, QStringLiteral("Die Anfrage ist zu gross.")));
        return std::nullopt;
    }
    QJsonParseError error;
    const QJsonDocument json = QJsonDocument::fromJson(body, &error);
    if (error.error != QJsonParseError::NoError || !json.isObject()) {
        reply(HttpAnswer::error(400, QStringLiteral("Die Anfrage ist kein JSON-Objekt.")));
        return std::nullopt;
    }
    return json.object();
}

QJsonObject valuesJson(const PostValues &v)
{
    return QJsonObject{{QStringLiteral("punkte"), v.punkte},
                       {QStringLiteral("zeit"), v.zeit},
                       {QStringLiteral("zusatzPunkte"), v.zusatzPunkte},
                       {QStringLiteral("zusatzZeit"), v.zusatzZeit}};
}

QJsonObject entryJson(const PostEntry &e)
{
    QJsonObject o = valuesJson(e.values);
    o.insert(QStringLiteral("teamNr"), e.teamNr);
    o.insert(QStringLiteral("startNr"), e.startNr);
    o.insert(QStringLiteral("name"), e.name);
    o.insert(QStringLiteral("hund"), e.hund);
    o.insert(QStringLiteral("kategorie"), e.kategorie);
    o.insert(QStringLiteral("gruppe"), e.gruppe);
    o.insert(QStringLiteral("zusatzspiel"), e.zusatzspiel);
    return o;
}

HttpAnswer answerFor(int teamNr, const PostSaveOutcome &outcome, const QString &error)
{
    using Status = PostSaveOutcome::Status;
    if (!error.isEmpty()) {
        // Nothing was stored; the page keeps the save and sends it again.
        HttpAnswer a = HttpAnswer::error(
            503, QStringLiteral("Die Datenbank ist gerade nicht beschreibbar: ") + error);
        a.headers.append({QByteArrayLiteral("Retry-After"), QByteArrayLiteral("2")});
        return a;
    }
    switch (outcome.status) {
    case Status::Saved:
    case Status::Unchanged:
        break;
    case Status::NoResultRow:
        return HttpAnswer::error(
            404,
            QStringLiteral("Das Team %1 hat an diesem Posten keine Ergebniszeile im Anlass.")
                .arg(teamNr));
    case Status::NoAddGame:
        return HttpAnswer::error(
            400, QStringLiteral("Dieses Team spielt kein Zusatzspiel; es gibt keine Werte dafür."));
    case Status::OutOfRange:
        return HttpAnswer::error(400, QStringLiteral("Die Punkte sind zu gross."));
    case Status::Conflict: {
        QJsonObject o{{QStringLiteral("fehler"),
                       QStringLiteral("Die Werte wurden inzwischen anderswo geändert.")},
                      {QStringLiteral("gespeichert"), valuesJson(outcome.stored)}};
        return HttpAnswer::json(409, QJsonDocument(o));
    }
    }
    QJsonObject o = valuesJson(outcome.stored);
    o.insert(QStringLiteral("teamNr"), teamNr);
    o.insert(QStringLiteral("zusatzspiel"), outcome.zusatzspiel);
    return HttpAnswer::json(200, QJsonDocument(o));
}

} // namespace

PostsApi::PostsApi(PostAccess &access, LiveDocuments &documents, ResultsDesk &desk)
    : m_access(access), m_documents(documents), m_desk(desk)
{ }

void PostsApi::forgetSaves()
{
    m_answered.clear();
    m_answeredOrder.clear();
}

std::optional<int> PostsApi::authorizedPost(const QHttpServerRequest &request,
                                            const LiveHttpServer::Reply &reply) const
{
    const QByteArray header = request.value(QByteArrayLiteral("authorization")).trimmed();
    const qsizetype space = header.indexOf(' ');
    std::optional<int> post;
    if (space > 0 && header.left(space).toLower() == "bearer")
        post = m_access.postOf(header.mid(space + 1).trimmed());
    if (!post) {
        HttpAnswer a =
            HttpAnswer::error(401, QStringLiteral("Bitte mit dem Code des Postens anmelden."));
        a.headers.append({QByteArrayLiteral("WWW-Authenticate"), QByteArrayLiteral("Bearer")});
        reply(a);
    }
    return post;
}

void PostsApi::login(const QHttpServerRequest &request, const LiveHttpServer::Reply &reply)
{
    const std::optional<QJsonObject> body = bodyObject(request, reply);
    if (!body)
        return;
    Fields fields(*body);
    const std::optional<int> postenNr = fields.key(QStringLiteral("postenNr"));
    const QJsonValue code = body->value(QStringLiteral("code"));
    if (!code.isString())
        fields.fail(QStringLiteral("„code“ muss eine Zeichenkette sein."));
    if (!postenNr || !fields.error.isEmpty())
        return reply(HttpAnswer::error(400, fields.error));

    QByteArray token;
    switch (m_access.login(request.remoteAddress(), *postenNr, code.toString(), token)) {
    case PostAccess::Login::Banned: {
        HttpAnswer a = HttpAnswer::error(
            429, QStringLiteral("Zu viele falsche Codes. Bitte in einer Minute wieder versuchen."));
        a.headers.append({QByteArrayLiteral("Retry-After"),
                          QByteArray::number(m_access.bannedFor(request.remoteAddress()))});
        return reply(a);
    }
    case PostAccess::Login::WrongCode:
        return reply(HttpAnswer::error(403, QStringLiteral("Der Code stimmt nicht.")));
    case PostAccess::Login::Granted:
        break;
    }
    QString postenBez;
    for (const PostCode &c : m_access.codes()) {
        if (c.postenNr == *postenNr)
            postenBez = c.postenBez;
    }
    reply(HttpAnswer::json(
        200,
        QJsonDocument(QJsonObject{{QStringLiteral("token"), QString::fromLatin1(token)},
                                  {QStringLiteral("postenNr"), *postenNr},
                                  {QStringLiteral("postenBez"), postenBez}})));
}

void PostsApi::participants(const QHttpServerRequest &request, const LiveHttpServer::Reply &reply)
{
    const std::optional<int> post = authorizedPost(request, reply);
    if (!post)
        return;
    const QUrlQuery query = request.query();
    std::optional<int> startNr;
    if (query.hasQueryItem(QStringLiteral("startNr"))) {
        const QString text = query.queryItemValue(QStringLiteral("startNr"), QUrl::FullyDecoded);
        bool ok = false;
        const int number = text.toInt(&ok);
        if (!ok || number < 0 || text != QString::number(number))
            return reply(HttpAnswer::error(
                400, QStringLiteral("Die Startnummer ist eine ganze Zahl ab 0.")));
        startNr = number;
    }
    // Read on the board's read-only connection, in its thread.
    const auto compute = [postenNr = *post, startNr](LiveRead &read, QJsonDocument &json) {
        if (!read.event()) {
            json.setObject(QJsonObject{
                {QStringLiteral("fehler"), QStringLiteral("Im Programm ist kein Anlass offen.")}});
            return 404;
        }
        QJsonArray lines;
        for (const PostEntry &e :
             PostResults::participants(read.data.db(), read.anlassNr, postenNr, startNr))
            lines.append(entryJson(e));
        json.setArray(lines);
        return 200;
    };
    m_documents.read(compute, [reply](const LiveDocument &doc) { reply(HttpAnswer::json(doc)); });
}

void PostsApi::saveResult(const QHttpServerRequest &request, const LiveHttpServer::Reply &reply)
{
    const std::optional<int> post = authorizedPost(request, reply);
    if (!post)
        return;
    const std::optional<QJsonObject> body = bodyObject(request, reply);
    if (!body)
        return;
    Fields fields(*body);
    PostSave save;
    const std::optional<int> teamNr = fields.key(QStringLiteral("teamNr"));
    const std::optional<PostInput> values = fields.input();
    const QJsonValue vorher = body->value(QStringLiteral("vorher"));
    if (!vorher.isUndefined()) {
        if (!vorher.isObject())
            fields.fail(QStringLiteral("„vorher“ muss ein Objekt sein."));
        Fields seen(vorher.toObject());
        save.vorher = seen.input();
        fields.fail(seen.error);
    }
    const QJsonValue id = body->value(QStringLiteral("id"));
    static const QRegularExpression idPattern(QStringLiteral("^[A-Za-z0-9_-]{1,64}$"));
    if (!id.isUndefined() && !(id.isString() && idPattern.match(id.toString()).hasMatch()))
        fields.fail(QStringLiteral("„id“ besteht aus 1 bis 64 Buchstaben, Ziffern, - und _."));
    if (!teamNr || !values || !fields.error.isEmpty())
        return reply(HttpAnswer::error(400, fields.error));
    save.teamNr = *teamNr;
    save.values = *values;

    QString key;
    if (id.isString()) {
        key = QString::number(*post) + QLatin1Char('/') + id.toString();
        if (const auto done = m_answered.constFind(key); done != m_answered.constEnd())
            return reply(done.value());
        QList<LiveHttpServer::Reply> &waiting = m_underWay[key];
        waiting.append(reply);
        if (waiting.size() > 1)
            return; // the same save is being stored: it gets the same answer
    }
    const int anlassNr = m_documents.anlassNr();
    m_desk.save(anlassNr, *post, save,
                [this, key, reply, anlassNr, teamNr = *teamNr](const PostSaveOutcome &outcome,
                                                               const QString &error) {
                    const HttpAnswer answer = answerFor(teamNr, outcome, error);
                    if (error.isEmpty() && outcome.status == PostSaveOutcome::Status::Saved) {
                        m_documents.checkForChanges();
                        Q_EMIT resultStored(anlassNr, teamNr);
                    }
                    if (key.isEmpty())
                        return reply(answer);
                    if (error.isEmpty())
                        remember(key, answer);
                    for (const LiveHttpServer::Reply &r : m_underWay.take(key))
                        r(answer);
                });
}

void PostsApi::remember(const QString &key, const HttpAnswer &answer)
{
    m_answered.insert(key, answer);
    m_answeredOrder.enqueue(key);
    while (m_answeredOrder.size() > RememberedSaves)
        m_answered.remove(m_answeredOrder.dequeue());
}
