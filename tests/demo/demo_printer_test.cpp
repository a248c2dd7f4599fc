// The sample county's PDF printer (scripts/demo-printer): a private scheduler whose default printer
// writes each job, as the program sends it, into a PDF file of its own in the folder; stopped, it is gone.
#include "tests/fixtures/program_folder.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QPainter>
#include <QPdfWriter>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <gtest/gtest.h>
#include <unistd.h>

namespace {

QString script()
{
    return QStringLiteral(QELV_SOURCE_DIR "/scripts/demo-printer");
}

TEST(DemoPrinter, WritesEachPrintoutAsAPdfFileIntoTheFolder)
{
    if (geteuid() != 0)
        GTEST_SKIP() << "the private scheduler needs root";
    QTemporaryDir dir;
    const QString folder = dir.filePath(QStringLiteral("demo"));
    QProcess start;
    start.start(script(), {QStringLiteral("start"), folder});
    ASSERT_TRUE(start.waitForFinished(60000));
    const QString said = QString::fromUtf8(start.readAllStandardOutput()).trimmed();
    ASSERT_EQ(start.exitCode(), 0) << start.readAllStandardError().toStdString();
    ASSERT_TRUE(said.startsWith(QStringLiteral("CUPS_SERVER=127.0.0.1:"))) << said.toStdString();
    const QString pidFile = folder + QStringLiteral("/cups/cupsd.pid");
    const QString pid = QString::fromLatin1(fixtures::bytes(pidFile)).trimmed();
    ASSERT_FALSE(pid.isEmpty());

    const QString pdf = dir.filePath(QStringLiteral("sheet.pdf"));
    {
        QPdfWriter writer(pdf);
        QPainter painter(&writer);
        painter.drawText(QPointF(500, 500), QStringLiteral("sample county"));
    }
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("CUPS_SERVER"), said.section(QLatin1Char('='), 1));
    for (int job = 0; job < 2; ++job) {
        QProcess lp;
        lp.setProcessEnvironment(env);
        lp.start(QStringLiteral("lp"), {pdf});
        ASSERT_TRUE(lp.waitForFinished(30000));
        EXPECT_EQ(lp.exitCode(), 0) << lp.readAllStandardError().toStdString();
    }
    QStringList printouts;
    QElapsedTimer waited;
    waited.start();
    while (waited.elapsed() < 30000) {
        printouts = QDir(folder + QStringLiteral("/printouts")).entryList({QStringLiteral("*.pdf")}, QDir::Files);
        if (printouts.size() >= 2)
            break;
        QThread::msleep(100);
    }
    // A client that sends a job again after a slow answer may leave one more; each job has its file.
    ASSERT_GE(printouts.size(), 2) << "each job is a file of its own: " << printouts.join(u' ').toStdString();
    for (const QString& name : printouts)
        EXPECT_EQ(fixtures::bytes(folder + QStringLiteral("/printouts/") + name), fixtures::bytes(pdf))
            << "the PDF as it was sent";

    QProcess stop;
    stop.start(script(), {QStringLiteral("stop"), folder});
    ASSERT_TRUE(stop.waitForFinished(30000));
    EXPECT_EQ(stop.exitCode(), 0);
    EXPECT_FALSE(QFile::exists(pidFile));
    // Gone, or ended and waiting to be reaped by whoever adopted it: no command line either way.
    EXPECT_TRUE(fixtures::bytes(QStringLiteral("/proc/%1/cmdline").arg(pid)).isEmpty()) << "the scheduler ends";
}

} // namespace
