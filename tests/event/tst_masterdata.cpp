#include "data/DataLibrary.h"
#include "event/MasterDataList.h"
#include "support/TestDatabase.h"

#include <QTest>

class TestMasterData : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void categoriesInsertEditCancel()
    {
        TestDatabase t;
        t.addCategory(QStringLiteral("Senioren"));
        MasterDataList list(t.data, t.ui);
        list.ListMode = QLatin1Char('K');
        list.SetupList();
        QCOMPARE(list.groupCaption(), QStringLiteral("Geben Sie die gültigen Kategorien ein"));

        list.NewBtnClick();
        QCOMPARE(list.state(), MasterDataList::State::Insert);
        QVERIFY(list.CheckInput({QStringLiteral("Junioren"), QStringLiteral("kein Feld"), true}));
        list.Post({QStringLiteral("Junioren"), {}, false});
        QCOMPARE(list.rows().size(), 2);
        QCOMPARE(list.currentRow(), 1); // the new row is current
        QCOMPARE(list.state(), MasterDataList::State::Browse);

        list.setCurrentRow(0);
        list.EditBtnClick();
        QCOMPARE(list.pendingInput().name, QStringLiteral("Senioren"));
        list.Post({QStringLiteral("Veteranen"), {}, false});
        list.NewBtnClick();
        list.Cancel();
        list.setCurrentRow(1);
        list.EditBtnClick();
        list.Cancel();
        QCOMPARE(t.data.Categories().size(), 2);
        QCOMPARE(t.data.Categories().at(0).KatBez, QStringLiteral("Veteranen"));
        QCOMPARE(t.data.Categories().at(1).KatBez, QStringLiteral("Junioren"));

        // The table keeps 20 characters; more is refused before anything is stored.
        list.NewBtnClick();
        QVERIFY(!list.CheckInput({QString(21, QLatin1Char('x')), {}, false}));
        QCOMPARE(t.ui.texts(QStringLiteral("information")).size(), 1);
    }

    void postsListedAllWithFactorAndActive()
    {
        TestDatabase t;
        const int slalom = t.addPost(QStringLiteral("Slalom"), 1.5, true);
        t.addPost(QStringLiteral("Tunnel"), 2, false);
        MasterDataList list(t.data, t.ui);
        list.ListMode = QLatin1Char('P');
        list.SetupList();
        QCOMPARE(list.groupCaption(), QStringLiteral("Geben Sie die verwendeten Posten ein"));
        QCOMPARE(list.rows().size(), 2);
        QVERIFY(!list.rows().at(1).Aktiv);

        list.NewBtnClick();
        QCOMPARE(list.pendingInput().Faktor, QString()); // a new post shows no factor
        list.Post({QStringLiteral("Wippe"), QString(), true});
        QCOMPARE(t.data.Posts().at(2).Faktor, 0.0); // no factor, which counts as 1
        QVERIFY(t.data.Posts().at(2).Aktiv);

        list.setCurrentRow(0);
        list.EditBtnClick();
        QCOMPARE(list.pendingInput().Faktor, QStringLiteral("1,50"));
        QVERIFY(list.CheckInput({QStringLiteral("Slalom"), QStringLiteral("2,25"), false}));
        list.Post({QStringLiteral("Slalom lang"), QStringLiteral("2,25"), false});
        const PostRow post = *t.data.ReadPost(slalom);
        QCOMPARE(post.PostenBez, QStringLiteral("Slalom lang"));
        QCOMPARE(post.Faktor, 2.25);
        QVERIFY(!post.Aktiv);
    }

    void factorInput_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("accepted");
        QTest::addColumn<double>("factor");
        QTest::newRow("locale decimal") << "1,5" << true << 1.5;
        QTest::newRow("whole") << "3" << true << 3.0;
        QTest::newRow("blanks") << "  2,00 " << true << 2.0;
        QTest::newRow("empty") << "" << true << 0.0;
        QTest::newRow("text") << "viel" << false << 0.0;
        QTest::newRow("number and text") << "2x" << false << 0.0;
        QTest::newRow("infinite") << "1e999" << false << 0.0;
    }

    void factorInput()
    {
        QFETCH(QString, text);
        QFETCH(bool, accepted);
        QFETCH(double, factor);
        TestDatabase t;
        MasterDataList list(t.data, t.ui);
        list.ListMode = QLatin1Char('P');
        list.SetupList();
        list.NewBtnClick();
        QCOMPARE(list.CheckInput({QStringLiteral("Slalom"), text, true}), accepted);
        QCOMPARE(t.ui.texts(QStringLiteral("information")).size(), accepted ? 0 : 1);
        if (accepted) {
            list.Post({QStringLiteral("Slalom"), text, true});
            QCOMPARE(t.data.Posts().at(0).Faktor, factor);
        }
    }

    void deleteAsksOncePerRow()
    {
        TestDatabase t;
        const int kat = t.addCategory(QStringLiteral("Senioren"));
        t.addCategory(QStringLiteral("Junioren"));
        const int team = t.addTeam(QStringLiteral("Muster"), QStringLiteral("Anna"), kat);
        MasterDataList list(t.data, t.ui);
        list.SetupList();
        list.setCurrentRow(0);
        t.ui.answers = {false};
        list.DeleteBtnClick();
        QCOMPARE(list.rows().size(), 2);
        QCOMPARE(list.currentRow(), 0);
        // A category still in use goes all the same; its teams then show none.
        t.ui.answers = {true};
        list.DeleteBtnClick();
        QCOMPARE(
            t.ui.texts(QStringLiteral("yesno")),
            (QStringList{QStringLiteral("Wollen Sie den Eintrag [Senioren] wirklich löschen?"),
                         QStringLiteral("Wollen Sie den Eintrag [Senioren] wirklich löschen?")}));
        QCOMPARE(list.rows().size(), 1);
        QCOMPARE(list.rows().at(0).name, QStringLiteral("Junioren"));
        QCOMPARE(t.data.CategoryName(t.data.ReadTeam(team)->KatNr), QString());
    }

    void emptyListEditsAsNewAndRefusesDelete()
    {
        TestDatabase t;
        MasterDataList list(t.data, t.ui);
        list.ListMode = QLatin1Char('P');
        list.SetupList();
        QCOMPARE(list.currentRow(), -1);
        list.EditBtnClick();
        QCOMPARE(list.state(), MasterDataList::State::Insert);
        list.Cancel();
        t.ui.answers = {true};
        list.DeleteBtnClick();
        QCOMPARE(t.ui.texts(QStringLiteral("yesno")),
                 QStringList{QStringLiteral("Wollen Sie den Eintrag [] wirklich löschen?")});
        QCOMPARE(t.ui.texts(QStringLiteral("error")),
                 QStringList{QStringLiteral("Cannot perform this operation on an empty dataset")});
    }
};

QTEST_GUILESS_MAIN(TestMasterData)
#include "tst_masterdata.moc"
