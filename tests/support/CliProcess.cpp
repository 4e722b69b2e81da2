#include "support/CliProcess.h"

#include <QProcess>

CliRun runCli(const QStringList &args)
{
    QProcess p;
    p.start(qEnvironmentVariable("VELUNDA_CLI"), args);
    if (!p.waitForFinished(60000))
        qFatal("velunda-cli did not finish");
    CliRun r;
    r.status = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    r.bytes = p.readAllStandardOutput();
    r.out = QString::fromUtf8(r.bytes);
    r.err = QString::fromUtf8(p.readAllStandardError());
    return r;
}
