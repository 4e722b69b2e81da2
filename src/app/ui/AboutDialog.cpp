#include "app/ui/AboutDialog.h"

#include <QFont>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

AboutDialog::AboutDialog(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("aboutDialog"));
    setWindowTitle(QStringLiteral("Information"));

    auto *product = new QLabel(QStringLiteral("Velunda 3.00"), this);
    product->setObjectName(QStringLiteral("productLabel"));
    QFont productFont = product->font();
    productFont.setBold(true);
    productFont.setPointSizeF(productFont.pointSizeF() * 1.5);
    product->setFont(productFont);
    product->setAlignment(Qt::AlignCenter);

    auto *version = new QLabel(wordSizeText(), this);
    version->setObjectName(QStringLiteral("versionLabel"));
    version->setAlignment(Qt::AlignCenter);

    auto *ok = new QPushButton(QStringLiteral("&OK"), this);
    ok->setObjectName(QStringLiteral("okButton"));
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addStretch();
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(30, 20, 30, 15);
    layout->setSpacing(10);
    layout->addWidget(product);
    layout->addWidget(version);
    layout->addSpacing(10);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

QString AboutDialog::wordSizeText()
{
    return sizeof(void *) == 8 ? QStringLiteral("64-Bit Version")
                               : QStringLiteral("32-Bit Version");
}
