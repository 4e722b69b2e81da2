#include "live/LiveServer.h"
#include "live/ui/LiveResultsDialog.h"
#include "support/HttpClient.h"
#include "support/TestDatabase.h"

#include <QApplication>
#include <QJsonObject>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QTcpServer>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

quint16 freePort()
{
    QTcpServer probe;
    probe.listen(QHostAddress::Any);
    return probe.serverPort();
}

QString eventName(quint16 port)
{
    return httpRequest(port, "GET", "/api/event").json().object().value(u"name").toString();
}

} // namespace

class TestLiveResultsDialog : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void startsFollowsAndStops()
    {
        TestDatabase t;
        const int first = t.addEvent(u"Sommerlauf"_s);
        const int second = t.addEvent(u"Herbstlauf"_s);
        t.open(first);
        LiveResultsDialog dialog(*t.competition);
        auto *port = dialog.findChild<QSpinBox *>(u"LivePort"_s);
        auto *button = dialog.findChild<QPushButton *>(u"LiveStartStop"_s);
        QCOMPARE(port->value(), 8080);
        const quint16 chosen = freePort();
        port->setValue(chosen);
        QTest::mouseClick(button, Qt::LeftButton);

        QVERIFY(dialog.server().isRunning());
        QCOMPARE(dialog.server().port(), chosen);
        QVERIFY(!port->isEnabled());
        QCOMPARE(button->text(), u"Server beenden"_s);
        QVERIFY(dialog.findChild<QLabel *>(u"LiveServing"_s)->text().contains(u"Sommerlauf"_s));
        const QList<QLabel *> links = dialog.findChildren<QLabel *>(u"LiveAddress"_s);
        QVERIFY(!links.isEmpty());
        QVERIFY(links.last()->text().contains(u"http://127.0.0.1:%1/"_s.arg(chosen)));
        // A code for every address a phone can reach, none for the loopback.
        QCOMPARE(dialog.findChildren<QLabel *>(u"LiveQrCode"_s).size(), links.size() - 1);
        QCOMPARE(eventName(chosen), u"Sommerlauf"_s);

        t.competition->OpenEvent(second);
        QCOMPARE(eventName(chosen), u"Herbstlauf"_s);
        QVERIFY(dialog.findChild<QLabel *>(u"LiveServing"_s)->text().contains(u"Herbstlauf"_s));

        QTest::mouseClick(button, Qt::LeftButton);
        QVERIFY(!dialog.server().isRunning());
        QVERIFY(dialog.findChildren<QLabel *>(u"LiveAddress"_s).isEmpty());
        QCOMPARE(httpRequest(chosen, "GET", "/api/event").status, 0);
    }

    void reportsAPortInUse()
    {
        TestDatabase t;
        t.open(t.addEvent(u"Sommerlauf"_s));
        QTcpServer taken;
        QVERIFY(taken.listen(QHostAddress::Any));
        LiveResultsDialog dialog(*t.competition);
        dialog.findChild<QSpinBox *>(u"LivePort"_s)->setValue(taken.serverPort());
        QTest::mouseClick(dialog.findChild<QPushButton *>(u"LiveStartStop"_s), Qt::LeftButton);
        QVERIFY(!dialog.server().isRunning());
        QCOMPARE(t.ui.texts(u"error"_s).size(), 1);
        QVERIFY(t.ui.texts(u"error"_s).first().contains(u"ist schon belegt"_s));
    }

    void drawsAReadableQrCode()
    {
        const QImage code = LiveResultsDialog::qrCode(u"http://192.168.1.20:8080/"_s, 4);
        QVERIFY(!code.isNull());
        QCOMPARE(code.width(), code.height());
        // Version 2 (25 modules) and the quiet zone of four on each side.
        QCOMPARE(code.width(), (25 + 8) * 4);
        QCOMPARE(code.pixelColor(0, 0), QColor(Qt::white));
        // The finder pattern's dark corner just inside the quiet zone.
        QCOMPARE(code.pixelColor(16, 16), QColor(Qt::black));
    }
};

QTEST_MAIN(TestLiveResultsDialog)
#include "tst_liveresultsdialog.moc"
