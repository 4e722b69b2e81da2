#include "app/ui/VelundaApplication.h"

#include "app/Competition.h"
#include "app/DataLocation.h"
#include "app/UserInterface.h"
#include "engine/DatabaseError.h"

#include <QIcon>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

#include <cstdio>

VelundaApplication::VelundaApplication(int &argc, char **argv) : QApplication(argc, argv)
{
    // No display name is set: the platform would append it to every caption
    // ("Team — Velunda 3.00"), and the captions are the program's own texts.
    DataLocation::setApplicationIdentity();
    // Wayland and the task bars find the menu entry, and with it the icon, by this name.
    setDesktopFileName(QStringLiteral("org.velunda.Velunda"));
    setWindowIcon(applicationIcon());
    installGermanTranslations(*this);
}

QIcon VelundaApplication::applicationIcon()
{
    QIcon icon;
    for (const int size : {16, 24, 32, 48, 64, 128, 256})
        icon.addFile(QStringLiteral(":/icons/velunda-%1.png").arg(size), QSize(size, size));
    return icon;
}

void VelundaApplication::installGermanTranslations(QCoreApplication &app)
{
    const QString dir = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
    for (const char *name : {"qtbase_de", "qt_de"}) {
        auto *translator = new QTranslator(&app);
        if (translator->load(QLatin1String(name), dir))
            app.installTranslator(translator);
        else
            delete translator;
    }
}

bool VelundaApplication::notify(QObject *receiver, QEvent *event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (const DatabaseError &e) {
        if (m_ui)
            m_ui->showError(e.message());
        else
            std::fprintf(stderr, "%s\n", e.what());
    } catch (const std::exception &e) {
        if (m_ui)
            m_ui->showError(QString::fromLocal8Bit(e.what()));
        else
            std::fprintf(stderr, "%s\n", e.what());
    }
    return false;
}
