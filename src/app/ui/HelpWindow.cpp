#include "app/ui/HelpWindow.h"

#include "app/DataLocation.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QKeySequence>
#include <QPointer>
#include <QShortcut>
#include <QTextBrowser>
#include <QToolButton>
#include <QUrl>
#include <QVBoxLayout>

namespace {

constexpr int contentsTopic = 1000;

QPointer<HelpWindow> s_window;
QString s_folder;

QString missingTopicPage(const QString &topic)
{
    return QStringLiteral("<html><body style=\"font-family: sans-serif;\">"
                          "<h2>Hilfethema nicht verfügbar</h2>"
                          "<p>Zum Thema %1 ist keine Hilfeseite vorhanden.</p>"
                          "<p><a href=\"%2.html\">Zum Inhalt der Hilfe</a></p>"
                          "</body></html>")
        .arg(topic.toHtmlEscaped(), QString::number(contentsTopic));
}

// Pages are read as UTF-8 whatever they declare, and a page that is not there, whether
// asked for by topic number or reached by a link, is replaced by a short note instead of an
// empty window.
class HelpBrowser : public QTextBrowser
{
public:
    using QTextBrowser::QTextBrowser;

    QVariant loadResource(int type, const QUrl &name) override
    {
        if (type != QTextDocument::HtmlResource || !name.isLocalFile())
            return QTextBrowser::loadResource(type, name);
        QFile file(name.toLocalFile());
        if (!file.open(QIODevice::ReadOnly))
            return missingTopicPage(QFileInfo(file.fileName()).completeBaseName());
        return QString::fromUtf8(file.readAll());
    }
};

QToolButton *makeButton(const QString &text, const QString &name, QWidget *parent)
{
    auto *button = new QToolButton(parent);
    button->setText(text);
    button->setObjectName(name);
    button->setToolButtonStyle(Qt::ToolButtonTextOnly);
    return button;
}

} // namespace

HelpWindow::HelpWindow(const QString &folder, QWidget *parent)
    : QWidget(parent, Qt::Window), m_folder(folder)
{
    setObjectName(QStringLiteral("helpWindow"));
    setWindowTitle(QStringLiteral("Velunda 3.00 - Hilfe"));

    m_backButton = makeButton(QStringLiteral("&Zurück"), QStringLiteral("backButton"), this);
    m_backButton->setEnabled(false);
    m_forwardButton =
        makeButton(QStringLiteral("&Vorwärts"), QStringLiteral("forwardButton"), this);
    m_forwardButton->setEnabled(false);
    // The platform's back and forward keys besides the captions' access keys, which a
    // button's own shortcut would replace.
    for (auto [button, keys] : {std::pair{m_backButton, QKeySequence::Back},
                                std::pair{m_forwardButton, QKeySequence::Forward}}) {
        auto *shortcut = new QShortcut(QKeySequence(keys), this);
        connect(shortcut, &QShortcut::activated, button, [button] {
            if (button->isEnabled())
                button->click();
        });
    }
    m_contentsButton =
        makeButton(QStringLiteral("&Inhalt"), QStringLiteral("contentsButton"), this);

    m_browser = new HelpBrowser(this);
    m_browser->setObjectName(QStringLiteral("helpBrowser"));
    m_browser->setOpenExternalLinks(true);

    auto *buttons = new QHBoxLayout;
    buttons->addWidget(m_backButton);
    buttons->addWidget(m_forwardButton);
    buttons->addWidget(m_contentsButton);
    buttons->addStretch();
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(buttons);
    layout->addWidget(m_browser);

    connect(m_backButton, &QToolButton::clicked, m_browser, &QTextBrowser::backward);
    connect(m_forwardButton, &QToolButton::clicked, m_browser, &QTextBrowser::forward);
    connect(m_contentsButton, &QToolButton::clicked, this, [this] { openTopic(contentsTopic); });
    connect(m_browser, &QTextBrowser::backwardAvailable, m_backButton, &QWidget::setEnabled);
    connect(m_browser, &QTextBrowser::forwardAvailable, m_forwardButton, &QWidget::setEnabled);

    resize(720, 560);
}

namespace {

// F1 reaches the window when none of its controls takes the key, as a key the window handled
// itself would.
class HelpKey : public QObject
{
public:
    HelpKey(QWidget *window, int topic) : QObject(window), m_window(window), m_topic(topic) { }

    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (watched == m_window && event->type() == QEvent::KeyPress
            && static_cast<QKeyEvent *>(event)->key() == Qt::Key_F1) {
            HelpWindow::showTopic(m_topic, m_window);
            return true;
        }
        return false;
    }

private:
    QWidget *m_window;
    int m_topic;
};

} // namespace

void HelpWindow::bindTopic(QWidget *window, int topic)
{
    window->installEventFilter(new HelpKey(window, topic));
}

void HelpWindow::showTopic(int topic, QWidget *parent)
{
    QWidget *owner = parent ? parent->window() : nullptr;
    if (s_window && s_window->folder() != helpFolder())
        delete s_window;
    if (!s_window)
        s_window = new HelpWindow(helpFolder(), owner);
    else if (owner && s_window->parentWidget() != owner)
        s_window->setParent(owner, s_window->windowFlags());
    s_window->openTopic(topic);
    s_window->show();
    s_window->raise();
    s_window->activateWindow();
}

HelpWindow *HelpWindow::current()
{
    return s_window;
}

void HelpWindow::setHelpFolder(const QString &folder)
{
    s_folder = folder;
}

QString HelpWindow::helpFolder()
{
    if (!s_folder.isEmpty())
        return s_folder;
    return DataLocation::helpDirectory(QCoreApplication::applicationDirPath());
}

QUrl HelpWindow::topicUrl(int topic) const
{
    return QUrl::fromLocalFile(
        QDir(m_folder).filePath(QString::number(topic) + QStringLiteral(".html")));
}

void HelpWindow::openTopic(int topic)
{
    m_browser->setSource(topicUrl(topic));
}
