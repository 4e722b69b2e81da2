#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

// One run of the velunda-cli the build made (its path comes from the test's environment).
struct CliRun
{
    int status = -1; // -1 when it crashed
    QByteArray bytes; // standard output as written
    QString out; // the same, as text
    QString err;
};

// program: another copy of it, for tests that need it elsewhere.
CliRun runCli(const QStringList &args, const QString &program = {});
