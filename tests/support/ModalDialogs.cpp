#include "support/ModalDialogs.h"

#include <QApplication>
#include <QDialog>
#include <QTimer>

void onNextModal(const std::function<void(QWidget *)> &action)
{
    auto *timer = new QTimer;
    QWidget *before = QApplication::activeModalWidget();
    QObject::connect(timer, &QTimer::timeout, [timer, before, action] {
        QWidget *modal = QApplication::activeModalWidget();
        if (!modal || modal == before)
            return;
        timer->stop();
        timer->deleteLater();
        action(modal);
        if (QApplication::activeModalWidget() == modal)
            if (auto *dialog = qobject_cast<QDialog *>(modal))
                dialog->reject();
    });
    timer->start(10);
}
