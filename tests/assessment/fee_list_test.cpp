// The month's fee list without a printer: the print file the builder fills from a fixture month, and
// the page model of the report over it.
#include "qelv/assessment/fee_list.h"

#include "platform/convert/convert.h"
#include "platform/db/error.h"
#include "qelv/core/data_env.h"
#include "tests/assessment/fee_list_fixture.h"

#include <QFile>

namespace {

using FeeListBuild = FeeListMonthTest;

TEST_F(FeeListBuild, TheBilledEnterprisesWithTheirLines)
{
    addEnterprise("9", "九号厂");
    addEnterprise("10", "十号''厂"); // a quote in the name
    addEnterprise("12", "十二号厂");
    addEnterprise("13", "十三号厂");
    bill("9");
    bill("10", 1, "4-5月");
    bill("11"); // not in the register: left out
    bill("12"); // without assignments: its heading alone
    bill("13", 0); // not billed in May
    // The lines of an enterprise follow the assignments' ID, not the pollutants' numbers.
    assign("9", "W2", 2, "氨氮");
    assign("9", "W1", 1, "化学需氧量");
    assign("9", "W3", 1, "总磷"); // a Null first column: no line
    assign("10", "W1", 1, "化学需氧量"); // a Null figure after the first keeps its name
    assign("10", "W4", 1, "石油类"); // no row in the month: no line
    assign("13", "W1", 1, "化学需氧量");
    figures("9", "W2", 2, {{"修正系数", "1.2"}, {"当量值", "3"}, {"排放标准", "4"}}, "10");
    figures("9", "W1", 1, {{"A", "12.5"}, {"B", "0"}}, "1234.5", "100", "null");
    figures("9", "W3", 1, {{"X", "null"}}, "7");
    figures("10", "W1", 1, {{"B", "3"}, {"A", "null"}}, "2", "0.5", "0.25");
    figures("10", "W4", 1, {{"A", "1"}}, "5");
    fixtures::exec(monthData(), QStringLiteral("delete from WRW10W41"));
    figures("13", "W1", 1, {{"A", "1"}}, "5");

    feeList::copyPrintFile(Module1::gWorkMonth);
    const feeList::Built built = feeList::BuildPrintData(Module1::gWorkMonth);
    EXPECT_EQ(built.enterprises, 3);
    EXPECT_EQ(built.lines, 3);
    // Numbers in their order as text: 10 before 12 before 9.
    EXPECT_EQ(rows("dw").join('\n').toStdString(), "'10'|'十号''厂'\n'12'|'十二号厂'\n'9'|'九号厂'");
    EXPECT_EQ(rows("ShuJu").join('\n').toStdString(),
              "'10'|'W1'|'化学需氧量'|1|1|'B:3,A: (4-5月)'|2|0.5|0.25|2.75\n"
              "'9'|'W2'|'氨氮'|2|1|' (5月)'|10|0|0|10\n"
              "'9'|'W1'|'化学需氧量'|1|1|'A:12.5,B:0 (5月)'|1234.5|100|NULL|NULL");

    // A print file left from an earlier print is replaced, not added to.
    feeList::copyPrintFile(Module1::gWorkMonth);
    feeList::BuildPrintData(Module1::gWorkMonth);
    EXPECT_EQ(rows("dw").size(), 3);
    EXPECT_EQ(rows("ShuJu").size(), 3);
}

TEST_F(FeeListBuild, NoEnterpriseBilledLeavesBothTablesEmpty)
{
    addEnterprise("9", "九号厂");
    bill("9", 0);
    feeList::copyPrintFile(Module1::gWorkMonth);
    const feeList::Built built = feeList::BuildPrintData(Module1::gWorkMonth);
    EXPECT_EQ(built.enterprises, 0);
    EXPECT_TRUE(rows("dw").isEmpty());
    EXPECT_TRUE(rows("ShuJu").isEmpty());
}

// An error anywhere writes nothing: the list is never printed half built.
TEST_F(FeeListBuild, AnErrorWritesNothing)
{
    addEnterprise("1", "一号厂");
    addEnterprise("2", "二号厂");
    bill("1");
    bill("2");
    assign("1", "W1", 1, "化学需氧量");
    assign("2", "W1", 1, "化学需氧量"); // its table is missing from the month's file
    figures("1", "W1", 1, {{"A", "1"}}, "5");
    feeList::copyPrintFile(Module1::gWorkMonth);
    try {
        feeList::BuildPrintData(Module1::gWorkMonth);
        ADD_FAILURE() << "a missing table was not reported";
    } catch (const db::Error& e) {
        EXPECT_TRUE(QString::fromUtf8(e.what()).contains(QStringLiteral("WRW2W11")) ||
                    platform::describe(e).contains(QStringLiteral("WRW2W11")))
            << platform::describe(e).toStdString();
    }
    EXPECT_TRUE(rows("dw").isEmpty());
    EXPECT_TRUE(rows("ShuJu").isEmpty());

    // A missing month file or year file is an error before anything is read.
    QFile::remove(monthData());
    EXPECT_THROW(feeList::BuildPrintData(Module1::gWorkMonth), db::Error);
    QFile::remove(billingFile());
    EXPECT_THROW(feeList::BuildPrintData(Module1::gWorkMonth), db::Error);
    // And so is a missing template.
    QFile::remove(folder->data(QStringLiteral("qelvDataPrint.mdb")));
    EXPECT_THROW(feeList::copyPrintFile(Module1::gWorkMonth), platform::Error);
}

TEST(FeeListText, DischargeTextAndPeriod)
{
    const QDate may(2003, 5, 1);
    struct Case {
        QString text;
        QVariant remark;
        QString expected;
    };
    const Case cases[] = {
        {"A:12.5,B:0,", QVariant(), "A:12.5,B:0 (5月)"},
        {"", QVariant(), " (5月)"},
        {"A:,", QString(), "A: (5月)"},
        {"A:1,", QStringLiteral("三至五月"), "A:1 (三至五月)"},
        {"", QStringLiteral(" "), " ( )"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(feeList::withPeriod(c.text, feeList::period(may, c.remark)), c.expected) << c.expected.toStdString();
    EXPECT_EQ(feeList::period(QDate(2003, 10, 1), QVariant()), QStringLiteral("10月"));
}

// The report over a print file filled by the test.
class FeeListReport : public fixtures::ProgramFolderTest {
protected:
    void SetUp() override
    {
        ProgramFolderTest::SetUp();
        Module1::setStartupDefaults();
        Module1::gWorkMonth = QDate(2003, 5, 1);
        folder->copyShipped(QStringLiteral("qelvDataPrint.mdb"), QStringLiteral("qelvdataPrint2003_5.mdb"));
    }
    void line(const QString& number, const QString& name, const QString& figures, const QString& charge,
              const QString& total) const
    {
        fixtures::exec(folder->data("qelvdataPrint2003_5.mdb"),
                       QStringLiteral("insert into ShuJu values ('%1', 'W1', '%2', 1, 3, '%3', %4, 0, 0, %5)")
                           .arg(number, name, figures, charge, total));
    }
    void enterprise(const QString& number, const QString& name) const
    {
        fixtures::exec(folder->data("qelvdataPrint2003_5.mdb"),
                       QStringLiteral("insert into dw values ('%1', '%2')").arg(number, name));
    }
};

const report::TextItem* find(const report::Page& page, const QString& text, int nth = 0)
{
    for (const report::TextItem& t : page.texts)
        if (t.text == text && nth-- == 0)
            return &t;
    return nullptr;
}

int count(const report::Page& page, const QString& text)
{
    int n = 0;
    for (const report::TextItem& t : page.texts)
        n += t.text == text;
    return n;
}

TEST_F(FeeListReport, PageModelOverTwoPages)
{
    enterprise("0012", "甲化工厂");
    for (int i = 0; i < 50; ++i)
        line("0012", QStringLiteral("化学需氧量"), QStringLiteral("A:12.5,B:0 (5月)"), "1234.5", "1234.5");
    enterprise("0013", "乙造纸厂");
    line("0013", QStringLiteral("氨氮"), QStringLiteral("A: (5月)"), "0.5", "null");
    line("0013", QStringLiteral("总磷"), QStringLiteral("%1 (5月)").arg(QString(300, QChar(u'长'))), "3", "3");

    const report::Document doc = feeList::render(Module1::gWorkMonth);
    EXPECT_FALSE(DataEnv::isLoaded()) << "the data environment is let go of once rendered";
    ASSERT_EQ(doc.pages.size(), 2u);
    const report::Page& one = doc.pages[0];
    const report::Page& two = doc.pages[1];
    EXPECT_EQ(one.size, QSizeF(16838, 11906));
    EXPECT_EQ(one.orientation, report::Orientation::Portrait);

    const QString title = QStringLiteral("2003年05月开票单位排污数据及收费情况");
    for (const report::Page* page : {&one, &two}) {
        const report::TextItem* t = find(*page, title);
        ASSERT_TRUE(t) << "the title heads every page";
        EXPECT_EQ(t->box, QRectF(1000 + 4030, 500 + 28, 6624, 369));
        EXPECT_EQ(t->font.pointSize, 15.75);
        EXPECT_EQ(t->alignment, report::Alignment::Centre);
    }

    // The enterprise's heading under the title, its column headings, its first line.
    const double head = 500 + 600;
    struct At {
        const char* text;
        double left, top;
        report::Alignment alignment;
    };
    const At heading[] = {
        {"排污单位：", 0, 0, report::Alignment::Left},
        {"甲化工厂", 1020, 0, report::Alignment::Left},
        {"编号：", 11565, 0, report::Alignment::Left},
        {"0012", 12302, 0, report::Alignment::Left},
        {"名称", 907, 227, report::Alignment::Left},
        {"排污口", 2920, 227, report::Alignment::Left},
        {"类型", 3600, 227, report::Alignment::Left},
        {"数据", 4138, 227, report::Alignment::Left},
        {"收费金额", 9724, 227, report::Alignment::Right},
        {"提高收费", 10997, 227, report::Alignment::Right},
        {"加倍收费", 12189, 227, report::Alignment::Right},
        {"合计", 13423, 227, report::Alignment::Right},
        {"W1", 28, 452, report::Alignment::Left},
        {"化学需氧量", 907, 452, report::Alignment::Left},
        {"1", 2920, 452, report::Alignment::Centre},
        {"3", 3600, 452, report::Alignment::Centre},
        {"A:12.5,B:0 (5月)", 4138, 452, report::Alignment::Left},
        {"￥1,234.50", 9694, 452, report::Alignment::Right},
        {"￥0.00", 11027, 452, report::Alignment::Right},
        {"￥0.00", 12204, 452, report::Alignment::Right},
        {"￥1,234.50", 13408, 452, report::Alignment::Right},
    };
    for (const At& a : heading) {
        const QString text = QString::fromUtf8(a.text);
        const report::TextItem* t = nullptr;
        for (int n = 0; (t = find(one, text, n)); ++n)
            if (t->box.topLeft() == QPointF(1000 + a.left, head + a.top))
                break;
        ASSERT_TRUE(t) << a.text << " at " << a.left << "," << a.top;
        EXPECT_EQ(t->alignment, a.alignment) << a.text;
    }
    EXPECT_EQ(find(one, "编号")->box.topLeft(), QPointF(1000, head + 227));

    // The lines that do not fit go on over the next page, below its title.
    const int first = count(one, QStringLiteral("A:12.5,B:0 (5月)"));
    EXPECT_GT(first, 30);
    EXPECT_EQ(first + count(two, QStringLiteral("A:12.5,B:0 (5月)")), 50);
    EXPECT_EQ(find(two, QStringLiteral("A:12.5,B:0 (5月)"))->box.top(), head);

    // Totals: the sum of HeJi, a Null one shown empty and not counted; a long text grows downwards.
    EXPECT_TRUE(find(two, QStringLiteral("￥61,725.00")));
    EXPECT_EQ(find(two, QStringLiteral("￥61,725.00"))->alignment, report::Alignment::Right);
    EXPECT_TRUE(find(two, QStringLiteral("￥0.50")));
    EXPECT_TRUE(find(two, QStringLiteral("￥3.00"), 1)) << "the line and the total of the second enterprise";
    const report::TextItem* longText = nullptr;
    for (const report::TextItem& t : two.texts)
        if (t.text.startsWith(QStringLiteral("长长")))
            longText = &t;
    ASSERT_TRUE(longText);
    EXPECT_TRUE(longText->wraps);
    EXPECT_GT(longText->box.height(), 165);

    // Page numbers and the date of printing at the foot of each page.
    const QString printed = convert::formatLongDate(QDate::currentDate()) + QStringLiteral("打印");
    const double foot = 11906 - 500 - 345 + 85;
    for (int p = 0; p < 2; ++p) {
        const report::Page& page = doc.pages[p];
        const report::TextItem* number = find(page, QStringLiteral("第%1页/").arg(p + 1));
        ASSERT_TRUE(number);
        EXPECT_EQ(number->box.topLeft(), QPointF(1000 + 6180, foot));
        ASSERT_TRUE(find(page, QStringLiteral("总2页")));
        EXPECT_EQ(find(page, QStringLiteral("总2页"))->box.topLeft(), QPointF(1000 + 6973, foot));
        ASSERT_TRUE(find(page, printed));
    }
}

TEST_F(FeeListReport, AnEmptyListStillPrintsItsPageAndARenderErrorUnloadsTheDataEnvironment)
{
    const report::Document doc = feeList::render(Module1::gWorkMonth);
    ASSERT_EQ(doc.pages.size(), 1u);
    EXPECT_TRUE(find(doc.pages[0], QStringLiteral("2003年05月开票单位排污数据及收费情况")));
    EXPECT_TRUE(find(doc.pages[0], QStringLiteral("总1页")));

    fixtures::exec(folder->data("qelvdataPrint2003_5.mdb"), QStringLiteral("drop table ShuJu"));
    EXPECT_THROW(feeList::render(Module1::gWorkMonth), platform::Error);
    EXPECT_FALSE(DataEnv::isLoaded());
}

} // namespace
