#pragma once

#include <QWidget>

class QTextBrowser;
class QToolButton;
class QUrl;

// The help: one HTML page per topic number in a folder beside the program, shown in a
// window that stays open beside the dialogs.
class HelpWindow : public QWidget
{
    Q_OBJECT

public:
    explicit HelpWindow(const QString &folder, QWidget *parent = nullptr);

    // Opens the topic in the program's one help window, created on first use. A window
    // blocked by a modal dialog could not be used, so the help window moves to the window
    // of the caller it is opened from.
    static void showTopic(int topic, QWidget *parent = nullptr);
    static HelpWindow *current(); // the window of showTopic, nullptr until it is first opened
    // F1 anywhere in window opens its topic.
    static void bindTopic(QWidget *window, int topic);

    // Where showTopic finds its pages: the folder "help" next to the program, unless another
    // one was set; an empty folder restores that default.
    static void setHelpFolder(const QString &folder);
    static QString helpFolder();

    QString folder() const { return m_folder; }
    QUrl topicUrl(int topic) const;
    void openTopic(int topic);

private:
    QString m_folder;
    QTextBrowser *m_browser = nullptr;
    QToolButton *m_backButton = nullptr;
    QToolButton *m_forwardButton = nullptr;
    QToolButton *m_contentsButton = nullptr;
};
