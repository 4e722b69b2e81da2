#include "live/ui/LiveResultsDialog.h"

#include "app/Competition.h"
#include "app/UserInterface.h"
#include "app/ui/HelpWindow.h"
#include "data/DataLibrary.h"
#include "engine/DatabaseError.h"
#include "live/LiveServer.h"
#include "live/PostAccess.h"
#include "live/ui/PostCards.h"
#include "reportengine/ReportDefinition.h"

#include <QDialogButtonBox>
#include <QDir>
#include <QFormLayout>
#include <QGridLayout>
#include <QHostAddress>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QSpinBox>
#include <QTimer>
#include <QVBoxLayout>
#include <qrencode.h>

LiveResultsDialog::LiveResultsDialog(Competition &competition, QWidget *parent)
    : QDialog(parent), m_competition(competition), m_server(std::make_unique<LiveServer>())
{
    setObjectName(QStringLiteral("LiveResultsDialog"));
    setWindowTitle(QStringLiteral("Live-Ergebnisse im Netzwerk"));

    auto *intro = new QLabel(
        QStringLiteral("Telefone und Beamer im selben Netzwerk zeigen die Ranglisten des "
                       "geöffneten Anlasses live im Browser. Die Richter der Posten geben mit "
                       "dem Code ihres Postens dessen Punkte und Zeiten selbst ein."));
    intro->setWordWrap(true);

    m_port = new QSpinBox;
    m_port->setObjectName(QStringLiteral("LivePort"));
    m_port->setRange(1, 65535);
    m_port->setValue(LiveServer::DefaultPort);
    m_startStop = new QPushButton;
    m_startStop->setObjectName(QStringLiteral("LiveStartStop"));
    connect(m_startStop, &QPushButton::clicked, this, &LiveResultsDialog::startStop);
    auto *portRow = new QHBoxLayout;
    portRow->addWidget(m_port);
    portRow->addWidget(m_startStop);
    portRow->addStretch();

    m_state = new QLabel;
    m_state->setObjectName(QStringLiteral("LiveState"));
    m_serving = new QLabel;
    m_serving->setObjectName(QStringLiteral("LiveServing"));
    m_serving->setWordWrap(true);

    auto *form = new QFormLayout;
    form->addRow(QStringLiteral("Port:"), portRow);
    form->addRow(QStringLiteral("Zustand:"), m_state);
    form->addRow(QStringLiteral("Gezeigt wird:"), m_serving);

    m_addresses = new QWidget;
    m_addresses->setObjectName(QStringLiteral("LiveAddresses"));
    m_addressLayout = new QVBoxLayout(m_addresses);
    m_addressLayout->setContentsMargins(0, 0, 0, 0);

    m_posts = new QWidget;
    m_posts->setObjectName(QStringLiteral("LivePosts"));
    m_postLayout = new QGridLayout(m_posts);
    m_postLayout->setContentsMargins(0, 0, 0, 0);
    m_postLayout->setHorizontalSpacing(12);
    m_postHeading = new QLabel(QStringLiteral(
        "Zugang für die Richter der Posten (die Codes gelten, bis der Server beendet wird):"));
    m_postHeading->setWordWrap(true);
    m_cards = new QPushButton(QStringLiteral("&Zugangskarten für Posten ..."));
    m_cards->setObjectName(QStringLiteral("LivePostCards"));
    m_cards->setAutoDefault(false);
    connect(m_cards, &QPushButton::clicked, this, &LiveResultsDialog::showCards);

    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Close);
    buttons->button(QDialogButtonBox::Close)->setText(QStringLiteral("Schließen"));
    buttons->addButton(m_cards, QDialogButtonBox::ActionRole);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::hide);

    auto *layout = new QVBoxLayout(this);
    layout->setSizeConstraint(QLayout::SetMinimumSize);
    setMinimumWidth(460);
    layout->addWidget(intro);
    layout->addLayout(form);
    layout->addWidget(m_addresses);
    layout->addWidget(m_postHeading);
    layout->addWidget(m_posts);
    layout->addStretch();
    layout->addWidget(buttons);

    connect(&m_competition, &Competition::eventChanged, this, &LiveResultsDialog::followEvent);
    // A change made here shows at once; other processes' changes through the feed's poll.
    connect(&m_competition, &Competition::participantsChanged, this,
            [this] { m_server->checkForChanges(); });
    connect(m_server.get(), &LiveServer::runningChanged, this, &LiveResultsDialog::showState);
    HelpWindow::bindTopic(this, 1040);
    showState();
}

