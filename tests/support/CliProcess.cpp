#include "support/CliProcess.h"

#include <QProcess>

CliRun runCli(const QStringList &args, const QString &program)
{
    QProcess p;
    p.start(program.isEmpty() ? qEnvironmentVariable("VELUNDA_CLI") : program, args);
    if (!p.waitForFinished(60000))
        qFatal("velunda-cli did not finish");
    CliRun r;
    r.status = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    r.bytes = p.readAllStandardOutput();
    r.out = QString::fromUtf8(r.bytes);
    r.err = QString::fromUtf8(p.readAllStandardError());
    return r;
}
