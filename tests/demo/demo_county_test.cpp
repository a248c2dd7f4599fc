// The sample county of `scripts/run --demo` is a month the program can compute, invoice and notify:
// every fee is what the workbench computes, every enterprise gets its invoice and its notice, the
// late fees and the minimum fee show; and the tool that writes it touches no folder but its own.
#include "platform/db/connection.h"
#include "platform/db/recordset.h"
#include "platform/files/files.h"
#include "platform/ui/data_grid.h"
#include "qelv/assessment/discharge_tables.h"
#include "qelv/assessment/frmKaiPiao.h"
#include "qelv/collection/collection_documents.h"
#include "qelv/core/Module1.h"
#include "qelv/core/data_files.h"
#include "qelv/core/error_sink.h"
#include "qelv/demo/demo_county.h"
#include "qelv/invoicing/invoice_generator.h"
#include "qelv/notices/notice_generator.h"
#include "tests/demo/demo_month.h"
#include "tests/fixtures/program_folder.h"
#include "tests/fixtures/sqlite_probe.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

class DemoCounty : public fixtures::ProgramFolderTest, public ::testing::WithParamInterface<QDate> {
protected:
    void SetUp() override
    {
        ProgramFolderTest::SetUp();
        month = GetParam();
        made = demo::makeCounty(month);
        demoMonth::openSession(month);
    }

    QStringList lines(const QString& file, const QString& enterprise) const
    {
        db::Connection print(db::DataFile{file});
        auto rs = print.openRecordset(QStringLiteral("select 项目 from MX where DanWeiBianHao = ? order by ID"),
                                      {enterprise}, db::LockType::ReadOnly);
        QStringList out;
        for (; !rs->isEOF(); rs->moveNext())
            out << rs->value(0).toString();
        return out;
    }

    QDate month;
    demo::Made made;
};

TEST_P(DemoCounty, EveryAssignmentHasAFeeAndTheLateFeesAreOn)
{
    EXPECT_EQ(made.enterprises, 20);
    EXPECT_EQ(made.tables, made.assignments);
    EXPECT_TRUE(Module1::gLateFeeOn);
    EXPECT_GT(Module1::gLateFeeStartDays, 0);
    EXPECT_GT(Module1::gLateFeeRate, 0);

    db::Connection dw(db::DataFile{QString::fromLatin1(dataFiles::enterprises)});
    db::Connection data(db::DataFile{dataFiles::monthData(month)});
    auto rows = dw.openRecordset(QStringLiteral("select DanWeiBianHao, WuRanWuBianHao, PaiWuKou from dwwrw"), {},
                                 db::LockType::ReadOnly);
    int fees = 0;
    for (; !rows->isEOF(); rows->moveNext(), ++fees) {
        const QString table = discharge::tableName(
            {rows->value(0).toString(), rows->value(1).toString(), QString::number(rows->value(2).toInt())});
        EXPECT_GT(data.scalar(QStringLiteral("select 收费金额 from %1").arg(db::quoteIdentifier(table))).toDouble(), 0)
            << table.toStdString();
    }
    EXPECT_EQ(fees, made.assignments);
    db::Connection billing(db::DataFile{dataFiles::billing(month.year())});
    EXPECT_EQ(billing.scalar(QStringLiteral("select count(*) from KPKZK where M%1 = 1").arg(month.month())).toInt(),
              20);
}

// The workbench computes, from the stored figures, the fee the county holds: every formula (brackets,
// bars, constants, variables) is one its evaluator takes.
TEST_P(DemoCounty, TheWorkbenchComputesTheStoredFees)
{
    frmKaiPiao w;
    w.show();
    ASSERT_TRUE(w.gridsBound());
    int checked = 0;
    for (int e = 0; e < made.enterprises; ++e) {
        for (int a = 0; a < w.assignments()->recordCount(); ++a) {
            int feeColumn = -1;
            for (int c = 0; c < w.DataGrid2->model()->columnCount(); ++c)
                if (w.DataGrid2->model()->headerData(c, Qt::Horizontal).toString() == QStringLiteral("收费金额"))
                    feeColumn = c;
            ASSERT_GE(feeColumn, 0);
            const QString stored = w.DataGrid2->text(feeColumn);
            w.ComputeFeeOrToggle(feeColumn);
            EXPECT_EQ(w.DataGrid2->text(feeColumn), stored) << w.lblStatus->text().toStdString();
            ++checked;
            w.cmdNext_Click();
        }
        w.Command2_Click();
    }
    EXPECT_EQ(checked, made.assignments);
    w.close();
}

