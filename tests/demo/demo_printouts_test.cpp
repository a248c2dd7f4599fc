// Every report the program prints, on the sample county's month as the operator works it, once as the
// county stands and once with long texts wherever a report lets a text take more lines (the notice
// texts, a name, a pollutant's name) and on the stationery, where they are printed smaller: no printed
// line sits over another, and every text of the page model stays on its page.
#include "platform/db/connection.h"
#include "platform/db/recordset.h"
#include "platform/report/report_data.h"
#include "platform/report/report_painter.h"
#include "qelv/assessment/fee_list.h"
#include "qelv/collection/collection_layout.h"
#include "qelv/collection/collection_report.h"
#include "qelv/core/Module1.h"
#include "qelv/core/data_env.h"
#include "qelv/core/data_files.h"
#include "qelv/demo/demo_county.h"
#include "qelv/invoicing/FPForm.h"
#include "qelv/notices/notice_reports.h"
#include "qelv/notices/statistics_print.h"
#include "qelv/notices/statistics_tables.h"
#include "tests/demo/demo_month.h"
#include "tests/fixtures/printed_lines.h"
#include "tests/fixtures/program_folder.h"

#include <gtest/gtest.h>

namespace {

// A text of n characters, between markers of its own.
QString longText(const char* first, int n)
{
    return QString::fromUtf8(first) + QString(n, QChar(0x6C34)) + QStringLiteral("止");
}

class DemoPrintouts : public fixtures::ProgramFolderTest, public ::testing::WithParamInterface<bool> {
protected:
    void SetUp() override
    {
        ProgramFolderTest::SetUp();
        demo::makeCounty(month);
        if (GetParam())
            lengthenTexts();
        demoMonth::openSession(month);
    }

    // The notice texts of several lines each, the fertiliser plant's name and bank and its separate fee
    // item's pollutant long enough for two or three lines on the notices and the detail sheets.
    void lengthenTexts()
    {
        db::Connection setUp(db::DataFile{QString::fromLatin1(dataFiles::setUp)});
        setUp.execute(QStringLiteral("update tz set FaLvFaGui = ?, JiaoKuanQiXian = ?, KaiHuYinHang = ?, YiYi = ?"),
                      {longText("法规", 120), longText("期限", 100), longText("银行", 60), longText("异议", 150)});
        db::Connection dw(db::DataFile{QString::fromLatin1(dataFiles::enterprises)});
        dw.execute(QStringLiteral("update dw set DanWeiQuangCheng = ?, KaiHuYingHang = ? where DanWeiBianHao = '0002'"),
                   {longText("名称", 60), longText("开户", 40)});
        dw.execute(
            QStringLiteral("update dwwrw set WuRanWuMingCheng = ? where DanWeiBianHao = '0002' and PaiWuKou = 2"),
            {longText("污染物", 36)});
    }

    // The lines of every page that run over each other, and the texts that leave their page.
    static void expectClean(const char* report, const report::Document& doc)
    {
        SCOPED_TRACE(report);
        ASSERT_FALSE(doc.pages.empty());
        EXPECT_EQ(fixtures::overlappingTexts(doc).join(u'\n').toStdString(), "");
        for (std::size_t p = 0; p < doc.pages.size(); ++p)
            for (const report::TextItem& t : doc.pages[p].texts) {
                // The invoice's page-footer mark, a full stop in a band 50 twips high at the sheet's foot,
                // falls past the sheet as its design has it.
                if (t.text.trimmed().isEmpty() || t.text == QLatin1String("."))
                    continue;
                const QRectF painted = report::paintedBounds(t);
                EXPECT_TRUE(QRectF(QPointF(0, 0), doc.pages[p].size).contains(painted))
                    << "page " << p + 1 << ": " << t.text.toStdString() << " leaves the page";
            }
    }

    const QDate month{2024, 3, 1};
};

TEST_P(DemoPrintouts, NoPrintedLineSitsOverAnother)
{
    const QList<invoicing::ListedEnterprise> due = demoMonth::dueEnterprises(month);
    ASSERT_EQ(due.size(), 20);
    ASSERT_EQ(demoMonth::generateInvoices(month, due).invoices, 20);
    CollectedErrors errors;
    ASSERT_EQ(demoMonth::generateNotices(month, due, errors.sink()).notices, 20);
    const QList<collection::ListedInvoice> agreed = demoMonth::numberAgreedInvoices(folder->path(), month);
    ASSERT_EQ(collection::DocumentGenerator(collection::RunState::fromModule1(), {}, errors.sink())
                  .run(agreed, false)
                  .documents,
              7);
    feeList::copyPrintFile(month);
    feeList::BuildPrintData(month);
    ASSERT_TRUE(statistics::BuildStatisticsTable(month.year(), statistics::MonthCount::Covered, errors.sink()));
    {
        db::Connection billing(db::DataFile{dataFiles::billing(month.year())});
        statistics::query(billing, QStringLiteral("1 = 1"));
    }
    EXPECT_TRUE(errors.empty()) << errors.list().join(u'\n').toStdString();

    expectClean("notices", notices::renderNotices(month));
    expectClean("detail sheets", notices::renderPollutantDetails(month));
    {
        invoicing::FPForm invoices;
        invoices.DataReport_Initialize();
        db::Connection print(db::DataFile{dataFiles::monthInvoices(month)});
        QStringList numbers;
        for (const invoicing::ListedEnterprise& d : due)
            numbers << d.number;
        expectClean("invoices", invoices.renderInvoices(print, numbers));
    }
    {
        collection::WTForm vouchers;
        DataEnv::Loaded env;
        const std::unique_ptr<report::RowSource> rows = env->command(QStringLiteral("Command3"));
        expectClean("collection documents", vouchers.render(*rows));
    }
    expectClean("fee list", feeList::render(month));
    expectClean("statistics", statistics::renderReport(QStringLiteral("全部单位")));
}

INSTANTIATE_TEST_SUITE_P(Texts, DemoPrintouts, ::testing::Values(false, true),
                         [](const ::testing::TestParamInfo<bool>& info) {
                             return std::string(info.param ? "LongTexts" : "AsTheCountyStands");
                         });

} // namespace
