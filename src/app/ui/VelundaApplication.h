#pragma once

#include <QApplication>
#include <QIcon>

class UserInterface;

// The application object. Its notify() is the last line of the general error handler: an
// exception that escaped an event handler is shown to the operator and never crosses the
// event loop.
class VelundaApplication : public QApplication
{
    Q_OBJECT

public:
    VelundaApplication(int &argc, char **argv);

    void setUserInterface(UserInterface *ui) { m_ui = ui; }
    bool notify(QObject *receiver, QEvent *event) override;

    // The program's icon, which every window shows.
    static QIcon applicationIcon();

    // Loads Qt's German translations, so that standard buttons read "Ja", "Nein", "Abbrechen".
    static void installGermanTranslations(QCoreApplication &app);

private:
    UserInterface *m_ui = nullptr;
};
