#include "event/MasterDataList.h"

#include "app/UserInterface.h"
#include "data/DataLibrary.h"
#include "data/Rows.h"
#include "engine/Statement.h"

#include <QLocale>

#include <cmath>

MasterDataList::MasterDataList(DataLibrary &data, UserInterface &ui) : m_data(data), m_ui(ui)
{ }

void MasterDataList::SetupList()
{
    m_rows.clear();
    m_state = State::Browse;
    if (posts()) {
        for (const PostRow &post : m_data.Posts())
            m_rows << MasterRecord{post.PostenNr, post.PostenBez, post.Faktor, post.Aktiv};
    } else {
        for (const CategoryRow &category : m_data.Categories())
            m_rows << MasterRecord{category.KatNr, category.KatBez, 0, false};
    }
    setCurrentRow(m_current);
}

QString MasterDataList::groupCaption() const
{
    return posts() ? QStringLiteral("Geben Sie die verwendeten Posten ein")
                   : QStringLiteral("Geben Sie die gültigen Kategorien ein");
}

QString MasterDataList::detailCaption() const
{
    return posts() ? QStringLiteral("Posten") : QStringLiteral("Kategorien");
}

int MasterDataList::nameLength() const
{
    return posts() ? 50 : 20;
}

void MasterDataList::setCurrentRow(int row)
{
    m_current = m_rows.isEmpty() ? -1 : qBound(0, row, int(m_rows.size()) - 1);
}

void MasterDataList::NewBtnClick()
{
    m_pending = MasterRecord();
    m_state = State::Insert;
}

void MasterDataList::EditBtnClick()
{
    if (m_current < 0) {
        NewBtnClick();
        return;
    }
    m_pending = m_rows.at(m_current);
    m_state = State::Edit;
}

MasterInput MasterDataList::pendingInput() const
{
    // A new post starts with an empty factor field, not with "0,00".
    return {m_pending.name, m_state == State::Insert ? QString() : factorText(m_pending.Faktor),
            m_pending.Aktiv};
}

bool MasterDataList::parseFactor(const QString &text, double &factor)
{
    const QString t = text.trimmed();
    if (t.isEmpty()) {
        factor = 0;
        return true;
    }
    bool ok = false;
    double value = QLocale().toDouble(t, &ok);
    if (!ok)
        value = t.toDouble(&ok);
    if (!ok || !std::isfinite(value))
        return false;
    factor = value;
    return true;
}

QString MasterDataList::factorText(double factor)
{
    return QLocale().toString(factor, 'f', 2);
}

bool MasterDataList::CheckInput(const MasterInput &input)
{
    if (input.name.size() > nameLength()) {
        m_ui.information(QStringLiteral("Die Bezeichnung darf höchstens %1 Zeichen lang sein.")
                             .arg(nameLength()));
        return false;
    }
    double factor = 0;
    if (posts() && !parseFactor(input.Faktor, factor)) {
        m_ui.information(QStringLiteral("\"%1\" ist keine gültige Zahl. Geben Sie bitte als "
                                        "Leistungsfaktor eine Zahl ein, zum Beispiel %2.")
                             .arg(input.Faktor.trimmed(), QLocale().toString(1.5, 'f', 2)));
        return false;
    }
    return true;
}

void MasterDataList::Post(const MasterInput &input)
{
    if (m_state == State::Browse)
        return;
    Database &db = m_data.db();
    int key = m_pending.key;
    if (posts()) {
        double factor = 0;
        parseFactor(input.Faktor, factor);
        Statement s(db,
                    m_state == State::Insert
                        ? QStringLiteral("INSERT INTO Posten (PostenBez, Faktor, Aktiv) "
                                         "VALUES (:Bez, :Faktor, :Aktiv)")
                        : QStringLiteral("UPDATE Posten SET PostenBez = :Bez, Faktor = :Faktor, "
                                         "Aktiv = :Aktiv WHERE PostenNr = :Nr"));
        s.bind("Bez", input.name).bind("Faktor", factor).bind("Aktiv", input.Aktiv);
        if (m_state == State::Edit)
            s.bind("Nr", key);
        s.exec();
    } else {
        Statement s(db,
                    m_state == State::Insert
                        ? QStringLiteral("INSERT INTO Kategorie (KatBez) VALUES (:Bez)")
                        : QStringLiteral("UPDATE Kategorie SET KatBez = :Bez WHERE KatNr = :Nr"));
        s.bind("Bez", input.name);
        if (m_state == State::Edit)
            s.bind("Nr", key);
        s.exec();
    }
    if (m_state == State::Insert)
        key = int(db.lastInsertId());
    m_state = State::Browse;
    SetupList();
    for (int i = 0; i < m_rows.size(); ++i) {
        if (m_rows.at(i).key == key)
            setCurrentRow(i);
    }
}

void MasterDataList::Cancel()
{
    m_state = State::Browse;
    m_pending = MasterRecord();
}

void MasterDataList::DeleteBtnClick()
{
    const QString name = m_current >= 0 ? m_rows.at(m_current).name : QString();
    if (!m_ui.askYesNo(QStringLiteral("Wollen Sie den Eintrag [") + name
                       + QStringLiteral("] wirklich löschen?")))
        return;
    if (m_current < 0) {
        m_ui.showError(QStringLiteral("Cannot perform this operation on an empty dataset"));
        return;
    }
    Statement s(m_data.db(),
                posts() ? QStringLiteral("DELETE FROM Posten WHERE PostenNr = :Nr")
                        : QStringLiteral("DELETE FROM Kategorie WHERE KatNr = :Nr"));
    s.bind("Nr", m_rows.at(m_current).key);
    s.exec();
    SetupList();
}
