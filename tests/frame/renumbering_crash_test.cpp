// A renumbering killed at points drawn over its writes, as kill -9 or a power cut would stop it: the
// register, the year's billing file and the ledger file are together wholly before or wholly after,
// every file is sound, and the renumbering completes when repeated.
#include "tests/fixtures/kill_points.h"
#include "tests/fixtures/program_folder.h"
#include "tests/fixtures/sqlite_probe.h"

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

    // Renumbers 001 to 101 in the child.
    fixtures::ChildEnd renumber(const QProcessEnvironment& environment = QProcessEnvironment::systemEnvironment()) const
    {
        return fixtures::runToEnd(QStringLiteral(RENUMBERING_CHILD),
                                  {QStringLiteral("001"), QStringLiteral("101"), QStringLiteral("2026")}, environment);
    }
};

TEST_F(RenumberingCrashTest, AKilledRenumberingLeavesTheFilesWhollyBeforeOrAfter)
{
    ASSERT_EQ(numbering(), QStringLiteral("001"));
    const fixtures::FolderCopy atStart(folder->data());
    fixtures::PointListing points;
    fixtures::KillDraws draws;
    ASSERT_EQ(renumber(points.counting()).output.trimmed(), QByteArray("start\ndone"));
    ASSERT_EQ(numbering(), QStringLiteral("101"));
    const QStringList listed = points.points();
    const long long count = listed.size();
    ASSERT_GT(count, 10) << "the child's writes were not seen";

    int before = 0, after = 0;
    for (int trial = 0; trial < 24; ++trial) {
        atStart.restore();
        const long long at = draws.draw(count);
        SCOPED_TRACE(draws.describe(trial, at, listed));
        const fixtures::ChildEnd end = renumber(fixtures::killingAt(at));
        ASSERT_TRUE(end.killed) << end.output.toStdString();
        expectSoundFiles();
        const QString now = numbering();
        ASSERT_TRUE(now == QStringLiteral("001") || now == QStringLiteral("101")) << now.toStdString();
        if (now == QStringLiteral("001")) {
            ++before;
            // Repeated, the change completes.
            EXPECT_EQ(renumber().output.trimmed(), QByteArray("start\ndone"));
            EXPECT_EQ(numbering(), QStringLiteral("101"));
        } else {
            ++after;
        }
    }
    RecordProperty("killed_before_commit", before);
    RecordProperty("killed_after_commit", after);
}

} // namespace
