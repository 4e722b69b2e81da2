#pragma once

#include <QDialog>

// The information dialog of the "Hilfe" menu.
class AboutDialog : public QDialog
{
    Q_OBJECT

public:
    explicit AboutDialog(QWidget *parent = nullptr);

    // "64-Bit Version" or "32-Bit Version", after the build's pointer size.
    static QString wordSizeText();
};
