#include "app/Competition.h"
#include "app/ui/Forms.h"
#include "data/DataLibrary.h"
#include "event/ui/DataForm.h"
#include "support/TestDatabase.h"

#include <QApplication>
#include <QCheckBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QTest>
#include <QTimer>

#include <functional>

namespace {

// Runs the actions on the modal dialogs as they come up, one after the other.
void onModals(QList<std::function<void(QWidget *)>> actions)
{
    auto *timer = new QTimer;
    auto seen = std::make_shared<QList<QWidget *>>();
    seen->append(QApplication::activeModalWidget());
    auto pending = std::make_shared<QList<std::function<void(QWidget *)>>>(std::move(actions));
    QObject::connect(timer, &QTimer::timeout, [timer, seen, pending] {
        QWidget *modal = QApplication::activeModalWidget();
        if (!modal || modal == seen->last())
            return;
        seen->append(modal);
        const auto action = pending->takeFirst();
        if (pending->isEmpty()) {
            timer->stop();
            timer->deleteLater();
        }
        // A timer does not fire again while its own handler runs, and the action may
        // open the next dialog from here.
        QTimer::singleShot(0, modal, [action, modal] { action(modal); });
    });
    timer->start(10);
}

QLineEdit *field(QWidget *dialog, const char *name)
{
    return dialog->findChild<QLineEdit *>(QLatin1String(name));
}

void press(QWidget *dialog, const char *name)
{
    dialog->findChild<QPushButton *>(QLatin1String(name))->click();
}

} // namespace

class TestMasterDataForms : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void detailDialogOffersTheFieldsOfItsMode()
    {
        TestDatabase t;
        t.addPost(QStringLiteral("Slalom"), 2, false);
        Forms forms;
        forms.create(*t.competition, t.ui);
        TDataForm *list = forms.DataForm;

        // Posts: a new row with a factor that is no number is refused, the dialog stays.
        // The dialogs are driven from timers, so what they show is noted and compared after.
        QStringList seen;
        const auto closeList = [] {
            QTimer::singleShot(20, qApp,
                               [] { press(QApplication::activeModalWidget(), "CloseBtn"); });
        };
        onModals(
            {[&seen](QWidget *dataForm) {
                 const QAbstractItemModel *model = dataForm->findChild<QTableView *>()->model();
                 seen << dataForm->windowTitle() << dataForm->findChild<QGroupBox *>()->title()
                      << model->index(0, 1).data().toString()
                      << model->index(0, 2).data().toString()
                      << model->index(0, 0).data(Qt::BackgroundRole).value<QColor>().name();
                 press(dataForm, "NewBtn");
             },
             [&seen, &t, closeList](QWidget *detail) {
                 seen << detail->findChild<QGroupBox *>()->title()
                      << QString::number(detail->height())
                      << (field(detail, "Leistungsfaktor")->isHidden() ? QStringLiteral("hidden")
                                                                       : QStringLiteral("shown"));
                 field(detail, "Bezeichnung")->setText(QStringLiteral("Tunnel"));
                 field(detail, "Leistungsfaktor")->setText(QStringLiteral("abc"));
                 detail->findChild<QCheckBox *>(QStringLiteral("Aktiv"))->setChecked(true);
                 press(detail, "OkBtn");
                 seen << (detail->isVisible() ? QStringLiteral("open") : QStringLiteral("closed"))
                      << QString::number(t.ui.texts(QStringLiteral("information")).size());
                 field(detail, "Leistungsfaktor")->setText(QStringLiteral("1,25"));
                 press(detail, "OkBtn");
                 closeList();
             }});
        list->PostenItemClick();
        QCOMPARE(
            seen,
            (QStringList{QStringLiteral("Stammdaten"),
                         QStringLiteral("Geben Sie die verwendeten Posten ein"),
                         QStringLiteral("2,00"), QStringLiteral("Nein"), QStringLiteral("#c0c0c0"),
                         QStringLiteral("Posten"), QStringLiteral("143"), QStringLiteral("shown"),
                         QStringLiteral("open"), QStringLiteral("1")}));
        QCOMPARE(t.data.Posts().size(), 2);
        QCOMPARE(t.data.Posts().at(1).PostenBez, QStringLiteral("Tunnel"));
        QCOMPARE(t.data.Posts().at(1).Faktor, 1.25);
        QVERIFY(t.data.Posts().at(1).Aktiv);

        // Categories afterwards: no factor and no "Aktiv"; Abbrechen stores nothing.
        seen.clear();
        onModals({[](QWidget *dataForm) { press(dataForm, "EditBtn"); },
                  [&seen, closeList](QWidget *detail) {
                      seen << detail->findChild<QGroupBox *>()->title()
                           << QString::number(detail->height())
                           << QString::number(field(detail, "Bezeichnung")->maxLength())
                           << (field(detail, "Leistungsfaktor")->isHidden()
                                   ? QStringLiteral("hidden")
                                   : QStringLiteral("shown"))
                           << (detail->findChild<QCheckBox *>(QStringLiteral("Aktiv"))->isHidden()
                                   ? QStringLiteral("hidden")
                                   : QStringLiteral("shown"));
                      field(detail, "Bezeichnung")->setText(QStringLiteral("Verworfen"));
                      press(detail, "CancelBtn");
                      closeList();
                  }});
        list->KategorienItemClick();
        QCOMPARE(
            seen,
            (QStringList{QStringLiteral("Kategorien"), QStringLiteral("123"), QStringLiteral("20"),
                         QStringLiteral("hidden"), QStringLiteral("hidden")}));
        QVERIFY(t.data.Categories().isEmpty());
        QCOMPARE(t.data.Posts().size(), 2);
        forms.destroy();
    }
};

QTEST_MAIN(TestMasterDataForms)
#include "tst_masterdataforms.moc"
