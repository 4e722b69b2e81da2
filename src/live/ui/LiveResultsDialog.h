#pragma once

#include <QDialog>
#include <QImage>

#include <memory>

class Competition;
class LiveServer;
class QGridLayout;
class QLabel;
class QPushButton;
class QSpinBox;
class QVBoxLayout;

// "Live-Ergebnisse im Netzwerk": starts and stops the live server for the open event and
// shows where phones and the beamer find the board, as links and as QR codes, and each
// active post's page and code for its judge, also as cards to print. The dialog is
// not modal: the server runs while the operator works, and follows the event opened.
class LiveResultsDialog : public QDialog
{
    Q_OBJECT

public:
    LiveResultsDialog(Competition &competition, QWidget *parent = nullptr);
    ~LiveResultsDialog() override;

    // The main window's one dialog, made on first use; it ends with the main window.
    static LiveResultsDialog *showFor(QWidget *mainWindow, Competition &competition);

    LiveServer &server() { return *m_server; }

    // A QR code of text, moduleSize pixels a module, with the quiet zone around it.
    static QImage qrCode(const QString &text, int moduleSize);

private:
    void startStop();
    void followEvent();
    void showState();
    void showPosts();
    void showCards(); // "Zugangskarten für Posten"

    Competition &m_competition;
    std::unique_ptr<LiveServer> m_server;
    QSpinBox *m_port;
    QPushButton *m_startStop;
    QLabel *m_state;
    QLabel *m_serving;
    QWidget *m_addresses;
    QVBoxLayout *m_addressLayout;
    QLabel *m_postHeading;
    QWidget *m_posts;
    QGridLayout *m_postLayout;
    QPushButton *m_cards;
};
