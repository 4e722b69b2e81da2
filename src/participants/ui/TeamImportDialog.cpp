#include "participants/ui/TeamImportDialog.h"

#include "app/Competition.h"
#include "app/Guard.h"
#include "backup/Safeguard.h"
#include "data/DataLibrary.h"
#include "participants/Entries.h"
#include "participants/TeamImport.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include <optional>

namespace {

std::optional<QString> nextFileName;

enum TableColumn {
    LineColumn,
    StatusColumn,
    NameColumn,
    VornameColumn,
    VereinColumn,
    HundColumn,
    RasseColumn,
    KategorieColumn,
    ZusatzColumn,
    StartNrColumn,
    ReasonColumn,
    TableColumnCount
};

} // namespace

TeamImportDialog::TeamImportDialog(Competition &competition, QWidget *parent)
    : QDialog(parent), m_competition(competition)
{
    setObjectName(QStringLiteral("TeamImportDialog"));
    setWindowTitle(QStringLiteral("Teams aus Datei importieren"));
    resize(960, 480);

    auto *layout = new QVBoxLayout(this);
    m_summary = new QLabel(this);
    m_summary->setObjectName(QStringLiteral("SummaryLabel"));
    m_summary->setWordWrap(true);
    layout->addWidget(m_summary);

    m_table = new QTableWidget(0, TableColumnCount, this);
    m_table->setObjectName(QStringLiteral("PreviewTable"));
    m_table->setHorizontalHeaderLabels(
        {QStringLiteral("Zeile"), QStringLiteral("Status"), QStringLiteral("Name"),
         QStringLiteral("Vorname"), QStringLiteral("Verein"), QStringLiteral("Hund"),
         QStringLiteral("Rasse"), QStringLiteral("Kategorie"), QStringLiteral("Zusatz"),
         QStringLiteral("StartNr"), QStringLiteral("Bemerkung")});
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->setTabKeyNavigation(false); // arrows move in the table, Tab leaves it
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->verticalHeader()->hide();
    m_table->horizontalHeader()->setStretchLastSection(true);
    layout->addWidget(m_table, 1);

    m_enterIntoEvent = new QCheckBox(this);
    m_enterIntoEvent->setObjectName(QStringLiteral("EnterIntoEventCheck"));
    connect(m_enterIntoEvent, &QCheckBox::toggled, this, [this] { fillTable(); });
    layout->addWidget(m_enterIntoEvent);

    auto *buttons = new QDialogButtonBox(this);
    m_okButton = buttons->addButton(QStringLiteral("&Importieren"), QDialogButtonBox::AcceptRole);
    m_okButton->setObjectName(QStringLiteral("OKBtn"));
    QPushButton *reloadButton =
        buttons->addButton(QStringLiteral("&Neu laden"), QDialogButtonBox::ActionRole);
    reloadButton->setObjectName(QStringLiteral("ReloadBtn"));
    QPushButton *cancelButton =
        buttons->addButton(QStringLiteral("&Abbrechen"), QDialogButtonBox::RejectRole);
    cancelButton->setObjectName(QStringLiteral("CancelBtn"));
    connect(buttons, &QDialogButtonBox::accepted, this, &TeamImportDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &TeamImportDialog::reject);
    // The operator may mend the file in the spreadsheet and read it again without starting over.
    connect(reloadButton, &QPushButton::clicked, this, &TeamImportDialog::reload);
    layout->addWidget(buttons);
}

TeamImportDialog::~TeamImportDialog() = default;

void TeamImportDialog::setNextFileName(const QString &fileName)
{
    nextFileName = fileName;
}

bool TeamImportDialog::execute()
{
    QString path;
    if (nextFileName) {
        path = *nextFileName;
        nextFileName.reset();
    } else {
        path = QFileDialog::getOpenFileName(
            parentWidget(), QStringLiteral("Teams aus Datei importieren"), m_path,
            QStringLiteral("CSV-Dateien (*.csv *.txt);;Alle Dateien (*)"));
    }
    if (path.isEmpty())
        return false;
    loadFile(path);
    return exec() == QDialog::Accepted;
}

