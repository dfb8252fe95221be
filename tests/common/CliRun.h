#pragma once

#include <QByteArray>
#include <QProcess>
#include <QString>
#include <QStringList>

// One run of quillmark-cli ($QUILLMARK_CLI) for the command-line tests.
struct CliRun
{
    int exitCode = -1; // -1 when it did not start, did not finish, or crashed
    QByteArray out;
    QByteArray err;

    QString outText() const { return QString::fromLocal8Bit(out); }
    QString errText() const { return QString::fromLocal8Bit(err); }

    // `stdoutFile`: standard output goes to that file (/dev/full, say), not to `out`.
    static CliRun run(const QStringList &arguments, int timeoutMs = 120000, const QString &stdoutFile = QString())
    {
        CliRun r;
        const QString cli = qEnvironmentVariable("QUILLMARK_CLI");
        if (cli.isEmpty())
            return r;
        QProcess process;
        if (!stdoutFile.isEmpty())
            process.setStandardOutputFile(stdoutFile);
        process.start(cli, arguments);
        if (!process.waitForFinished(timeoutMs))
            return r;
        r.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
        r.out = process.readAllStandardOutput();
        r.err = process.readAllStandardError();
        return r;
    }
};