LiveResultsDialog::~LiveResultsDialog() = default;

LiveResultsDialog *LiveResultsDialog::showFor(QWidget *mainWindow, Competition &competition)
{
    auto *dialog = mainWindow->findChild<LiveResultsDialog *>(QStringLiteral("LiveResultsDialog"),
                                                              Qt::FindDirectChildrenOnly);
    if (!dialog)
        dialog = new LiveResultsDialog(competition, mainWindow);
    dialog->show();
    dialog->raise();
    dialog->activateWindow();
    return dialog;
}

void LiveResultsDialog::followEvent()
{
    if (!m_server->isRunning())
        return;
    try {
        m_server->setSource(m_competition.data().openedDirectory(),
                            m_competition.CurrentAnlassNr());
    } catch (const DatabaseError &e) {
        m_competition.ui().showError(e.message());
    }
    showState();
}

void LiveResultsDialog::startStop()
{
    if (m_server->isRunning()) {
        m_server->stop();
        return;
    }
    try {
        m_server->setSource(m_competition.data().openedDirectory(),
                            m_competition.CurrentAnlassNr());
        m_server->start(quint16(m_port->value()));
    } catch (const LiveError &e) {
        m_competition.ui().showError(e.message());
    } catch (const DatabaseError &e) {
        m_competition.ui().showError(e.message());
    }
    showState();
}

void LiveResultsDialog::showState()
{
    const bool running = m_server->isRunning();
    m_startStop->setText(running ? QStringLiteral("Server beenden")
                                 : QStringLiteral("Server starten"));
    m_port->setEnabled(!running);
    m_state->setText(running ? QStringLiteral("Der Server läuft auf Port %1.").arg(m_server->port())
                             : QStringLiteral("Der Server ist nicht gestartet."));
    const std::optional<EventRow> &event = m_competition.event();
    if (!running)
        m_serving->setText(QStringLiteral("nichts"));
    else if (!event)
        m_serving->setText(QStringLiteral("kein Anlass: im Programm ist keiner geöffnet."));
    else
        m_serving->setText(QStringLiteral("die Ranglisten des Anlasses „%1“ (Nr. %2) aus %3")
                               .arg(event->AnlassBez)
                               .arg(event->AnlassNr)
                               .arg(QDir::toNativeSeparators(m_server->directory())));

    while (QLayoutItem *item = m_addressLayout->takeAt(0)) {
        delete item->widget();
        delete item;
    }
    if (!running) {
        showPosts();
        return;
    }
    auto *heading = new QLabel(QStringLiteral("Im Browser öffnen oder mit dem Telefon scannen:"));
    m_addressLayout->addWidget(heading);
    auto *grid = new QWidget;
    auto *gridLayout = new QGridLayout(grid);
    gridLayout->setContentsMargins(0, 0, 0, 0);
    int column = 0;
    for (const QUrl &url : m_server->urls()) {
        const QString text = url.toString();
        auto *link = new QLabel(QStringLiteral("<a href=\"%1\">%1</a>").arg(text.toHtmlEscaped()));
        link->setObjectName(QStringLiteral("LiveAddress"));
        link->setOpenExternalLinks(true);
        link->setTextInteractionFlags(Qt::TextBrowserInteraction);
        link->setAlignment(Qt::AlignCenter);
        // A phone cannot reach this computer's own loopback address: no code for it.
        if (!QHostAddress(url.host()).isLoopback()) {
            auto *code = new QLabel;
            code->setObjectName(QStringLiteral("LiveQrCode"));
            const QPixmap pixmap = QPixmap::fromImage(qrCode(text, 5));
            code->setPixmap(pixmap);
            code->setFixedSize(pixmap.size());
            gridLayout->addWidget(code, 0, column, Qt::AlignCenter);
        }
        gridLayout->addWidget(link, 1, column, Qt::AlignHCenter | Qt::AlignTop);
        ++column;
    }
    m_addressLayout->addWidget(grid);
    showPosts();
    // The new labels show once the event loop runs; the dialog grows to them then.
    QTimer::singleShot(0, this, [this] { adjustSize(); });
}

