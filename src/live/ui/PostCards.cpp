#include "live/ui/PostCards.h"

#include "live/ui/LiveResultsDialog.h"
#include "reportengine/ReportDefinition.h"

#include <QImage>

using Report::Band;
using Report::BandKind;
using Report::Element;
using Report::ElementKind;

namespace {

constexpr double CardHeight = 132; // two to an A4 page, with room to cut between them
constexpr double CodeSize = 70;
constexpr double TextLeft = 86;
constexpr double TextWidth = 96;

Element text(ElementKind kind, const QString &textOrField, double left, double top,
             double pointSize, bool bold = false, double width = 0)
{
    Element e;
    e.kind = kind;
    if (kind == ElementKind::Field)
        e.field = textOrField;
    else
        e.text = textOrField;
    e.left = left;
    e.top = top;
    e.width = width;
    e.wrap = width > 0;
    e.font.pointSize = pointSize;
    e.font.bold = bold;
    return e;
}

} // namespace

Report::ReportDocument PostCards::build(const QString &eventName, const QList<Card> &cards)
{
    Report::ReportDocument doc;
    doc.title = QStringLiteral("Zugangskarten für Posten");
    doc.titleLines = {doc.title, eventName};
    doc.data.columns = {QStringLiteral("Posten"), QStringLiteral("Anlass"),
                        QStringLiteral("Adresse"), QStringLiteral("Code"),
                        QStringLiteral("QrCode")};
    for (const Card &card : cards) {
        QUrl scan = card.page;
        scan.setFragment(QStringLiteral("code=") + card.code);
        doc.data.rows.append(
            {QStringLiteral("Posten %1: %2").arg(card.postenNr).arg(card.postenBez), eventName,
             card.page.toString(), card.code,
             QVariant::fromValue(LiveResultsDialog::qrCode(scan.toString(), 8))});
    }
    for (const QString &column :
         {QStringLiteral("Posten"), QStringLiteral("Adresse"), QStringLiteral("Code")}) {
        Report::ExportColumn c;
        c.heading = column;
        c.field = column;
        doc.exportColumns << c;
    }

    Band card;
    card.kind = BandKind::Detail;
    card.height = CardHeight + 6;
    Element frame;
    frame.kind = ElementKind::Rect;
    frame.top = 2;
    frame.width = doc.page.printableWidth();
    frame.height = CardHeight;
    frame.penWidth = 0.4;
    card.elements << frame;
    card.elements << text(ElementKind::Label, QStringLiteral("Zugangskarte für den Richter"), 8, 7,
                          10);
    card.elements << text(ElementKind::Field, QStringLiteral("Posten"), 8, 13, 20, true, 174);
    card.elements << text(ElementKind::Field, QStringLiteral("Anlass"), 8, 24, 12, false, 174);
    Element code;
    code.kind = ElementKind::Image;
    code.field = QStringLiteral("QrCode");
    code.left = 8;
    code.top = 36;
    code.width = CodeSize;
    code.height = CodeSize;
    card.elements << code;
    card.elements << text(ElementKind::Label,
                          QStringLiteral("Mit dem Telefon scannen: die Seite des Postens öffnet "
                                         "sich angemeldet. Oder im Browser öffnen:"),
                          TextLeft, 40, 11, false, TextWidth);
    card.elements << text(ElementKind::Field, QStringLiteral("Adresse"), TextLeft, 56, 13, true,
                          TextWidth);
    card.elements << text(ElementKind::Label, QStringLiteral("und diesen Code eingeben:"), TextLeft,
                          72, 11, false, TextWidth);
    card.elements << text(ElementKind::Field, QStringLiteral("Code"), TextLeft, 79, 30, true,
                          TextWidth);
    card.elements << text(ElementKind::Label,
                          QStringLiteral("Der Code gilt, bis der Live-Server beendet wird, und "
                                         "erlaubt nur, die Ergebnisse dieses Postens einzugeben. "
                                         "Nicht weitergeben; nach dem Anlass vernichten."),
                          8, 112, 9, false, 174);
    doc.bands << card;
    return doc;
}
