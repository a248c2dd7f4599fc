// The statistics report: its page model over two pages, and its print from the statistics window through
// the private CUPS scheduler with the paper control registered: A4 upright while it prints, the
// printer's own paper afterwards, also after a cancelled print dialog or a report that cannot be made.
#include "platform/convert/convert.h"
#include "platform/report/report.h"
#include "platform/ui/dialogs.h"
#include "qelv/core/data_env.h"
#include "qelv/core/frmMsgBox.h"
#include "qelv/core/print_run.h"
#include "qelv/notices/frmBaoBiao.h"
#include "qelv/notices/frmCXTJ.h"
#include "qelv/notices/statistics_print.h"
#include "tests/fixtures/cups/printing_test.h"
#include "tests/fixtures/modal.h"
#include "tests/fixtures/sqlite_probe.h"
#include "tests/notices/statistics_fixture.h"

#include <QApplication>
#include <QComboBox>
#include <QFileInfo>
#include <QPushButton>
#include <QThread>
#include <QTimer>
#include <optional>

namespace {

using fixtures::CupsScheduler;

// The text at a position of a page ("" when there is none there).
QString textAt(const report::Page& page, double left, double top)
{
    for (const report::TextItem& t : page.texts)
        if (qFuzzyCompare(t.box.x() + 1, left + 1) && qFuzzyCompare(t.box.y() + 1, top + 1))
            return t.text;
    return QStringLiteral("<nothing at %1,%2>").arg(left).arg(top);
}

using fixtures::progressShown;

class StatisticsReport : public fixtures::StatisticsYear {
protected:
    // n rows in tjk, numbered 0001 on, each of 100.5 yuan except the last, which has no amount.
    void rows(int n)
    {
        for (int i = 1; i <= n; ++i)
            billing->execute("insert into tjk (DanWeiBianHao, DanWeiQuangCheng, HangYeLeiXing, DanWeiFenQu, SumMonth, "
                             "JinE) values (?, ?, '化工', '一中队', ?, ?)",
                             {QStringLiteral("%1").arg(i, 4, 10, QLatin1Char('0')), QStringLiteral("厂%1").arg(i),
                              i % 12, i == n ? QVariant() : QVariant(100.5)});
    }
};

TEST_F(StatisticsReport, TwoPagesOfTitleConditionColumnsPageNumbersCountAndSum)
{
    rows(51);
    const report::Document doc = statistics::renderReport(QStringLiteral("行业类型=化工 "));
    ASSERT_EQ(doc.pages.size(), 2u);
    const report::Page& first = doc.pages[0];
    const report::Page& second = doc.pages[1];
    EXPECT_EQ(first.size, QSizeF(11906, 16838));
    EXPECT_EQ(first.orientation, report::Orientation::Portrait);

    // The report header at the top of the first page (margins 900 and 1440).
    EXPECT_EQ(textAt(first, 900 + 2236, 1440 + 57), QStringLiteral("某县环境保护局2003报表"));
    EXPECT_EQ(textAt(first, 900 + 624, 1440 + 567), QStringLiteral("条件为 行业类型=化工 "));
    EXPECT_EQ(textAt(first, 900 + 7597, 1440 + 794),
              convert::formatShortDate(QDate::currentDate()) + QStringLiteral("  打印"));
    const report::TextItem& title = first.texts[0];
    EXPECT_EQ(title.font, (report::Font{report::printFontFamily(), 18, false}));
    EXPECT_EQ(title.alignment, report::Alignment::Centre);
    EXPECT_EQ(first.texts[1].font.pointSize, 9);

    // The column headings below it, and at the top of the second page.
    const double head1 = 1440 + 1125, head2 = 1440;
    const struct {
        double left;
        const char* caption;
    } headings[] = {{113, "单位编号"},  {1814, "单位名称"}, {4592, "行业类型"},
                    {5953, "所属中队"}, {7427, "月数"},     {8787, "金额"}};
    for (const auto& h : headings) {
        EXPECT_EQ(textAt(first, 900 + h.left, head1 + 57), QString::fromUtf8(h.caption));
        EXPECT_EQ(textAt(second, 900 + h.left, head2 + 57), QString::fromUtf8(h.caption));
    }
    for (const report::TextItem& t : second.texts)
        EXPECT_NE(t.text, QStringLiteral("某县环境保护局2003报表")) << "the title only once";

    // The rows in the table's order, 36 on the first page (body down to the page footer at 14875).
    const double row1 = head1 + 330;
    EXPECT_EQ(textAt(first, 900 + 57, row1 + 57), QStringLiteral("0001"));
    EXPECT_EQ(textAt(first, 900 + 1757, row1 + 57), QStringLiteral("厂1"));
    EXPECT_EQ(textAt(first, 900 + 4592, row1 + 57), QStringLiteral("化工"));
    EXPECT_EQ(textAt(first, 900 + 5953, row1 + 57), QStringLiteral("一中队"));
    EXPECT_EQ(textAt(first, 900 + 7370, row1 + 57), QStringLiteral("1"));
    EXPECT_EQ(textAt(first, 900 + 8220, row1 + 57), QStringLiteral("￥101"));
    EXPECT_EQ(textAt(first, 900 + 57, row1 + 35 * 330 + 57), QStringLiteral("0036"));
    EXPECT_EQ(textAt(second, 900 + 57, head2 + 330 + 57), QStringLiteral("0037"));
    const double last = head2 + 330 + 14 * 330;
    EXPECT_EQ(textAt(second, 900 + 57, last + 57), QStringLiteral("0051"));
    EXPECT_EQ(textAt(second, 900 + 8220, last + 57), QString()) << "no amount";
    // Six framed cells a line, three at the end.
    EXPECT_EQ(first.boxes.size(), 6u + 36 * 6);
    EXPECT_EQ(second.boxes.size(), 6u + 15 * 6 + 3);
    EXPECT_EQ(first.boxes[6].rect, QRectF(900, row1, 1701, 330));
    EXPECT_EQ(first.boxes[11].rect, QRectF(900 + 8164, row1, 1710, 330));

    // Page number and count at the foot of each page.
    const double foot = 16838 - 1440 - 523 + 170;
    EXPECT_EQ(textAt(first, 900 + 3458, foot), QStringLiteral("第1页/"));
    EXPECT_EQ(textAt(first, 900 + 4932, foot), QStringLiteral("总2页"));
    EXPECT_EQ(textAt(second, 900 + 3458, foot), QStringLiteral("第2页/"));
    EXPECT_EQ(textAt(second, 900 + 4932, foot), QStringLiteral("总2页"));

    // The count of enterprises and the sum of their amounts, in whole yuan.
    const double end = last + 330;
    EXPECT_EQ(textAt(second, 900 + 113, end + 57), QStringLiteral("合计"));
    EXPECT_EQ(textAt(second, 900 + 1757, end + 57), QStringLiteral("51"));
    EXPECT_EQ(textAt(second, 900 + 3685, end + 57), QStringLiteral("家单位"));
    EXPECT_EQ(textAt(second, 900 + 5953, end + 57), QStringLiteral("￥5,025"));
    EXPECT_EQ(second.boxes.back().rect, QRectF(900 + 4535, end, 5341, 340));
    EXPECT_FALSE(DataEnv::isLoaded());
}

TEST_F(StatisticsReport, ATitleOfNameYearAndReportAndAnEmptyTable)
{
    EXPECT_EQ(statistics::reportTitle(QStringLiteral("B"), QDate(2003, 5, 1)), QStringLiteral("B2003报表"));
    Module1::gOrgName.clear();
    const report::Document doc = statistics::renderReport(QString());
    ASSERT_EQ(doc.pages.size(), 1u);
    EXPECT_EQ(textAt(doc.pages[0], 900 + 2236, 1440 + 57), QStringLiteral("2003报表"));
    EXPECT_EQ(textAt(doc.pages[0], 900 + 624, 1440 + 567), QStringLiteral("条件为 "));
    EXPECT_EQ(textAt(doc.pages[0], 900 + 1757, 1440 + 1125 + 330 + 57), QStringLiteral("0"));
    EXPECT_EQ(textAt(doc.pages[0], 900 + 5953, 1440 + 1125 + 330 + 57), QStringLiteral("￥0"));
}

TEST_F(StatisticsReport, WithoutTheYearsFileTheTemplateIsRead)
{
    rows(2);
    Module1::gWorkMonth = QDate(2004, 1, 1);
    const report::Document doc = statistics::renderReport(QString());
    EXPECT_EQ(textAt(doc.pages[0], 900 + 2236, 1440 + 57), QStringLiteral("某县环境保护局2004报表"));
    EXPECT_EQ(textAt(doc.pages[0], 900 + 1757, 1440 + 1125 + 330 + 57), QStringLiteral("0"));
}

const QString kA4 = QStringLiteral("iso_a4_210x297mm");
const QString kSaved = QStringLiteral("iso_a5_148x210mm"); // paper code 11

class StatisticsPrint : public fixtures::PrintingTest<StatisticsReport> {
protected:
    void SetUp() override
    {
        PrintingTest::SetUp();
        if (!ready())
            return;
        usePrinter(kSaved, "portrait", folder->path());
        if (!ready())
            return;
        enterprise("0001", "甲厂", "化工", "一中队");
        billingRow("0001", {{"M1M", 1234.5}});
        enterprise("0002", "乙厂", "冶金", "二中队");
        billingRow("0002", {{"M1M", 20}});
    }
    // Builds and queries in the window: every enterprise of industry type 化工.
    void buildAndQuery(frmBaoBiao& w)
    {
        w.Command1->click();
        fixtures::whenShown<frmCXTJ>(QStringLiteral("frmCXTJ"), [](frmCXTJ* d) {
            d->Combo1->setEditText(QStringLiteral("行业类型"));
            d->Combo2->setEditText(QStringLiteral("="));
            d->Combo3->setEditText(QStringLiteral("化工"));
            d->OKButton->click();
        });
        w.Command2->click();
        ASSERT_TRUE(w.Command3->isEnabled()) << messages().join('\n').toStdString();
    }
};

TEST_F(StatisticsPrint, PrintsOnA4WhileTheWindowWaitsAndSetsThePaperBack)
{
    frmBaoBiao w;
    w.show();
    buildAndQuery(w);
    const std::vector<int> before = scheduler->jobIds("qcustom");
    std::optional<CupsScheduler::Defaults> during;
    QList<bool> buttonsDuring;
    bool progress = false, closed = false, refused = false;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (!printRun::running() || during)
            return;
        poll.stop();
        during = defaults();
        for (QPushButton* b : {w.Command1, w.Command2, w.Command3, w.Command4})
            buttonsDuring << b->isEnabled();
        progress = progressShown();
        closed = w.close();
        // A second print is refused while this one waits.
        refused = statistics::PrintReport(&w, {}, QString()) == printRun::Outcome::Refused;
    });
    poll.start(0);
    ui::testing::answer(ui::Answer::Ok);
    w.Command3->click();
    EXPECT_EQ(messages(), QStringList{printRun::busyText()});
    EXPECT_EQ(dialogs(), 1) << "the print dialog is shown";
    ASSERT_TRUE(during) << "the wait let no event through";
    EXPECT_EQ(during->media, kA4);
    EXPECT_EQ(during->orientation, "portrait");
    EXPECT_EQ(buttonsDuring, (QList<bool>{false, false, false, false}));
    EXPECT_TRUE(progress);
    EXPECT_FALSE(closed) << "the window closed while it printed";
    EXPECT_TRUE(refused);
    EXPECT_TRUE(w.isVisible());
    for (QPushButton* b : {w.Command1, w.Command2, w.Command3, w.Command4})
        EXPECT_TRUE(b->isEnabled()) << b->objectName().toStdString();
    EXPECT_FALSE(progressShown());
    EXPECT_FALSE(DataEnv::isLoaded());
    EXPECT_EQ(defaults().media, kSaved) << "the saved paper code set back";
    EXPECT_EQ(defaults().orientation, "portrait");

    const std::vector<int> after = scheduler->jobIds("qcustom");
    ASSERT_EQ(after.size(), before.size() + 1);
    const auto job = scheduler->job(after.back());
    ASSERT_TRUE(job);
    EXPECT_EQ(job->media, kA4);
    EXPECT_EQ(job->orientation, 3);
    const QString out = scheduler->folder() + "/out/qcustom.out";
    for (int i = 0; i < 300 && QFileInfo(out).size() == 0; ++i)
        QThread::msleep(100);
    EXPECT_GT(QFileInfo(out).size(), 0) << "the job never reached the printer";
}

