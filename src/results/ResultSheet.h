#pragma once

#include "results/Weighting.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <array>
#include <optional>
#include <utility>

class DataLibrary;
class Statement;
class UserInterface;
struct ParticipantRow;

// Where the result grid and its totals line sit and how wide its columns are, in pixels.
// The widget applies it as it is.
struct ResultGridLayout
{
    int visibleColumns = 0;
    QList<int> columnWidths; // of the visible columns, from the left
    int totalCaptionLeft = 0; // "Total:"
    QList<int> totalLabelLefts; // points, time, and with the additional game its points, time
    int gridTop = 0;
    int gridHeight = 0;
};

// The running totals below the grid.
struct ResultTotals
{
    double points = 0;
    double time = 0;
    double addPoints = 0;
    double addTime = 0;
};

// The content of the result entry dialog for one participant: one row per result row of
// the open event, the values the operator edits, the totals and the store. It takes numbers
// only; turning typed text into them is the front-end's business.
//
// Points are shown divided by the post's factor and stored multiplied by it. A value equal
// to the one a cell was opened with stands for the stored value itself, so that saving
// never moves a value through the two-decimal display.
class ResultSheet
{
public:
    enum Field { Points, Time, AddPoints, AddTime };
    static constexpr int FieldCount = 4;

    struct Row
    {
        int AnlassNr = 0;
        int PostenNr = 0;
        int TeamNr = 0; // for a group, the member's
        QString member; // group layout: the member's name on its first row, else empty
        QString posten; // CalcPosten
        double Faktor = 0; // as stored
        std::array<double, FieldCount> stored{};
        std::array<double, FieldCount> entered{}; // as the operator sees them: points unweighted

        // A missing, zero or negative factor counts as 1.
        double factor() const { return Weighting::factor(Faktor); }
        QString key() const; // AnlassNr@PostenNr$TeamNr
        // The value stored for what is entered now.
        double value(Field field) const;
    };

    static const QString NumberMessage;
    static const QString AllPointsQuestion;
    static QString notANumberError(const QString &text); // why a cell is refused

    explicit ResultSheet(DataLibrary &data);

    // FormShow: layout, captions, check boxes and rows for a participant of the open event.
    void Load(const ParticipantRow &participant, bool eventHasAddGame);
    void BuildTeamGrid(int teamNr, bool showAddGame);
    void BuildGroupGrid(int groupNr, bool eventHasAddGame);

    bool isTeam() const { return m_isTeam; }
    bool showsAddGame() const { return m_showAddGame; }
    bool groupPlaysAddGame() const { return m_groupPlaysAddGame; }
    QString groupBoxCaption() const { return m_groupBoxCaption; }
    QString checkBox1Caption() const { return m_checkBox1Caption; }
    QString checkBox2Caption() const { return m_checkBox2Caption; }
    bool initialFinished() const { return m_initialFinished; }
    bool initialAddGameFinished() const { return m_initialAddGameFinished; }

    // Grid columns: [member,] post, factor, points, time, additional points, additional
    // time, key. The key column is never shown, nor are the additional columns without the
    // additional game.
    ResultGridLayout layout() const;
    int columnCount() const { return keyColumn() + 1; }
    int keyColumn() const { return columnOffset() + 6; }
    int columnOf(Field field) const { return columnOffset() + 2 + field; }
    std::optional<Field> fieldAt(int column) const;
    QStringList headings() const;
    bool isColumnShown(int column) const;
    bool takesCursor(int column) const; // StringGrid1SelectCell
    int firstCursorColumn() const { return columnOf(Points); }

    int rowCount() const { return int(m_rows.size()); }
    const Row &row(int index) const { return m_rows.at(index); }
    QString cell(int row, int column) const;
    bool isShown(Field field) const;

    // Enters a value as the operator sees it (points unweighted). Refused, with the cell
    // left as it was, for a cell that is not shown, a row that does not exist, and a value
    // that is no finite number or becomes none when weighted.
    bool setValue(int row, Field field, double value);
    // The value a cell stands for, weighted as it would be stored.
    double value(int row, Field field) const { return m_rows.at(row).value(field); }

    // StringGrid1Click: the weighted sums; the additional ones stay 0 when not shown.
    ResultTotals totals() const;

    bool AllPointsEntered() const;
    // Asks whether to mark the participant finished when every points cell holds points and
    // finished is not set yet, then stores the cells the operator changed in one transaction.
    // A changed cell whose stored value someone else (a post) changed since the sheet was
    // opened is overwritten only after a Yes. Rows that have disappeared meanwhile are
    // skipped.
    void SaveResults(UserInterface &ui, bool &finished);
    // The question before overwriting, one line per cell.
    static QString overwriteQuestion(const QStringList &cells);

    // Numbers as the operator sees them: the user's locale, fixed point with two decimals.
    // For the front-ends that read typed text: typed numbers take a comma or a point as decimal
    // separator and no thousands separator; only finite numbers count.
    static QString formatNumber(double value);
    static std::optional<double> parseNumber(const QString &text);
    static QString formatTotal(double value); // 7 significant digits, two decimals

private:
    int columnOffset() const { return m_isTeam ? 0 : 1; }
    double sum(Field field) const;
    // Keeps of cells (row, field) those stored differently now than when the sheet was
    // opened and describes each for the question.
    QStringList changedMeanwhile(QList<std::pair<int, Field>> &cells) const;
    void appendRows(Statement &s, bool withMembers);
    void reset();

    DataLibrary &m_data;
    bool m_isTeam = true;
    bool m_showAddGame = false;
    bool m_groupPlaysAddGame = false;
    QString m_groupBoxCaption;
    QString m_checkBox1Caption;
    QString m_checkBox2Caption;
    bool m_initialFinished = false;
    bool m_initialAddGameFinished = false;
    QList<Row> m_rows;
};
