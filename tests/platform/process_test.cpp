#include "platform/process/process.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>
#include <gtest/gtest.h>

namespace {

TEST(Process, ReturnsTheExitCode)
{
    for (int code : {0, 3, 255})
        EXPECT_EQ(process::runHiddenAndWait(QStringLiteral("sh"),
                                            {QStringLiteral("-c"), QStringLiteral("exit %1").arg(code)}),
                  code);
}

TEST(Process, AMissingProgramIsAnError)
{
    try {
        process::runHiddenAndWait(QStringLiteral("/nonexistent/PM22"));
        FAIL() << "no error";
    } catch (const process::Error& e) {
        EXPECT_TRUE(e.description().contains(QStringLiteral("/nonexistent/PM22"))) << e.what();
    }
    EXPECT_FALSE(process::startDetached(QStringLiteral("/nonexistent/PM22")));
}

TEST(Process, AKilledProgramIsAnErrorNotAnExitCode)
{
    EXPECT_THROW(process::runHiddenAndWait(QStringLiteral("sh"), {QStringLiteral("-c"), QStringLiteral("kill -9 $$")}),
                 process::Error);
}

TEST(Process, RunsInTheWorkingFolderWithEmptyInput)
{
    QTemporaryDir dir;
    const int code = process::runHiddenAndWait(
        QStringLiteral("sh"), {QStringLiteral("-c"), QStringLiteral("pwd > here.txt; cat > input.txt")}, dir.path());
    EXPECT_EQ(code, 0);
    QFile here(dir.filePath(QStringLiteral("here.txt")));
    ASSERT_TRUE(here.open(QIODevice::ReadOnly));
    EXPECT_EQ(QString::fromUtf8(here.readAll()).trimmed(), dir.path());
    EXPECT_EQ(QFile(dir.filePath(QStringLiteral("input.txt"))).size(), 0);
}

// A shell command that waits until `file` exists, for a minute at most (a guard against a hang), then
// runs `then`.
QString waitingFor(const QString& file, const QString& then = QStringLiteral(":"))
{
    return QStringLiteral("i=0; while [ ! -e '%1' ] && [ $i -lt 6000 ]; do sleep 0.01; i=$((i+1)); done; %2")
        .arg(file, then);
}

// The program waits for what only the event loop does.
TEST(Process, TheEventLoopRunsWhileWaiting)
{
    QTemporaryDir dir;
    const QString go = dir.filePath(QStringLiteral("go"));
    bool ticked = false;
    QTimer::singleShot(0, [&] {
        ticked = true;
        QFile(go).open(QIODevice::WriteOnly);
    });
    EXPECT_EQ(process::runHiddenAndWait(QStringLiteral("sh"),
                                        {QStringLiteral("-c"), waitingFor(go, QStringLiteral("[ -e '%1' ]").arg(go))}),
              0);
    EXPECT_TRUE(ticked);
}

// The program waits until the test has looked, so it cannot have ended before.
TEST(Process, StartDetachedDoesNotWait)
{
    QTemporaryDir dir;
    const QString go = dir.filePath(QStringLiteral("go"));
    const QString marker = dir.filePath(QStringLiteral("done"));
    ASSERT_TRUE(process::startDetached(QStringLiteral("sh"),
                                       {QStringLiteral("-c"), waitingFor(go, QStringLiteral(": > '%1'").arg(marker))}));
    EXPECT_FALSE(QFile::exists(marker));
    ASSERT_TRUE(QFile(go).open(QIODevice::WriteOnly));
    // The deadline only guards against a hang.
    QDeadlineTimer deadline(120000);
    while (!QFile::exists(marker) && !deadline.hasExpired())
        QThread::msleep(20);
    EXPECT_TRUE(QFile::exists(marker));
}

TEST(Process, FindsProgramsOnThePath)
{
    EXPECT_TRUE(process::findProgram(QStringLiteral("sh")).endsWith(QStringLiteral("/sh")));
    EXPECT_EQ(process::findProgram(QStringLiteral("no-such-program-qelv")), QString());
}

} // namespace