TEST_P(DemoCounty, TheMonthInvoicesAndNotifiesEveryEnterprise)
{
    const QList<invoicing::ListedEnterprise> due = demoMonth::dueEnterprises(month);
    ASSERT_EQ(due.size(), 20);
    const invoicing::RunResult invoices = demoMonth::generateInvoices(month, due);
    EXPECT_EQ(invoices.invoices, 20);
    EXPECT_TRUE(invoices.tooLong.isEmpty()) << invoices.tooLong.join(' ').toStdString();

    const QString invoiceFile = dataFiles::monthInvoices(month);
    // The unpaid invoice of two months before charges a late fee; the hotel's small fee is topped up to
    // its minimum; the fertiliser plant's outlet 2 is a fee item of its own.
    EXPECT_TRUE(lines(invoiceFile, QStringLiteral("0003")).join('|').contains(QStringLiteral("滞纳金")));
    EXPECT_TRUE(lines(invoiceFile, QStringLiteral("0011")).join('|').contains(QStringLiteral("滞纳金")));
    EXPECT_TRUE(lines(invoiceFile, QStringLiteral("0019")).join('|').contains(QStringLiteral("最少收费")));
    EXPECT_FALSE(lines(invoiceFile, QStringLiteral("0001")).join('|').contains(QStringLiteral("滞纳金")));
    EXPECT_GT(lines(invoiceFile, QStringLiteral("0002")).size(), 2);

    const QString noticeFile = dataFiles::monthNotices(month);
    CollectedErrors detailErrors;
    const notices::RunResult notices = demoMonth::generateNotices(month, due, detailErrors.sink());
    EXPECT_EQ(notices.notices, 20);
    EXPECT_TRUE(detailErrors.empty()) << detailErrors.list().join('\n').toStdString();
    EXPECT_EQ(
        fixtures::probe(files::dataFile(noticeFile), QStringLiteral("select count(*) from WuRanWuMingXi")).toInt(),
        made.assignments);
}

// Once the invoices carry their numbers, the enterprises with a collection agreement and an account
// get their collection documents, each request fitting PM22's record and answered by the folder's
// stand-in.
TEST_P(DemoCounty, TheAgreementsAreCollectedThroughPM22)
{
    const QList<collection::ListedInvoice> list = demoMonth::numberAgreedInvoices(folder->path(), month);
    ASSERT_EQ(list.size(), 7);
    CollectedErrors errors;
    const collection::RunResult result =
        collection::DocumentGenerator(collection::RunState::fromModule1(), {}, errors.sink()).run(list, false);
    EXPECT_TRUE(errors.empty()) << errors.list().join('\n').toStdString();
    EXPECT_TRUE(result.completed);
    EXPECT_EQ(result.documents, 7);
    EXPECT_TRUE(result.missed.isEmpty()) << collection::closingMessage(result).toStdString();
}

// A month in the middle of the year, and January, whose earlier invoices are of the year before.
INSTANTIATE_TEST_SUITE_P(Months, DemoCounty, ::testing::Values(QDate(2024, 3, 1), QDate(2024, 1, 1)),
                         [](const ::testing::TestParamInfo<QDate>& month) {
                             return month.param.toString(QStringLiteral("'m'yyyy_MM")).toStdString();
                         });

// The tool writes into the folder it is given and its own settings folder there, once.
TEST(DemoTool, WritesOnlyItsOwnFolderAndOnlyOnce)
{
    QTemporaryDir dir;
    const QString folder = dir.filePath(QStringLiteral("qelv-demo"));
    const QString userConfig = dir.filePath(QStringLiteral("user-config"));
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), userConfig);
    env.insert(QStringLiteral("QELV_HOME"), dir.filePath(QStringLiteral("own")));
    auto run = [&env](const QString& program, const QStringList& arguments) {
        QProcess p;
        p.setProcessEnvironment(env);
        p.setProcessChannelMode(QProcess::MergedChannels);
        p.start(program, arguments);
        EXPECT_TRUE(p.waitForFinished(60000));
        EXPECT_EQ(p.exitCode(), 0) << p.readAll().toStdString();
        return QString::fromUtf8(p.readAll());
    };
    run(QStringLiteral(QELV_PREPARE), {folder});
    const QString first = run(QStringLiteral(QELV_DEMO), {folder, QStringLiteral("2024-3")});
    EXPECT_TRUE(first.contains(QStringLiteral("20 enterprises"))) << first.toStdString();

    EXPECT_TRUE(QFileInfo::exists(folder + QStringLiteral("/Data/qelvdata2024_3.mdb")));
    const QFileInfo pm22(folder + QStringLiteral("/pm22.exe"));
    EXPECT_TRUE(pm22.isExecutable());
    EXPECT_TRUE(QFile::exists(folder + QStringLiteral("/config/Tevrano/Tevrano.ini")));
    EXPECT_FALSE(QFileInfo::exists(userConfig)) << "the user's settings were touched";
    EXPECT_FALSE(QFileInfo::exists(dir.filePath(QStringLiteral("own")))) << "the user's program folder was touched";

    // A second run finds the register filled and changes nothing.
    const QString dw = folder + QStringLiteral("/Data/qelvdw.mdb");
    fixtures::exec(dw, QStringLiteral("update dw set BeiZu = 'mine' where DanWeiBianHao = '0001';"));
    const QString second = run(QStringLiteral(QELV_DEMO), {folder});
    EXPECT_TRUE(second.contains(QStringLiteral("not written again"))) << second.toStdString();
    EXPECT_EQ(fixtures::probe(dw, QStringLiteral("select BeiZu from dw where DanWeiBianHao = '0001'")).toString(),
              QStringLiteral("mine"));

    // The stand-in answers a request as PM22 does: a password in the first field of the answer.
    const QString in = dir.filePath(QStringLiteral("Infile.txt"));
    const QString out = dir.filePath(QStringLiteral("Outfile.txt"));
    QFile request(in);
    ASSERT_TRUE(request.open(QIODevice::WriteOnly));
    request.write(QByteArray(136, '0') + '\r');
    request.close();
    QProcess pm22Run;
    pm22Run.start(pm22.absoluteFilePath(), {in, out});
    ASSERT_TRUE(pm22Run.waitForFinished(60000));
    EXPECT_EQ(pm22Run.exitCode(), 0);
    EXPECT_TRUE(QString::fromLatin1(fixtures::bytes(out)).startsWith(QLatin1Char('"')));
}

} // namespace
