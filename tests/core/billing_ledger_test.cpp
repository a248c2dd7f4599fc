// The yearly billing file and its rows, and the late-fee ledgers: made once, left alone afterwards.
#include "platform/db/connection.h"
#include "qelv/core/billing_control.h"
#include "qelv/core/data_files.h"
#include "qelv/core/late_fee_ledger.h"
#include "tests/fixtures/program_folder.h"
#include "tests/fixtures/sqlite_probe.h"

#include <QFile>

using BillingLedgerTest = fixtures::ProgramFolderTest;

TEST_F(BillingLedgerTest, TheYearFileIsCopiedFromTheTemplateOnceAndThenLeftAlone)
{
    const QString file = folder->data(QStringLiteral("qelvkz2026.mdb"));
    ASSERT_FALSE(QFile::exists(file));
    EXPECT_TRUE(billingControl::ensureYearFile(2026));
    ASSERT_TRUE(QFile::exists(file));
    EXPECT_EQ(fixtures::probe(file, QStringLiteral("select count(*) from KPKZK")).toInt(), 0);
    fixtures::exec(file, QStringLiteral("insert into KPKZK (DanWeiBianHao) values ('0012')"));
    EXPECT_FALSE(billingControl::ensureYearFile(2026));
    EXPECT_EQ(fixtures::probe(file, QStringLiteral("select count(*) from KPKZK")).toInt(), 1) << "not copied over";
    // Another spelling of the same file counts as the file.
    QFile::rename(file, folder->data(QStringLiteral("QELVKZ2026.MDB")));
    EXPECT_FALSE(billingControl::ensureYearFile(2026));
}

TEST_F(BillingLedgerTest, TheBillingRowIsInsertedOnceWithOnlyItsNumber)
{
    billingControl::ensureYearFile(2026);
    db::Connection billing(db::DataFile{dataFiles::billing(2026)});
    EXPECT_TRUE(billingControl::ensureRow(billing, QStringLiteral("0012")));
    billing.execute(QStringLiteral("update KPKZK set M3 = 1, M3B = 'x'"));
    EXPECT_FALSE(billingControl::ensureRow(billing, QStringLiteral("0012")));
    EXPECT_FALSE(billingControl::ensureRow(billing, QStringLiteral("0012"))) << "still one row";
    const QString file = folder->data(dataFiles::billing(2026));
    EXPECT_EQ(fixtures::probe(file,
                              QStringLiteral("select count(*) || '|' || max(DanWeiBianHao) || '|' || max(M3) || "
                                             "'|' || max(M3B) || '|' || max(M4) from KPKZK"))
                  .toString(),
              QStringLiteral("1|0012|1|x|0"))
        << "the leading zeros kept, the row left alone, the other months at their defaults";
}

TEST_F(BillingLedgerTest, TheLedgerIsMadeOnceWithItsEightFieldsInOrderAndFoundWithoutRegardToCase)
{
    db::Connection ledgers(db::DataFile{QString::fromLatin1(dataFiles::lateFeeLedgers)});
    EXPECT_TRUE(lateFeeLedger::ensure(ledgers, QStringLiteral("0a1")));
    QStringList names;
    for (const db::ColumnDef& c : ledgers.columns(QStringLiteral("ZNJ0a1")))
        names << c.name;
    EXPECT_EQ(names,
              QStringList({"KaiPiaoRiQi", "FaPiaoBianHao", "FaPiaoJinE", "ShouFeiJinE", "DaoZhangQingKuang",
                           "DaoZhangRiQi", "PiaoJuLeiXing", "ZNJYiShou"}));
    const QList<db::ColumnDef> cols = ledgers.columns(QStringLiteral("ZNJ0a1"));
    EXPECT_EQ(cols[0].type, db::ColumnType::DateTime);
    EXPECT_EQ(cols[1].type, db::ColumnType::Text);
    EXPECT_EQ(cols[1].size, 50);
    EXPECT_EQ(cols[2].type, db::ColumnType::Currency);
    EXPECT_EQ(cols[4].type, db::ColumnType::Byte);
    ledgers.execute(QStringLiteral("insert into ZNJ0a1 (FaPiaoBianHao) values ('7')"));
    EXPECT_FALSE(lateFeeLedger::ensure(ledgers, QStringLiteral("0A1"))) << "the same ledger to the file";
    EXPECT_EQ(lateFeeLedger::find(ledgers, QStringLiteral("0A1")), QStringLiteral("ZNJ0a1"));
    EXPECT_EQ(ledgers.scalar(QStringLiteral("select count(*) from ZNJ0a1")).toInt(), 1);
    EXPECT_TRUE(lateFeeLedger::find(ledgers, QStringLiteral("0b1")).isEmpty());
}

TEST_F(BillingLedgerTest, TheLedgerNamesReadOnceFindEachLedgerAsTheFileDoes)
{
    db::Connection ledgers(db::DataFile{QString::fromLatin1(dataFiles::lateFeeLedgers)});
    for (const char* number : {"0a1", "0012", "区1"})
        lateFeeLedger::ensure(ledgers, QString::fromUtf8(number));
    const lateFeeLedger::Names names(ledgers);
    for (const char* asked : {"0A1", "0a1", "0012", "区1", "0b1", "012", "区2"})
        EXPECT_EQ(names.find(QString::fromUtf8(asked)), lateFeeLedger::find(ledgers, QString::fromUtf8(asked)))
            << asked;
    EXPECT_EQ(names.find(QStringLiteral("0A1")), QStringLiteral("ZNJ0a1"));
}