void LiveResultsDialog::showPosts()
{
    while (QLayoutItem *item = m_postLayout->takeAt(0)) {
        delete item->widget();
        delete item;
    }
    const QList<PostCode> codes = m_server->postCodes();
    m_postHeading->setVisible(!codes.isEmpty());
    m_cards->setEnabled(!codes.isEmpty());
    // Two posts to a row, each a small code beside its name, code and address: a club's
    // five to ten posts fit on a laptop's screen.
    constexpr int Columns = 2;
    for (int i = 0; i < codes.size(); ++i) {
        const PostCode &post = codes.at(i);
        auto *code = new QLabel;
        code->setObjectName(QStringLiteral("LivePostQrCode"));
        const QPixmap pixmap =
            QPixmap::fromImage(qrCode(m_server->postUrl(post.postenNr, true).toString(), 2));
        code->setPixmap(pixmap);
        code->setFixedSize(pixmap.size());
        const QString page = m_server->postUrl(post.postenNr).toString();
        auto *text =
            new QLabel(QStringLiteral("<b>Posten %1 %2</b><br>Code <b>%3</b><br>"
                                      "<a href=\"%4\">%4</a>")
                           .arg(post.postenNr)
                           .arg(post.postenBez.toHtmlEscaped(), post.code, page.toHtmlEscaped()));
        text->setObjectName(QStringLiteral("LivePostCode"));
        text->setOpenExternalLinks(true);
        text->setTextInteractionFlags(Qt::TextBrowserInteraction);
        const int row = i / Columns;
        const int column = i % Columns * 2;
        m_postLayout->addWidget(code, row, column, Qt::AlignLeft | Qt::AlignTop);
        m_postLayout->addWidget(text, row, column + 1, Qt::AlignLeft | Qt::AlignVCenter);
    }
}

void LiveResultsDialog::showCards()
{
    QList<PostCards::Card> cards;
    for (const PostCode &post : m_server->postCodes())
        cards.append({post.postenNr, post.postenBez, post.code, m_server->postUrl(post.postenNr)});
    if (cards.isEmpty())
        return;
    const std::optional<EventRow> &event = m_competition.event();
    m_competition.ui().previewReport(PostCards::build(event ? event->AnlassBez : QString(), cards));
}

QImage LiveResultsDialog::qrCode(const QString &text, int moduleSize)
{
    const QByteArray utf8 = text.toUtf8();
    QRcode *code = QRcode_encodeString(utf8.constData(), 0, QR_ECLEVEL_M, QR_MODE_8, 1);
    if (!code)
        return QImage();
    constexpr int QuietZone = 4;
    const int modules = code->width + 2 * QuietZone;
    QImage image(modules * moduleSize, modules * moduleSize, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setPen(Qt::NoPen);
    painter.setBrush(Qt::black);
    for (int y = 0; y < code->width; ++y) {
        for (int x = 0; x < code->width; ++x) {
            // The lowest bit of each byte marks a dark module.
            if (code->data[y * code->width + x] & 1)
                painter.drawRect((x + QuietZone) * moduleSize, (y + QuietZone) * moduleSize,
                                 moduleSize, moduleSize);
        }
    }
    painter.end();
    QRcode_free(code);
    return image;
}
