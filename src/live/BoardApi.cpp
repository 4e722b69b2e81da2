#include "live/BoardApi.h"

#include "data/DataLibrary.h"
#include "live/LiveDocuments.h"
#include "ranking/Standings.h"

#include <QHttpServerRequest>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QUrlQuery>

#include <algorithm>
#include <optional>

namespace {

struct KindName
{
    const char *name;
    Standings::Kind kind;
};

const KindName Kinds[] = {{"single", Standings::Kind::Single},
                          {"group", Standings::Kind::Group},
                          {"additional", Standings::Kind::AddGame},
                          {"combined", Standings::Kind::Combined}};

std::optional<Standings::Kind> kindNamed(const QString &name)
{
    for (const KindName &k : Kinds) {
        if (name == QLatin1String(k.name))
            return k.kind;
    }
    return std::nullopt;
}

QJsonObject fehler(const QString &text)
{
    return QJsonObject{{QStringLiteral("fehler"), text}};
}

QString noEvent(int anlassNr)
{
    return anlassNr == 0 ? QStringLiteral("Im Programm ist kein Anlass geöffnet.")
                         : QStringLiteral("Den Anlass %1 gibt es nicht.").arg(anlassNr);
}

QJsonObject rowJson(const StandingRow &r)
{
    return QJsonObject{{QStringLiteral("rang"), r.Rang},
                       {QStringLiteral("startNr"), r.StartNr},
                       {QStringLiteral("name"), r.CalcFullName},
                       {QStringLiteral("verein"), r.CalcVerein},
                       {QStringLiteral("hund"), r.CalcHund},
                       {QStringLiteral("rasse"), r.CalcRasse},
                       {QStringLiteral("kategorie"), r.CalcKategorie},
                       {QStringLiteral("punkte"), r.Punkte},
                       {QStringLiteral("zeit"), r.Zeit}};
}

} // namespace

void BoardApi::event(const QHttpServerRequest &, const LiveHttpServer::Reply &reply)
{
    const auto compute = [](LiveRead &read, QJsonDocument &json) {
        const std::optional<EventRow> &event = read.event();
        if (!event) {
            json.setObject(fehler(noEvent(read.anlassNr)));
            return 404;
        }
        QJsonArray categories;
        for (const CategoryRow &c : read.standings().categories()) {
            categories.append(QJsonObject{{QStringLiteral("katNr"), c.KatNr},
                                          {QStringLiteral("name"), c.KatBez}});
        }
        json.setObject(QJsonObject{{QStringLiteral("anlassNr"), event->AnlassNr},
                                   {QStringLiteral("name"), event->AnlassBez},
                                   {QStringLiteral("rangberechnung"), event->CalcRangberechnung()},
                                   {QStringLiteral("zusatzspiel"), event->Zusatzspiel},
                                   {QStringLiteral("zusatzspielName"), event->ZusatzspielName},
                                   {QStringLiteral("kategorien"), categories}});
        return 200;
    };
    m_documents.get(QStringLiteral("event"), compute,
                    [reply](const LiveDocument &doc) { reply(HttpAnswer::json(doc)); });
}

void BoardApi::rankList(const QHttpServerRequest &request, const LiveHttpServer::Reply &reply)
{
    const QUrlQuery query = request.query();
    const QString kindText = query.hasQueryItem(QStringLiteral("kind"))
        ? query.queryItemValue(QStringLiteral("kind"), QUrl::FullyDecoded)
        : QStringLiteral("single");
    const std::optional<Standings::Kind> kind = kindNamed(kindText);
    if (!kind)
        return reply(HttpAnswer::error(400,
                                       QStringLiteral("Unbekannte Art der Rangliste; möglich sind "
                                                      "single, group, additional und combined.")));
    const QString categoryText = query.hasQueryItem(QStringLiteral("category"))
        ? query.queryItemValue(QStringLiteral("category"), QUrl::FullyDecoded)
        : QStringLiteral("all");
    int katNr = 0;
    if (categoryText != QLatin1String("all")) {
        bool ok = false;
        katNr = categoryText.toInt(&ok);
        if (!ok || katNr <= 0 || categoryText != QString::number(katNr))
            return reply(HttpAnswer::error(
                400, QStringLiteral("Die Kategorie ist „all“ oder die Nummer einer Kategorie.")));
    }

    const QString key = QStringLiteral("ranklist/%1/%2").arg(int(*kind)).arg(katNr);
    // Runs in the feed's thread: it takes nothing of this one but the checked values.
    const auto compute = [kind = *kind, katNr](LiveRead &read, QJsonDocument &json) {
        const std::optional<EventRow> &event = read.event();
        if (!event) {
            json.setObject(fehler(noEvent(read.anlassNr)));
            return 404;
        }
        const QList<CategoryRow> categories = read.data.Categories();
        const bool known = std::any_of(categories.cbegin(), categories.cend(),
                                       [&](const CategoryRow &c) { return c.KatNr == katNr; });
        if (katNr > 0 && !known) {
            json.setObject(fehler(QStringLiteral("Die Kategorie %1 gibt es nicht.").arg(katNr)));
            return 404;
        }
        if (kind != Standings::Kind::Single && kind != Standings::Kind::Group
            && !event->Zusatzspiel) {
            json.setObject(fehler(
                QStringLiteral("Der Anlass „%1“ hat kein Zusatzspiel.").arg(event->AnlassBez)));
            return 404;
        }
        const Standings::Snapshot &standings = read.standings();
        QJsonArray rows;
        for (const StandingRow &r : standings.compute(kind, katNr, true))
            rows.append(rowJson(r));
        const StandingProgress progress = standings.progress(kind, katNr);
        json.setObject(QJsonObject{{QStringLiteral("title"), event->AnlassBez},
                                   {QStringLiteral("subtitle"), Standings::subtitle(*event, kind)},
                                   {QStringLiteral("fertig"), progress.finished},
                                   {QStringLiteral("gemeldet"), progress.entered},
                                   {QStringLiteral("rows"), rows}});
        return 200;
    };
    m_documents.get(key, compute,
                    [reply](const LiveDocument &doc) { reply(HttpAnswer::json(doc)); });
}