void TeamImportDialog::loadFile(const QString &path)
{
    m_path = path;
    m_written = 0;
    const std::optional<EventRow> &event = m_competition.event();
    m_enterIntoEvent->setText(
        event ? QStringLiteral("Alle Teams der Datei in den geöffneten Anlass „%1“ &einfügen")
                    .arg(QString(event->AnlassBez).replace(QLatin1Char('&'), QStringLiteral("&&")))
              : QStringLiteral("Alle Teams der Datei in den geöffneten Anlass &einfügen"));
    m_enterIntoEvent->setEnabled(event.has_value());
    if (!event)
        m_enterIntoEvent->setChecked(false);
    reload();
}

void TeamImportDialog::reload()
{
    m_import = std::make_unique<TeamImport>(m_competition.data().db());
    guarded(m_competition.ui(), [&] { m_import->load(m_path); });
    fillTable();
}

void TeamImportDialog::fillTable()
{
    const TeamImport &import = *m_import;
    m_table->setRowCount(0);
    m_table->setRowCount(int(import.lines().size()));
    const QColor errorColor(255, 215, 215);
    const QColor skippedColor(230, 230, 230);
    int row = 0;
    for (const TeamImportLine &line : import.lines()) {
        const QStringList cells = {QString::number(line.lineNumber),
                                   line.statusText(),
                                   line.team.Name,
                                   line.team.Vorname,
                                   line.team.Verein,
                                   line.team.Hund,
                                   line.team.Rasse,
                                   line.category,
                                   DataLibrary::YesNoText(line.team.Zusatzspiel),
                                   QString::number(line.team.StartNr),
                                   line.reasonText()};
        for (int column = 0; column < TableColumnCount; ++column) {
            auto *item = new QTableWidgetItem(cells.at(column));
            if (line.status == TeamImportLine::Status::Error)
                item->setBackground(errorColor);
            else if (line.status == TeamImportLine::Status::Duplicate)
                item->setBackground(skippedColor);
            m_table->setItem(row, column, item);
        }
        ++row;
    }
    m_table->resizeColumnsToContents();

    const int fresh = import.count(TeamImportLine::Status::New);
    const int skipped = import.count(TeamImportLine::Status::Duplicate);
    const int errors = import.count(TeamImportLine::Status::Error);
    QStringList text;
    text << QStringLiteral("Datei: %1").arg(QDir::toNativeSeparators(m_path));
    if (!import.fileError().isEmpty()) {
        text << import.fileError();
    } else {
        text << QStringLiteral("%1 neu, %2 übersprungen, %3 mit Fehlern (%4, %5).")
                    .arg(fresh)
                    .arg(skipped)
                    .arg(errors)
                    .arg(import.encodingName(), import.separatorName());
        if (errors > 0)
            text << QStringLiteral("Solange eine Zeile einen Fehler hat, wird nichts importiert.");
        else if (import.lines().isEmpty())
            text << QStringLiteral("Die Datei enthält keine Teams.");
        text << import.notes();
    }
    m_summary->setText(text.join(QLatin1Char('\n')));
    // Teams that exist already are worth an import when they are to be entered.
    const bool entering = m_enterIntoEvent->isChecked();
    m_okButton->setEnabled(!import.hasErrors()
                           && (fresh > 0 || (entering && !import.lines().isEmpty())));
}

void TeamImportDialog::accept()
{
    if (!m_import || m_import->hasErrors())
        return;
    int written = 0;
    int entered = 0;
    const bool entering = m_enterIntoEvent->isChecked() && m_competition.event();
    const bool ok = guarded(m_competition.ui(), [&] {
        BusyCursor busy(m_competition.ui());
        Safeguard::Command command(m_competition.safeguard(), QStringLiteral("Teams importieren"));
        if (entering) {
            DataLibrary &data = m_competition.data();
            const int anlassNr = m_competition.CurrentAnlassNr();
            written = m_import->write([&](int teamNr) {
                entered += Entries::EnterInto(data, anlassNr, teamNr, false, 0) ? 1 : 0;
            });
        } else {
            written = m_import->write();
        }
        command.done();
    });
    if (!ok) {
        fillTable(); // a fresh check may have found what stopped the import
        return;
    }
    m_written = written;
    if (entering)
        m_competition.RefreshParticipants();
    QString text = QStringLiteral("%1 Teams importiert, %2 übersprungen")
                       .arg(written)
                       .arg(m_import->count(TeamImportLine::Status::Duplicate));
    if (entering)
        text += QStringLiteral(", %1 in den Anlass eingefügt").arg(entered);
    m_competition.ui().information(text + QLatin1Char('.'));
    QDialog::accept();
}
