#include "app/UserInterface.h"
#include "app/ui/Forms.h"
#include "ranking/ui/RankSelectForm.h"
#include "support/ModalDialogs.h"
#include "support/ScriptedUserInterface.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QRadioButton>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

RankListChoice choice(bool addGame, int kind)
{
    RankListChoice c;
    c.categoryItems = {u"Alle (Gemischt)"_s, u"Junioren"_s, u"Senioren"_s};
    c.categoryNumbers = {0, 2, 1};
    c.categoryIndex = 0;
    c.kind = kind;
    c.kindEnabled = addGame;
    return c;
}

} // namespace

class TestRankSelectForm : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void showsTheChoice_data()
    {
        QTest::addColumn<bool>("addGame");
        QTest::addColumn<int>("kind");
        QTest::newRow("additional game proposed") << true << 1;
        QTest::newRow("no additional game") << false << 0;
    }

    void showsTheChoice()
    {
        QFETCH(bool, addGame);
        QFETCH(int, kind);
        ScriptedUserInterface ui;
        Forms forms;
        forms.ui = &ui;
        TRankSelectForm form(forms, nullptr);
        form.FormShow(choice(addGame, kind));
        QCOMPARE(form.windowTitle(), u"Rangliste erstellen"_s);
        auto *combo = form.findChild<QComboBox *>(u"ComboBox1"_s);
        QVERIFY(combo);
        QVERIFY(!combo->isEditable());
        QCOMPARE(combo->count(), 3);
        QCOMPARE(combo->currentText(), u"Alle (Gemischt)"_s);
        auto *kinds = form.findChild<QGroupBox *>(u"RadioGroup1"_s);
        QCOMPARE(kinds->title(), u"Welche Rangliste soll erstellt werden"_s);
        QCOMPARE(kinds->isEnabled(), addGame);
        QVERIFY(form.findChild<QRadioButton *>(u"RadioKind%1"_s.arg(kind))->isChecked());

        combo->setCurrentIndex(2);
        RankListChoice chosen = choice(addGame, kind);
        form.readChoice(chosen);
        QCOMPARE(chosen.categoryIndex, 2);
        QCOMPARE(chosen.kind, kind);
    }

    // Driven by keys as an operator would: the proposed category is chosen, Alt+G ticks
    // "Auch bereits gedruckte Teams", Enter confirms.
    void withPrintedIsOffByDefaultAndTickedByItsKey()
    {
        ScriptedUserInterface ui;
        Forms forms;
        forms.ui = &ui;
        TRankSelectForm form(forms, nullptr);
        RankListChoice proposed = choice(false, 0);
        proposed.categoryIndex = 2;
        onNextModal([](QWidget *dialog) {
            auto *check = childOf<QCheckBox>(*dialog, "WithPrintedCheck");
            QCOMPARE(check->text(), u"Auch bereits &gedruckte Teams"_s);
            QVERIFY(!check->isChecked());
            // Access keys reach the active window only.
            dialog->activateWindow();
            QVERIFY(QTest::qWaitForWindowActive(dialog));
            QTest::keyClick(dialog, Qt::Key_G, Qt::AltModifier);
            QTRY_VERIFY(check->isChecked()); // an access key clicks with a short animation
            QTest::keyClick(dialog, Qt::Key_Return);
        });
        QVERIFY(form.choose(proposed));
        QCOMPARE(proposed.categoryText(), u"Senioren"_s);
        QVERIFY(proposed.withPrinted);

        // The next showing starts unticked again.
        RankListChoice next = choice(false, 0);
        onNextModal([](QWidget *dialog) {
            QVERIFY(!childOf<QCheckBox>(*dialog, "WithPrintedCheck")->isChecked());
            QTest::keyClick(dialog, Qt::Key_Return);
        });
        QVERIFY(form.choose(next));
        QVERIFY(!next.withPrinted);
    }

    void okNeedsACategory()
    {
        ScriptedUserInterface ui;
        Forms forms;
        forms.ui = &ui;
        TRankSelectForm form(forms, nullptr);
        RankListChoice none = choice(true, 0);
        none.categoryIndex = -1;
        form.FormShow(none);
        form.setResult(QDialog::Rejected);
        form.OKBtnClick();
        QCOMPARE(ui.texts(u"information"_s),
                 QStringList{u"Wählen Sie bitt eine Kategorie aus der Liste aus."_s});
        QCOMPARE(form.result(), int(QDialog::Rejected));
        form.findChild<QComboBox *>(u"ComboBox1"_s)->setCurrentIndex(1);
        form.OKBtnClick();
        QCOMPARE(form.result(), int(QDialog::Accepted));
        QCOMPARE(ui.messages.size(), 1);
    }
};

QTEST_MAIN(TestRankSelectForm)
#include "tst_rankselectform.moc"