TEST_F(StatisticsPrint, ACancelledPrintDialogPrintsNothingAndSetsEverythingBack)
{
    frmBaoBiao w;
    w.show();
    buildAndQuery(w);
    ui::testing::clearShown();
    const std::vector<int> before = scheduler->jobIds("qcustom");
    ui::testing::answer(ui::Answer::Cancel);
    w.Command3->click();
    EXPECT_EQ(dialogs(), 1);
    EXPECT_TRUE(messages().isEmpty()) << messages().join('\n').toStdString();
    EXPECT_EQ(scheduler->jobIds("qcustom"), before);
    EXPECT_EQ(defaults().media, kSaved);
    EXPECT_EQ(defaults().orientation, "portrait");
    EXPECT_FALSE(progressShown());
    EXPECT_FALSE(DataEnv::isLoaded());
    EXPECT_FALSE(printRun::running());
    EXPECT_TRUE(w.Command3->isEnabled());
    EXPECT_TRUE(w.close());
}

TEST_F(StatisticsPrint, AReportThatCannotBeMadeLeavesThePrinterUntouched)
{
    frmBaoBiao w;
    w.show();
    buildAndQuery(w);
    ui::testing::clearShown();
    fixtures::exec(folder->data(dataFiles::billing(2003)), "DROP TABLE tjk");
    const std::vector<int> before = scheduler->jobIds("qcustom");
    const int writes = scheduler->operationCount("CUPS-Add-Modify-Printer");
    ui::testing::answer(ui::Answer::Ok);
    w.Command3->click();
    ASSERT_EQ(messages().size(), 1);
    EXPECT_TRUE(messages()[0].contains("tjk")) << messages()[0].toStdString();
    EXPECT_EQ(dialogs(), 0);
    EXPECT_EQ(scheduler->jobIds("qcustom"), before);
    EXPECT_EQ(scheduler->operationCount("CUPS-Add-Modify-Printer"), writes) << "the printer was not touched";
    EXPECT_FALSE(progressShown());
    EXPECT_FALSE(DataEnv::isLoaded());
    EXPECT_TRUE(w.Command3->isEnabled());
}

} // namespace
