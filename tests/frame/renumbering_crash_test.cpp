// A renumbering killed at random moments, as kill -9 or a power cut would stop it: the register, the
// year's billing file and the ledger file are together wholly before or wholly after, every file is
// sound, and the renumbering completes when repeated.
#include "tests/fixtures/program_folder.h"
#include "tests/fixtures/sqlite_probe.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QRandomGenerator>
#include <QThread>

namespace {

constexpr int assignments = 200;
constexpr int ledgerRows = 20000;

class RenumberingCrashTest : public fixtures::ProgramFolderTest {
protected:
    void SetUp() override
    {
        ProgramFolderTest::SetUp();
        fixtures::exec(
            dw(),
            QStringLiteral("insert into dw (DanWeiBianHao, DanWeiQuangCheng) values ('001', '甲'), ('002', '乙');"
                           "with recursive n(i) as (select 1 union all select i + 1 from n where i < %1) "
                           "insert into dwwrw (DanWeiBianHao, WuRanWuBianHao, PaiWuKou) "
                           "select '001', 'W' || i, 1 from n;")
                .arg(assignments));
        folder->copyShipped(QStringLiteral("QELVKZTMP.MDB"), QStringLiteral("qelvkz2026.mdb"));
        fixtures::exec(billing(),
                       QStringLiteral("insert into KPKZK (DanWeiBianHao, M3) values ('001', 1), ('002', 0)"));
        fixtures::exec(ledgers(),
                       QStringLiteral("CREATE TABLE \"ZNJ001\" (KaiPiaoRiQi DATETIME, FaPiaoBianHao TEXT(50) COLLATE "
                                      "NOCASE, FaPiaoJinE CURRENCY, ShouFeiJinE CURRENCY, DaoZhangQingKuang BYTE, "
                                      "DaoZhangRiQi DATETIME, PiaoJuLeiXing BYTE, ZNJYiShou BYTE);"
                                      "with recursive n(i) as (select 1 union all select i + 1 from n where i < %1) "
                                      "insert into ZNJ001 (KaiPiaoRiQi, FaPiaoBianHao, FaPiaoJinE) "
                                      "select '2025-01-01', i, i from n;")
                           .arg(ledgerRows));
    }

    QString dw() const { return folder->data(QStringLiteral("qelvdw.mdb")); }
    QString billing() const { return folder->data(QStringLiteral("qelvkz2026.mdb")); }
    QString ledgers() const { return folder->data(QStringLiteral("qelvdwznj.mdb")); }

    static int count(const QString& file, const QString& sql) { return fixtures::probe(file, sql).toInt(); }

    // Which numbering the three files hold together: the number, or a description of the mix.
    QString numbering() const
    {
        const auto holds = [&](const QString& n) {
            const QString ledger = QStringLiteral("ZNJ") + n;
            const bool hasLedger =
                count(ledgers(), QStringLiteral("select count(*) from sqlite_master where name = '%1'").arg(ledger)) ==
                1;
            return QStringList{
                QString::number(
                    count(dw(), QStringLiteral("select count(*) from dw where DanWeiBianHao = '%1'").arg(n))),
                QString::number(
                    count(dw(), QStringLiteral("select count(*) from dwwrw where DanWeiBianHao = '%1'").arg(n))),
                QString::number(
                    count(billing(), QStringLiteral("select count(*) from KPKZK where DanWeiBianHao = '%1'").arg(n))),
                hasLedger ? QString::number(count(ledgers(), QStringLiteral("select count(*) from \"%1\"").arg(ledger)))
                          : QStringLiteral("-")};
        };
        const QStringList whole{QStringLiteral("1"), QString::number(assignments), QStringLiteral("1"),
                                QString::number(ledgerRows)};
        const QStringList none{QStringLiteral("0"), QStringLiteral("0"), QStringLiteral("0"), QStringLiteral("-")};
        const QStringList a = holds(QStringLiteral("001")), b = holds(QStringLiteral("101"));
        if (a == whole && b == none)
            return QStringLiteral("001");
        if (a == none && b == whole)
            return QStringLiteral("101");
        return QStringLiteral("mixed: 001 %1, 101 %2").arg(a.join(','), b.join(','));
    }

    void expectSoundFiles() const
    {
        for (const QString& f : {dw(), billing(), ledgers()})
            EXPECT_EQ(fixtures::probe(f, QStringLiteral("pragma integrity_check")).toString(), QStringLiteral("ok"))
                << f.toStdString();
    }

    // Runs the child; with `killAfterUs` >= 0 it is killed that long after it said "start". Returns
    // how long the change took when it ran to its end, in microseconds (-1 when killed or failed).
    qint64 runChild(const QString& from, const QString& to, qint64 killAfterUs) const
    {
        QProcess child;
        child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        child.start(QStringLiteral(RENUMBERING_CHILD), {from, to, QStringLiteral("2026")});
        EXPECT_TRUE(child.waitForStarted(10000));
        QElapsedTimer timer;
        while (!child.canReadLine() && child.state() == QProcess::Running)
            child.waitForReadyRead(50);
        timer.start();
        EXPECT_EQ(child.readLine().trimmed(), QByteArray("start"));
        if (killAfterUs >= 0) {
            while (timer.nsecsElapsed() / 1000 < killAfterUs && child.state() == QProcess::Running)
                QThread::usleep(20);
            child.kill();
            child.waitForFinished(10000);
            return -1;
        }
        child.waitForFinished(60000);
        const qint64 took = timer.nsecsElapsed() / 1000;
        const QByteArray said = child.readAll().trimmed();
        EXPECT_EQ(said, QByteArray("done"));
        return said == "done" ? took : -1;
    }
};

TEST_F(RenumberingCrashTest, AKilledRenumberingLeavesTheFilesWhollyBeforeOrAfter)
{
    ASSERT_EQ(numbering(), QStringLiteral("001"));
    // One change each way unkilled tells how long the change lasts.
    const qint64 there = runChild(QStringLiteral("001"), QStringLiteral("101"), -1);
    ASSERT_EQ(numbering(), QStringLiteral("101"));
    const qint64 back = runChild(QStringLiteral("101"), QStringLiteral("001"), -1);
    ASSERT_EQ(numbering(), QStringLiteral("001"));
    const qint64 span = std::max<qint64>(std::max(there, back), 1000);

    QElapsedTimer bound;
    bound.start();
    int before = 0, after = 0;
    for (int trial = 0; trial < 24 && bound.elapsed() < 60000; ++trial) {
        const QString from = numbering();
        ASSERT_TRUE(from == QStringLiteral("001") || from == QStringLiteral("101")) << from.toStdString();
        const QString to = from == QStringLiteral("001") ? QStringLiteral("101") : QStringLiteral("001");
        // Kill points over the whole change, its commit and a little beyond.
        const qint64 at = QRandomGenerator::global()->bounded(span + span / 5);
        runChild(from, to, at);
        SCOPED_TRACE(QStringLiteral("trial %1, killed %2 us after the start of %3 us")
                         .arg(trial)
                         .arg(at)
                         .arg(span)
                         .toStdString());
        expectSoundFiles();
        const QString now = numbering();
        ASSERT_TRUE(now == from || now == to) << now.toStdString();
        (now == from ? before : after)++;
        if (now == from) {
            // Repeated, the change completes.
            ASSERT_GE(runChild(from, to, -1), 0);
            EXPECT_EQ(numbering(), to);
        }
    }
    EXPECT_GT(before + after, 19);
    RecordProperty("killed_before_commit", before);
    RecordProperty("killed_after_commit", after);
}

} // namespace
