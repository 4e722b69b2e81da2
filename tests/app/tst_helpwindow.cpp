#include "app/ui/AboutDialog.h"
#include "app/ui/HelpWindow.h"

#include <QDialog>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QRegularExpression>
#include <QStringDecoder>
#include <QTemporaryDir>
#include <QTextBrowser>
#include <QTextDocument>
#include <QToolButton>
#include <QtTest>

using namespace Qt::StringLiterals;

namespace {

void writePage(const QTemporaryDir &dir, int topic, const QString &html)
{
    QFile file(dir.filePath(QString::number(topic) + u".html"_s));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(html.toUtf8());
}

QString shownText(const HelpWindow &window)
{
    return window.findChild<QTextBrowser *>(u"helpBrowser"_s)->toPlainText();
}

} // namespace

class TestHelpWindow : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void cleanup();

    void showsTopicAndFollowsLinks();
    void missingTopicShowsNote_data();
    void missingTopicShowsNote();
    void showTopicKeepsOneWindow();
    void shippedPagesAreComplete();
    void aboutDialog();

private:
    QTemporaryDir m_pages;
};

void TestHelpWindow::initTestCase()
{
    QVERIFY(m_pages.isValid());
    writePage(m_pages, 1000,
              u"<html><body><h1>Übersicht</h1><p><a href=\"1003.html\">Team-Übersicht</a> "
              u"<a href=\"1004.html\">Team</a></p></body></html>"_s);
    writePage(m_pages, 1003, u"<html><body><h1>Team-Übersicht</h1></body></html>"_s);
}

void TestHelpWindow::cleanup()
{
    delete HelpWindow::current();
    HelpWindow::setHelpFolder(QString());
}

void TestHelpWindow::showsTopicAndFollowsLinks()
{
    HelpWindow window(m_pages.path());
    QCOMPARE(window.windowTitle(), u"Velunda 3.00 - Hilfe"_s);
    auto *browser = window.findChild<QTextBrowser *>(u"helpBrowser"_s);
    auto *back = window.findChild<QToolButton *>(u"backButton"_s);
    auto *forward = window.findChild<QToolButton *>(u"forwardButton"_s);
    auto *contents = window.findChild<QToolButton *>(u"contentsButton"_s);
    QVERIFY(browser && back && forward && contents);

    window.openTopic(1000);
    QVERIFY2(shownText(window).startsWith(u"Übersicht"_s), qPrintable(shownText(window)));
    QVERIFY(!back->isEnabled());

    // A link is resolved against the page it is on, as a click on it does.
    browser->setSource(QUrl(u"1003.html"_s));
    QVERIFY(shownText(window).startsWith(u"Team-Übersicht"_s));
    QVERIFY(back->isEnabled());
    back->click();
    QVERIFY(shownText(window).startsWith(u"Übersicht"_s));
    QVERIFY(forward->isEnabled());
    forward->click();
    QVERIFY(shownText(window).startsWith(u"Team-Übersicht"_s));
    contents->click();
    QVERIFY(shownText(window).startsWith(u"Übersicht"_s));
}

void TestHelpWindow::missingTopicShowsNote_data()
{
    QTest::addColumn<bool>("byLink");
    QTest::addColumn<bool>("folderExists");
    QTest::newRow("topic without page") << false << true;
    QTest::newRow("link to a missing page") << true << true;
    QTest::newRow("no help folder") << false << false;
}

void TestHelpWindow::missingTopicShowsNote()
{
    QFETCH(bool, byLink);
    QFETCH(bool, folderExists);
    HelpWindow window(folderExists ? m_pages.path() : m_pages.filePath(u"nowhere"_s));
    if (byLink) {
        window.openTopic(1000);
        window.findChild<QTextBrowser *>(u"helpBrowser"_s)->setSource(QUrl(u"1004.html"_s));
    } else {
        window.openTopic(1004);
    }
    const QString text = shownText(window);
    QVERIFY2(text.contains(u"nicht verfügbar"_s), qPrintable(text));
    QVERIFY2(text.contains(u"1004"_s), qPrintable(text));
}

void TestHelpWindow::showTopicKeepsOneWindow()
{
    HelpWindow::setHelpFolder(m_pages.path());
    QWidget mainWindow;
    QDialog dialog(&mainWindow);
    auto *dialogButton = new QPushButton(&dialog);

    HelpWindow::showTopic(1000, &mainWindow);
    HelpWindow *window = HelpWindow::current();
    QVERIFY(window);
    QVERIFY(window->isVisible());
    QVERIFY(shownText(*window).startsWith(u"Übersicht"_s));

    // Opened from within a dialog, the same window moves to it, so that a modal dialog does
    // not block it.
    HelpWindow::showTopic(1003, dialogButton);
    QCOMPARE(HelpWindow::current(), window);
    QCOMPARE(window->parentWidget(), &dialog);
    QVERIFY(window->isWindow());
    QVERIFY(window->isVisible());
    QVERIFY(shownText(*window).startsWith(u"Team-Übersicht"_s));

    HelpWindow::showTopic(1000);
    QCOMPARE(HelpWindow::current(), window);
    QCOMPARE(window->parentWidget(), &dialog);
}

void TestHelpWindow::shippedPagesAreComplete()
{
    const QString folder = qEnvironmentVariable("VELUNDA_SOURCE_DIR") + u"/help"_s;
    const QRegularExpression link(u"href=\"([^\"#]+)"_s);
    // Menu captions in the text are written without their access-key marks.
    const QRegularExpression accessKey(u"&\\w"_s);
    for (const int topic : {1000, 1003, 1004, 1005, 1006, 1010, 1020, 1033, 1040}) {
        const QString path = folder + u'/' + QString::number(topic) + u".html"_s;
        QFile file(path);
        QVERIFY2(file.open(QIODevice::ReadOnly), qPrintable(path));
        QStringDecoder utf8(QStringConverter::Utf8);
        const QString html = utf8(file.readAll());
        QVERIFY2(!utf8.hasError(), qPrintable(path));

        QTextDocument document;
        document.setHtml(html);
        const QString text = document.toPlainText();
        QVERIFY2(text.trimmed().size() > 50, qPrintable(path));
        QVERIFY2(!accessKey.match(text).hasMatch(), qPrintable(accessKey.match(text).captured()));
        for (const auto &match : link.globalMatch(html)) {
            const QString target = folder + u'/' + match.captured(1);
            QVERIFY2(QFile::exists(target), qPrintable(path + u" -> "_s + match.captured(1)));
        }
        if (topic == 1000) {
            for (const int other : {1003, 1004, 1005, 1006, 1010, 1020, 1033, 1040})
                QVERIFY(html.contains(u"href=\"%1.html\""_s.arg(other)));
        }
    }
}

void TestHelpWindow::aboutDialog()
{
    if (QT_POINTER_SIZE != 8)
        QSKIP("this check is for the 64-bit build");
    AboutDialog dialog;
    QCOMPARE(dialog.windowTitle(), u"Information"_s);
    QCOMPARE(dialog.findChild<QLabel *>(u"productLabel"_s)->text(), u"Velunda 3.00"_s);
    QCOMPARE(dialog.findChild<QLabel *>(u"versionLabel"_s)->text(), u"64-Bit Version"_s);

    auto *ok = dialog.findChild<QPushButton *>(u"okButton"_s);
    QCOMPARE(ok->text(), u"&OK"_s);
    dialog.open();
    QVERIFY(dialog.isVisible());
    ok->click();
    QVERIFY(!dialog.isVisible());
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
}

QTEST_MAIN(TestHelpWindow)
#include "tst_helpwindow.moc"
