#include "app/ui/GuiUserInterface.h"

#include "app/Competition.h"
#include "app/ui/Forms.h"
#include "app/ui/MainForm.h"
#include "ranking/ui/RankSelectForm.h"
#include "reportengine/ReportDefinition.h"
#include "reportengine/ui/ReportPreviewDialog.h"
#include "reportengine/ui/ReportPrinting.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QInputDialog>
#include <QMessageBox>
#include <QPrinter>

GuiUserInterface::GuiUserInterface(Forms &forms) : m_forms(forms)
{ }

GuiUserInterface::~GuiUserInterface() = default;

void GuiUserInterface::information(const QString &text)
{
    QMessageBox::information(m_parent, Competition::applicationTitle(), text, QMessageBox::Ok);
}

bool GuiUserInterface::askYesNo(const QString &text)
{
    return QMessageBox::question(m_parent, Competition::applicationTitle(), text,
                                 QMessageBox::Yes | QMessageBox::No, QMessageBox::Yes)
        == QMessageBox::Yes;
}

bool GuiUserInterface::askOkCancel(const QString &text)
{
    return QMessageBox::question(m_parent, Competition::applicationTitle(), text,
                                 QMessageBox::Ok | QMessageBox::Cancel, QMessageBox::Ok)
        == QMessageBox::Ok;
}

void GuiUserInterface::showError(const QString &text)
{
    // A message box must not show under an hourglass that an interrupted action left.
    while (QApplication::overrideCursor())
        QApplication::restoreOverrideCursor();
    m_busy = 0;
    QMessageBox::critical(m_parent, Competition::applicationTitle(), text, QMessageBox::Ok);
}

void GuiUserInterface::setBusy(bool busy)
{
    if (busy) {
        ++m_busy;
        QApplication::setOverrideCursor(Qt::WaitCursor);
    } else if (m_busy > 0) {
        --m_busy;
        QApplication::restoreOverrideCursor();
    }
}

bool GuiUserInterface::chooseRankList(RankListChoice &choice)
{
    return m_forms.RankSelectForm->choose(choice);
}

bool GuiUserInterface::chooseItem(const QString &title, const QString &label,
                                  const QStringList &items, int &index)
{
    if (items.isEmpty())
        return false;
    QInputDialog dialog(m_parent);
    dialog.setObjectName(QStringLiteral("ChooseItemDialog"));
    dialog.setWindowTitle(title);
    dialog.setLabelText(label);
    dialog.setComboBoxItems(items);
    dialog.setComboBoxEditable(false);
    dialog.setTextValue(items.at(qBound(0, index, int(items.size()) - 1)));
    dialog.setOkButtonText(QStringLiteral("&OK"));
    dialog.setCancelButtonText(QStringLiteral("Abbre&chen"));
    if (dialog.exec() != QDialog::Accepted)
        return false;
    // By position, not by text: two items may read the same (posts of the same name).
    const QComboBox *combo = dialog.findChild<QComboBox *>();
    const int chosen = combo ? combo->currentIndex() : int(items.indexOf(dialog.textValue()));
    if (chosen < 0)
        return false;
    index = chosen;
    return true;
}

void GuiUserInterface::previewReport(const Report::ReportDocument &report)
{
    ReportPreviewDialog::preview(report, &m_forms.printer(), *this, m_parent);
}

void GuiUserInterface::printReport(const Report::ReportDocument &report, bool showProgress)
{
    if (ReportPrinting::print(report, &m_forms.printer(), showProgress, m_parent))
        namePrintFile();
}

bool GuiUserInterface::printReports(const QString &title, int count, const ReportSource &report)
{
    if (!ReportPrinting::printBatch(&m_forms.printer(), title, count, report, m_parent))
        return false;
    namePrintFile();
    return true;
}

void GuiUserInterface::namePrintFile()
{
    const QString file = m_forms.printer().outputFileName();
    if (!file.isEmpty() && m_forms.MainForm)
        m_forms.MainForm->showStatus(
            QStringLiteral("In die Datei „%1“ gedruckt.").arg(QDir::toNativeSeparators(file)));
}
