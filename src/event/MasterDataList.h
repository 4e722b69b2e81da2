#pragma once

#include <QChar>
#include <QList>
#include <QString>

class DataLibrary;
class UserInterface;

// A category ('K': key KatNr, name KatBez) or a post ('P': key PostenNr, name PostenBez,
// Faktor, Aktiv), as the master-data dialogs show and edit it.
struct MasterRecord
{
    int key = 0;
    QString name;
    double Faktor = 0; // posts only; 0 when never given, which every reader counts as 1
    bool Aktiv = false; // posts only
};

// What the detail dialog's fields hold; the factor stays text until it is checked.
struct MasterInput
{
    QString name;
    QString Faktor;
    bool Aktiv = false;
};

// The master-data list of categories or posts without its widgets: the rows in key order,
// the current row, and the pending insert or edit that the detail dialog fills. A confirmed
// detail dialog stores its row at once.
class MasterDataList
{
public:
    enum class State { Browse, Insert, Edit };

    MasterDataList(DataLibrary &data, UserInterface &ui);

    QChar ListMode = QLatin1Char('K'); // 'K' categories, 'P' posts
    bool posts() const { return ListMode == QLatin1Char('P'); }

    // FormShow: reads the table of ListMode, every row, active or not.
    void SetupList();
    QString groupCaption() const;
    QString detailCaption() const;
    int nameLength() const; // the longest name the table keeps

    const QList<MasterRecord> &rows() const { return m_rows; }
    int currentRow() const { return m_current; }
    void setCurrentRow(int row);

    // "Neu"; "Bearbeiten" on an empty list starts a new row as well.
    void NewBtnClick();
    void EditBtnClick();
    State state() const { return m_state; }
    const MasterRecord &pending() const { return m_pending; }
    MasterInput pendingInput() const;

    // The detail dialog's OK: false, with a message, for input the table cannot take.
    bool CheckInput(const MasterInput &input);
    // Stores the pending row (after CheckInput) and makes it current.
    void Post(const MasterInput &input);
    void Cancel();

    // "Löschen": asks, then deletes the current row.
    void DeleteBtnClick();

    // Empty text is no factor (0); text that is no finite number is refused.
    static bool parseFactor(const QString &text, double &factor);
    static QString factorText(double factor);

private:
    DataLibrary &m_data;
    UserInterface &m_ui;
    QList<MasterRecord> m_rows;
    int m_current = -1;
    State m_state = State::Browse;
    MasterRecord m_pending;
};
