#pragma once

#include <QList>
#include <QString>
#include <QUrl>

namespace Report {
struct ReportDocument;
}

// "Zugangskarten für Posten": one card per post for its judge, two to a page, with the post's
// page as a QR code that logs in when scanned, its address and its code for typing.
namespace PostCards {

struct Card
{
    int postenNr = 0;
    QString postenBez;
    QString code;
    QUrl page; // without the code
};

Report::ReportDocument build(const QString &eventName, const QList<Card> &cards);

} // namespace PostCards
