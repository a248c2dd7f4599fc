#include "platform/process/process.h"

#include <QEventLoop>
#include <QProcess>
#include <QStandardPaths>

namespace process {

bool startDetached(const QString& program, const QStringList& args)
{
    return QProcess::startDetached(program, args);
}

int runHiddenAndWait(const QString& program, const QStringList& args, const QString& workingDir)
{
    QProcess proc;
    proc.setProgram(program);
    proc.setArguments(args);
    if (!workingDir.isEmpty())
        proc.setWorkingDirectory(workingDir);
    // Nothing to type into: a program that reads its standard input gets end of file, not a hang.
    proc.setStandardInputFile(QProcess::nullDevice());
    proc.setProcessChannelMode(QProcess::ForwardedChannels);

    bool failedToStart = false;
    bool ended = false;
    QEventLoop loop;
    QObject::connect(&proc, &QProcess::errorOccurred, &loop, [&](QProcess::ProcessError error) {
        if (error == QProcess::FailedToStart) {
            failedToStart = true;
            loop.quit();
        }
    });
    QObject::connect(&proc, &QProcess::finished, &loop, [&] {
        ended = true;
        loop.quit();
    });
    proc.start();
    // The failure to start may already have been reported inside start(); then there is nothing to wait for.
    if (!failedToStart && !ended)
        loop.exec();

    if (failedToStart)
        throw Error(QStringLiteral("无法启动程序 %1：%2").arg(program, proc.errorString()));
    if (proc.exitStatus() != QProcess::NormalExit)
        throw Error(QStringLiteral("程序 %1 异常终止").arg(program));
    return proc.exitCode();
}

QString findProgram(const QString& name)
{
    return QStandardPaths::findExecutable(name);
}

} // namespace process
