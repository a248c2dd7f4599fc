#include "platform/convert/convert.h"
#include "platform/db/connection.h"
#include "qelv/core/data_files.h"
#include "qelv/invoicing/invoice_layout.h"
#include "tests/fixtures/program_folder.h"
#include "tests/fixtures/sqlite_probe.h"

#include <gtest/gtest.h>

namespace {

using invoicing::BandLimits;
using invoicing::InvoiceLayout;
using invoicing::LayoutUse;

struct LinesCase {
    const char* name;
    std::optional<BandLimits> limits;
    int lines;
};
void PrintTo(const LinesCase& c, std::ostream* os)
{
    *os << c.name;
}

class LinesPerInvoice : public ::testing::TestWithParam<LinesCase> { };

TEST_P(LinesPerInvoice, RoundTheRoomOverTheLineHeightHalvesUp)
{
    EXPECT_EQ(invoicing::linesPerInvoice(GetParam().limits), GetParam().lines);
}

INSTANTIATE_TEST_SUITE_P(Limits, LinesPerInvoice,
                         ::testing::Values(LinesCase{"NoBandLimits", std::nullopt, 6},
                                           LinesCase{"ExactlyEight", BandLimits{4000, 4800, 10400}, 8},
                                           LinesCase{"FourAndAHalf", BandLimits{1000, 1100, 1450}, 5},
                                           LinesCase{"JustBelowTheHalf", BandLimits{1000, 1100, 1449}, 4}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(LinesPerInvoiceErrors, EqualLimitsAndAnOversizedCountAreErrors)
{
    try {
        invoicing::linesPerInvoice(BandLimits{4000, 4000, 10400});
        FAIL() << "no error for a line of no height";
    } catch (const convert::Error& e) {
        EXPECT_EQ(e.description(), QStringLiteral("除数为零"));
    }
    try {
        invoicing::linesPerInvoice(BandLimits{0, 1, 40000});
        FAIL() << "no error for 40000 lines";
    } catch (const convert::Error& e) {
        EXPECT_EQ(e.description(), QStringLiteral("溢出"));
    }
}

class ShippedLayout : public fixtures::ProgramFolderTest {
protected:
    QString file() const { return folder->data(QString::fromLatin1(dataFiles::printLayouts)); }
    InvoiceLayout read()
    {
        db::Connection conn(db::DataFile{QString::fromLatin1(dataFiles::printLayouts)});
        return InvoiceLayout::read(conn);
    }
};

TEST_F(ShippedLayout, HoldsEveryNameThePrintTablesNeedAndAWholeNumberOfLines)
{
    const InvoiceLayout layout = read();
    EXPECT_TRUE(invoicing::layoutProblems(layout, LayoutUse::Printing).isEmpty())
        << invoicing::layoutProblems(layout, LayoutUse::Printing).join(QLatin1Char('\n')).toStdString();
    QStringList header, lines;
    for (const auto& f : layout.fieldsOf({invoicing::Header, invoicing::Footer}))
        header << f.name.toString();
    for (const auto& f : layout.fieldsOf({invoicing::Line}))
        lines << f.name.toString();
    for (const char* n : {"缴款单位", "年", "月", "日", "大写合计", "小写合计", "收款单位", "审核", "经办人", "znj"})
        EXPECT_TRUE(header.contains(QString::fromUtf8(n))) << n;
    for (const char* n : {"序号", "项目", "千万", "百万", "十万", "万", "千", "百", "十", "元", "角", "分"})
        EXPECT_TRUE(lines.contains(QString::fromUtf8(n))) << n;

    ASSERT_TRUE(layout.limits);
    const double room = (layout.limits->footer - layout.limits->head) / (layout.limits->detail - layout.limits->head);
    EXPECT_EQ(room, 8.0);
    EXPECT_EQ(invoicing::linesPerInvoice(layout.limits), 8);
    ASSERT_TRUE(layout.paper);
    EXPECT_EQ(layout.paper->paperWidth, 24100);
    EXPECT_EQ(layout.paper->paperHeight, 14000);
    EXPECT_LE(layout.limits->footer, layout.paper->pictureHeight);
    // Every field lies on the picture, each line field within the first fee line.
    for (const auto& f : layout.fields) {
        EXPECT_LE(f.left + f.width, layout.paper->pictureWidth) << f.name.toString().toStdString();
        EXPECT_GE(f.width, 255) << f.name.toString().toStdString();
        if (f.band == invoicing::Line) {
            EXPECT_GE(f.top, layout.limits->head);
            EXPECT_LE(f.top + f.height, layout.limits->detail);
        }
    }
}

TEST_F(ShippedLayout, WithoutABandLimitsRowAnInvoiceHasSixLines)
{
    fixtures::exec(file(), QStringLiteral("DELETE FROM fpLine;"));
    const InvoiceLayout layout = read();
    EXPECT_FALSE(layout.limits);
    EXPECT_EQ(invoicing::linesPerInvoice(layout.limits), 6);
}

TEST_F(ShippedLayout, FieldsComeInIdOrderAndEmptyNumbersReadAsZero)
{
    fixtures::exec(file(), QStringLiteral("UPDATE fp SET ID = 40, FontSize = NULL, \"Left\" = NULL WHERE ID = 0;"));
    const InvoiceLayout layout = read();
    ASSERT_FALSE(layout.fields.isEmpty());
    for (int i = 1; i < layout.fields.size(); ++i)
        EXPECT_LT(layout.fields[i - 1].id, layout.fields[i].id);
    EXPECT_EQ(layout.fields.last().name.toString(), QStringLiteral("缴款单位"));
    EXPECT_EQ(layout.fields.last().fontSize, 0);
    EXPECT_EQ(layout.fields.last().left, 0);
}

// A layout the print tables cannot be made from, by the statement that spoils the shipped one.
struct RefusedLayout {
    const char* name;
    const char* sql;
    const char* reason; // a part of the message
};
void PrintTo(const RefusedLayout& c, std::ostream* os)
{
    *os << c.name;
}

const RefusedLayout refusedLayouts[] = {
    {"NoLineFields", "DELETE FROM fp WHERE LeiXing = 2;", "明细行"},
    {"NoHeaderOrFooterFields", "DELETE FROM fp WHERE LeiXing IN (1, 3);", "表头和表尾"},
    {"FieldWithoutName", "UPDATE fp SET Name = NULL WHERE ID = 5;", "没有名称"},
    {"FieldWithEmptyName", "UPDATE fp SET Name = '' WHERE ID = 17;", "没有名称"},
    {"SameNameInHeaderAndFooter", "UPDATE fp SET Name = '缴款单位' WHERE ID = 19;", "缴款单位"},
    {"SameNameInAnotherCase", "UPDATE fp SET Name = 'ZNJ' WHERE ID = 20;", "ZNJ"},
    {"SameLineNameTwice", "UPDATE fp SET Name = '项目' WHERE ID = 4;", "项目"},
    {"EnterpriseNumberInTheHeader", "UPDATE fp SET Name = 'DanWeiBianHao' WHERE ID = 0;", "DanWeiBianHao"},
    {"EnterpriseNumberInTheLines", "UPDATE fp SET Name = 'danweibianhao' WHERE ID = 5;", "danweibianhao"},
    {"LineIdField", "UPDATE fp SET Name = 'ID' WHERE ID = 4;", "ID"},
};

class RefusedLayouts : public ShippedLayout, public ::testing::WithParamInterface<RefusedLayout> { };

TEST_P(RefusedLayouts, AreRefusedForThePrintTablesWithTheReason)
{
    fixtures::exec(file(), QString::fromUtf8(GetParam().sql));
    const QStringList problems = invoicing::layoutProblems(read(), LayoutUse::PrintTables);
    ASSERT_FALSE(problems.isEmpty());
    EXPECT_TRUE(problems.join(QLatin1Char('\n')).contains(QString::fromUtf8(GetParam().reason)))
        << problems.join(QLatin1Char('\n')).toStdString();
}

INSTANTIATE_TEST_SUITE_P(Layouts, RefusedLayouts, ::testing::ValuesIn(refusedLayouts),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(ShippedLayout, AHeaderFieldNamedIdIsAnOrdinaryColumn)
{
    fixtures::exec(file(), QStringLiteral("UPDATE fp SET Name = 'ID' WHERE ID = 19;"));
    EXPECT_TRUE(invoicing::layoutProblems(read(), LayoutUse::PrintTables).isEmpty());
}

struct PrintingCase {
    const char* name;
    const char* sql;
};
void PrintTo(const PrintingCase& c, std::ostream* os)
{
    *os << c.name;
}

class UnprintableLayouts : public ShippedLayout, public ::testing::WithParamInterface<PrintingCase> { };

// What printing needs beyond the print tables' columns; none of it stops the rebuild.
TEST_P(UnprintableLayouts, AreRefusedForPrintingOnly)
{
    fixtures::exec(file(), QString::fromUtf8(GetParam().sql));
    const InvoiceLayout layout = read();
    EXPECT_TRUE(invoicing::layoutProblems(layout, LayoutUse::PrintTables).isEmpty());
    EXPECT_FALSE(invoicing::layoutProblems(layout, LayoutUse::Printing).isEmpty());
}

INSTANTIATE_TEST_SUITE_P(
    Layouts, UnprintableLayouts,
    ::testing::Values(PrintingCase{"NoBandLimits", "DELETE FROM fpLine;"},
                      PrintingCase{"LineOfNoHeight", "UPDATE fpLine SET DetailHeigth = HeadHeigth;"},
                      PrintingCase{"NoPaper", "DELETE FROM fpPaperSize;"},
                      PrintingCase{"PictureOfNoWidth", "UPDATE fpPaperSize SET PictureWidth = 0;"},
                      PrintingCase{
                          "TwentyOneHeaderFields",
                          "INSERT INTO fp (ID, Name, LeiXing) SELECT 30 + ID, 'x' || ID, 1 FROM fp WHERE ID < 17;"}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
