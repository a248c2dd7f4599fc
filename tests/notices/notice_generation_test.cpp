#include "qelv/core/capitals.h"
#include "qelv/invoicing/invoice_generator.h"
#include "tests/fixtures/sqlite_probe.h"
#include "tests/notices/notice_fixture.h"

#include <functional>
#include <gtest/gtest.h>

namespace {

const QString E = QStringLiteral("1001");

QString may(const char* item, const char* amount)
{
    return QStringLiteral("%1(2003年05月)|%2").arg(QString::fromUtf8(item), QString::fromLatin1(amount));
}

class NoticeGeneration : public fixtures::NoticeMonth { };
class NoticeLines;

// One enterprise set up as the case says; its lines in order ("序号|项目|金额", the total row last),
// whether it gets a notice header, and the marks of its ledger rows after the run.
struct LineCase {
    const char* name;
    std::function<void(NoticeLines&)> setUp;
    QStringList lines;
    bool header;
    std::vector<int> marks;
};

class NoticeLines : public NoticeGeneration, public ::testing::WithParamInterface<LineCase> {
public:
    using NoticeGeneration::assign;
    using NoticeGeneration::enterprise;
    using NoticeGeneration::ledgerRow;
    using NoticeGeneration::ledgers;
};

TEST_P(NoticeLines, AreWrittenAsTheFeesGiveThem)
{
    const LineCase& c = GetParam();
    c.setUp(*this);
    const auto result = generateNotices({E});
    EXPECT_EQ(result.processed, 1);
    EXPECT_EQ(noticeLines(E), c.lines);
    EXPECT_EQ(!noticeHeader(E).empty(), c.header);
    EXPECT_EQ(ledgerMarks(E), c.marks);
}

void lateFeesOn(NoticeGeneration&, int grace)
{
    Module1::gLateFeeOn = true;
    Module1::gLateFeeStartDays = static_cast<std::int16_t>(grace);
    Module1::gLateFeeRate = 0.0005f;
}

const LineCase lineCases[] = {
    {"SeparateItemBesideTheCategory",
     [](NoticeLines& t) {
         t.enterprise(E, QStringLiteral("甲厂"));
         t.assign(E, QStringLiteral("W1"), QStringLiteral("COD"), 1, 1, QStringLiteral("废水"), "100");
         t.assign(E, QStringLiteral("W2"), QStringLiteral("氨氮"), 1, 1, QStringLiteral("废水"), "40", "0", "0", true);
         t.assign(E, QStringLiteral("W3"), QStringLiteral("悬浮物"), 1, 2, QStringLiteral("废水"), "20");
     },
     {QStringLiteral("1|") + may("氨氮", "40.00"), QStringLiteral("2|") + may("废水收费", "120.00"),
      QStringLiteral("合计|壹佰陆拾元整|160.00")},
     true,
     {}},
    {"CalculationCategoryTwoKeepsTheLargestOnAnOutlet",
     [](NoticeLines& t) {
         t.enterprise(E, QStringLiteral("甲厂"));
         t.assign(E, QStringLiteral("W1"), QStringLiteral("甲"), 2, 1, QStringLiteral("废气"), "50");
         t.assign(E, QStringLiteral("W2"), QStringLiteral("乙"), 2, 1, QStringLiteral("废气"), "30");
     },
     {QStringLiteral("1|") + may("废气收费", "50.00"), QStringLiteral("合计|伍拾元整|50.00")},
     true,
     {}},
    {"CalculationCategoryTwoInTheOtherOrder",
     [](NoticeLines& t) {
         t.enterprise(E, QStringLiteral("甲厂"));
         t.assign(E, QStringLiteral("W1"), QStringLiteral("甲"), 2, 1, QStringLiteral("废气"), "30");
         t.assign(E, QStringLiteral("W2"), QStringLiteral("乙"), 2, 1, QStringLiteral("废气"), "50");
     },
     {QStringLiteral("1|") + may("废气收费", "50.00"), QStringLiteral("合计|伍拾元整|50.00")},
     true,
     {}},
    {"EqualSumsKeepTheFirstVisited",
     [](NoticeLines& t) {
         t.enterprise(E, QStringLiteral("甲厂"));
         t.assign(E, QStringLiteral("W1"), QStringLiteral("甲"), 2, 1, QStringLiteral("废气"), "30");
         t.assign(E, QStringLiteral("W2"), QStringLiteral("乙"), 2, 1, QStringLiteral("废气"), "20", "10");
     },
     {QStringLiteral("1|") + may("废气收费", "30.00"), QStringLiteral("合计|叁拾元整|30.00")},
     true,
     {}},
    {"TwoOutletsBothCount",
     [](NoticeLines& t) {
         t.enterprise(E, QStringLiteral("甲厂"));
         t.assign(E, QStringLiteral("W1"), QStringLiteral("甲"), 2, 1, QStringLiteral("废气"), "30");
         t.assign(E, QStringLiteral("W2"), QStringLiteral("乙"), 2, 2, QStringLiteral("废气"), "50");
     },
     {QStringLiteral("1|") + may("废气收费", "80.00"), QStringLiteral("合计|捌拾元整|80.00")},
     true,
     {}},
    {"DoubledAndRaisedChargesOnlyOnTheirOwnLines",
     [](NoticeLines& t) {
         t.enterprise(E, QStringLiteral("甲厂"));
         t.assign(E, QStringLiteral("W1"), QStringLiteral("甲"), 1, 1, QStringLiteral("废水"), "10", "5", "0", true);
         t.assign(E, QStringLiteral("W2"), QStringLiteral("乙"), 2, 1, QStringLiteral("废渣"), "7", "2", "1");
     },
     {QStringLiteral("1|") + may("甲", "10.00"), QStringLiteral("2|") + may("废渣收费", "7.00"),
      QStringLiteral("3|") + may("加倍收费", "7.00"), QStringLiteral("4|") + may("提高征收", "1.00"),
      QStringLiteral("合计|贰拾伍元整|25.00")},
     true,
     {}},
    {"ANegativeSeparateItemHasNoLineAndLowersTheTotal",
     [](NoticeLines& t) {
         t.enterprise(E, QStringLiteral("甲厂"));
         t.assign(E, QStringLiteral("W1"), QStringLiteral("甲"), 1, 1, QStringLiteral("废水"), "-10", "0", "0", true);
         t.assign(E, QStringLiteral("W2"), QStringLiteral("乙"), 1, 1, QStringLiteral("废水"), "30");
         t.assign(E, QStringLiteral("W3"), QStringLiteral("丙"), 1, 1, QStringLiteral("废水"), "0", "0", "0", true);
     },
     {QStringLiteral("1|") + may("废水收费", "30.00"), QStringLiteral("合计|贰拾元整|20.00")},
     true,
     {}},
    {"TheTotalIsToppedUpToTheMinimum",
     [](NoticeLines& t) {
         t.enterprise(E, QStringLiteral("甲厂"), QStringLiteral("50"), true, 2);
         t.assign(E, QStringLiteral("W1"), QStringLiteral("甲"), 1, 1, QStringLiteral("噪声"), "80");
     },
     {QStringLiteral("1|") + may("噪声收费", "80.00"), QStringLiteral("2|") + may("补充最少收费金额", "20.00"),
      QStringLiteral("合计|壹佰元整|100.00")},
     true,
     {}},
    {"ANothingIsNotToppedUp",
     [](NoticeLines& t) { t.enterprise(E, QStringLiteral("甲厂"), QStringLiteral("50"), true, 2); },
     {QStringLiteral("合计|整|0.00")},
     false,
     {}},
    {"AMinimumAtPartsOfAFenIsTakenAtWholeFen",
     [](NoticeLines& t) {
         t.enterprise(E, QStringLiteral("甲厂"), QStringLiteral("33.335"));
         t.assign(E, QStringLiteral("W1"), QStringLiteral("甲"), 1, 1, QStringLiteral("其它"), "10");
     },
     {QStringLiteral("1|") + may("其它收费", "10.00"), QStringLiteral("2|") + may("补充最少收费金额", "23.34"),
      QStringLiteral("合计|叁拾叁元叁角肆分整|33.34")},
     true,
     {}},
    {"ARemarkIsThePeriod",
     [](NoticeLines& t) {
         t.enterprise(E, QStringLiteral("甲厂"), QStringLiteral("50"), true, 1, QStringLiteral("2003年1-3月"));
         t.assign(E, QStringLiteral("W1"), QStringLiteral("甲"), 1, 1, QStringLiteral("废水"), "20");
     },
     {QStringLiteral("1|废水收费(2003年1-3月)|20.00"), QStringLiteral("2|补充最少收费金额(2003年1-3月)|30.00"),
      QStringLiteral("合计|伍拾元整|50.00")},
     true,
     {}},
    {"AnEmptyRemarkGivesTheMonth",
     [](NoticeLines& t) {
         t.enterprise(E, QStringLiteral("甲厂"), QVariant(), true, 1, QStringLiteral(""));
         t.assign(E, QStringLiteral("W1"), QStringLiteral("甲"), 1, 1, QStringLiteral("废水"), "20");
     },
     {QStringLiteral("1|") + may("废水收费", "20.00"), QStringLiteral("合计|贰拾元整|20.00")},
     true,
     {}},
    {"UnpaidAndPaidLateRowsGiveTheLateFee",
     [](NoticeLines& t) {
         lateFeesOn(t, 10);
         t.enterprise(E, QStringLiteral("甲厂"));
         t.assign(E, QStringLiteral("W1"), QStringLiteral("甲"), 1, 1, QStringLiteral("废水"), "100");
         // 1000.00 unpaid, its invoice 40 days before: 30 days at 0.0005 give 15.00.
         t.ledgerRow(E, QDate(2003, 4, 21), "1000");
         // 2000.00 paid 30 days after its invoice: 20 days at 0.0005 give 20.00.
         t.ledgerRow(E, QDate(2003, 2, 1), "2000", QDate(2003, 3, 3));
     },
     {QStringLiteral("1|") + may("废水收费", "100.00"), QStringLiteral("2|") + may("滞纳金", "35.00"),
      QStringLiteral("合计|壹佰叁拾伍元整|135.00")},
     true,
     {0, 1}},
    {"RowsWithACollectionDocumentNeverCount",
     [](NoticeLines& t) {
         lateFeesOn(t, 10);
         t.enterprise(E, QStringLiteral("甲厂"));
         t.assign(E, QStringLiteral("W1"), QStringLiteral("甲"), 1, 1, QStringLiteral("废水"), "100");
         t.ledgerRow(E, QDate(2003, 4, 21), "1000");
         t.ledgerRow(E, QDate(2003, 2, 1), "2000", QDate(2003, 3, 3));
         t.ledgers->execute(QStringLiteral("update ZNJ1001 set PiaoJuLeiXing = 1"));
     },
     {QStringLiteral("1|") + may("废水收费", "100.00"), QStringLiteral("合计|壹佰元整|100.00")},
     true,
     {0, 0}},
    {"PaidLateRowsAloneGiveNothingAndStayUnmarked",
     [](NoticeLines& t) {
         lateFeesOn(t, 10);
         t.enterprise(E, QStringLiteral("甲厂"));
         t.assign(E, QStringLiteral("W1"), QStringLiteral("甲"), 1, 1, QStringLiteral("废水"), "100");
         t.ledgerRow(E, QDate(2003, 2, 1), "2000", QDate(2003, 3, 3));
     },
     {QStringLiteral("1|") + may("废水收费", "100.00"), QStringLiteral("合计|壹佰元整|100.00")},
     true,
     {0}},
    {"ALateFeeOfPartsOfAFenIsTakenAtWholeFen",
     [](NoticeLines& t) {
         // 1225.00 unpaid for one day at 0.001: 1.2250, taken as 1.22 (halves to even).
         Module1::gLateFeeOn = true;
         Module1::gLateFeeStartDays = 0;
         Module1::gLateFeeRate = 0.001f;
         t.enterprise(E, QStringLiteral("甲厂"));
         t.assign(E, QStringLiteral("W1"), QStringLiteral("甲"), 1, 1, QStringLiteral("废水"), "10");
         t.ledgerRow(E, QDate(2003, 5, 30), "1225");
     },
     {QStringLiteral("1|") + may("废水收费", "10.00"), QStringLiteral("2|") + may("滞纳金", "1.22"),
      QStringLiteral("合计|壹拾壹元贰角贰分整|11.22")},
     true,
     {0}},
    {"ALateFeeBelowHalfAFenGivesNoNotice",
     [](NoticeLines& t) {
         Module1::gLateFeeOn = true;
         Module1::gLateFeeStartDays = 0;
         Module1::gLateFeeRate = 0.001f;
         t.enterprise(E, QStringLiteral("甲厂"));
         t.ledgerRow(E, QDate(2003, 5, 30), "4");
     },
     {QStringLiteral("合计|整|0.00")},
     false,
     {0}},
    {"AnEnterpriseWithoutAssignments",
     [](NoticeLines& t) { t.enterprise(E, QStringLiteral("甲厂")); },
     {QStringLiteral("合计|整|0.00")},
     false,
     {}},
};

INSTANTIATE_TEST_SUITE_P(Cases, NoticeLines, ::testing::ValuesIn(lineCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(NoticeGeneration, IdsRunOverTheEnterprisesAndTheHeaderCarriesTheTexts)
{
    enterprise(QStringLiteral("1001"), QStringLiteral("甲厂"));
    assign(QStringLiteral("1001"), QStringLiteral("W1"), QStringLiteral("甲"), 1, 1, QStringLiteral("废水"), "1005.5");
    assign(QStringLiteral("1001"), QStringLiteral("W2"), QStringLiteral("乙"), 1, 1, QStringLiteral("废气"), "0");
    enterprise(QStringLiteral("1002"), QStringLiteral("乙厂"));
    enterprise(QStringLiteral("1003"), QStringLiteral("丙厂"));
    assign(QStringLiteral("1003"), QStringLiteral("W1"), QStringLiteral("甲"), 1, 1, QStringLiteral("废水"), "1", "1");

    const auto result = generateNotices({QStringLiteral("1001"), QStringLiteral("1002"), QStringLiteral("1003")});
    EXPECT_EQ(result.processed, 3);
    EXPECT_EQ(result.notices, 2);
    EXPECT_EQ(notices::closingMessage(result), QStringLiteral("共生成 3 张通知单！"));

    auto rs = notices->openRecordset(QStringLiteral("select ID, DanWeiBianHao, 序号 from MX order by rowid"));
    QStringList ids;
    for (; !rs->isEOF(); rs->moveNext())
        ids << QStringLiteral("%1:%2:%3")
                   .arg(rs->value(0).toString(), rs->value(1).toString(), rs->value(2).toString());
    EXPECT_EQ(ids, (QStringList{"1:1001:1", "2:1001:合计", "3:1002:合计", "4:1003:1", "5:1003:2", "6:1003:合计"}));

    const auto h = noticeHeader(QStringLiteral("1001"));
    const std::map<QString, QString> expected{
        {QStringLiteral("DanWeiBianHao"), QStringLiteral("1001")},
        {QStringLiteral("DanWeiQuangCheng"), QStringLiteral("厂1001")},
        {QStringLiteral("FaLvFaGui"), QStringLiteral("法规")},
        {QStringLiteral("YingJiaoKuang"), QStringLiteral("2003年05月应缴纳排污费人民币壹仟零伍元伍角整")},
        {QStringLiteral("NianYueQiKuangMingXi"), QStringLiteral("2003年05月份排污情况明细表")},
        {QStringLiteral("NianYueJiaoKuangMingXi"), QStringLiteral("2003年05月份应缴纳排污费明细表　　　（单位：元）")},
        {QStringLiteral("JiaoKuangQiXian"), QStringLiteral("期限")},
        {QStringLiteral("KaiHuiYinHang"), QStringLiteral("银行")},
        {QStringLiteral("ZhangHao"), QStringLiteral("账号")},
        {QStringLiteral("YiYi"), QStringLiteral("异议")},
        {QStringLiteral("DianHua"), QStringLiteral("电话")},
        {QStringLiteral("ShouKuanDanWei"), QStringLiteral("收款单位")},
        {QStringLiteral("TongZhiRiQi"), QStringLiteral("2003年05月31日")},
        {QStringLiteral("JingBanRen"), QStringLiteral("张三")},
        {QStringLiteral("JiaoDuiRen"), QStringLiteral("李四")},
    };
    EXPECT_EQ(h, expected);
    EXPECT_EQ(noticeLines(QStringLiteral("1001")).last(), QStringLiteral("合计|壹仟零伍元伍角整|1005.50"));
}

TEST_F(NoticeGeneration, QuotesInNamesAndRemarksAreWrittenAsTheyStand)
{
    enterprise(QStringLiteral("10'1"), QStringLiteral("O'Brien"), QVariant(), true, 1, QStringLiteral("5'月"));
    assign(QStringLiteral("10'1"), QStringLiteral("W1"), QStringLiteral("C'OD"), 1, 1, QStringLiteral("废水"), "3", "0",
           "0", true);
    QList<notices::ListedEnterprise> list{{QStringLiteral("10'1"), QStringLiteral("O'Brien"), false}};
    auto files = notices::RunFiles::open(Module1::gWorkMonth);
    notices::NoticeGenerator(*files, notices::RunState::fromModule1(), texts).run(list, false);
    EXPECT_EQ(noticeLines(QStringLiteral("10'1")),
              (QStringList{QStringLiteral("1|C'OD(5'月)|3.00"), QStringLiteral("合计|叁元整|3.00")}));
    EXPECT_EQ(noticeHeader(QStringLiteral("10'1")).at(QStringLiteral("DanWeiQuangCheng")), QStringLiteral("O'Brien"));
    EXPECT_EQ(detailRows(QStringLiteral("10'1")), QStringList{QStringLiteral("1|C'OD|v1:0 (5'月)")});
}

TEST_F(NoticeGeneration, NoticeAndInvoiceCarryTheSameTotalAndLateFee)
{
    setLinesPerInvoice(8);
    Module1::gLateFeeOn = true;
    Module1::gLateFeeStartDays = 5;
    Module1::gLateFeeRate = 0.0007f;
    enterprise(E, QStringLiteral("甲厂"), QStringLiteral("12.345"), true, 3);
    assign(E, QStringLiteral("W1"), QStringLiteral("甲"), 1, 1, QStringLiteral("废水"), "17.17", "3.33");
    assign(E, QStringLiteral("W2"), QStringLiteral("乙"), 2, 1, QStringLiteral("废气"), "2.5", "0", "1.01");
    ledgerRow(E, QDate(2003, 3, 17), "1234.56");
    ledgerRow(E, QDate(2003, 4, 13), "777.77");

    generateNotices({E});
    auto runFiles = invoicing::RunFiles::open(Module1::gWorkMonth);
    invoicing::InvoiceGenerator(*runFiles, invoicing::RunState::fromModule1())
        .run({invoicing::ListedEnterprise{E, false}}, false);
    const QVariant invoiceTotal = print->scalar(QStringLiteral("select 小写合计 from KPDW"));
    const QVariant invoiceLateFee = print->scalar(QStringLiteral("select znj from KPDW"));
    const QStringList lines = noticeLines(E);
    EXPECT_EQ(lines.last().section(QLatin1Char('|'), 2), invoiceTotal.toString());
    const QString lateLine = lines[lines.size() - 2];
    ASSERT_TRUE(lateLine.startsWith(QStringLiteral("6|滞纳金"))) << lateLine.toStdString();
    EXPECT_EQ(convert::Currency::fromText(lateLine.section(QLatin1Char('|'), 2)),
              convert::Currency::fromText(invoiceLateFee.toString()));
    EXPECT_EQ(noticeHeader(E).at(QStringLiteral("YingJiaoKuang")),
              QStringLiteral("2003年05月应缴纳排污费人民币") +
                  print->scalar(QStringLiteral("select 大写合计 from KPDW")).toString());
}

TEST_F(NoticeGeneration, ARunThatStopsAtItsThirdEnterpriseLeavesNothing)
{
    Module1::gLateFeeOn = true;
    Module1::gLateFeeStartDays = 10;
    fixtures::exec(folder->data(dataFiles::monthNotices(Module1::gWorkMonth)),
                   QStringLiteral("INSERT INTO tzdw (DanWeiBianHao) VALUES ('0999'); INSERT INTO MX (ID) VALUES (1);"
                                  "INSERT INTO WuRanWuMingXi (DanWeiBianHao) VALUES ('0999');"));
    for (const char* n : {"1001", "1002"}) {
        const QString number = QString::fromLatin1(n);
        enterprise(number, QStringLiteral("厂"));
        assign(number, QStringLiteral("W1"), QStringLiteral("甲"), 1, 1, QStringLiteral("废水"), "10");
        ledgerRow(number, QDate(2003, 4, 1), "100");
        ledgerRow(number, QDate(2003, 3, 1), "100", QDate(2003, 5, 1));
    }
    enterprise(QStringLiteral("1003"), QStringLiteral("丙厂"));
    assign(QStringLiteral("1003"), QStringLiteral("W1"), QStringLiteral("甲"), 1, 1, QStringLiteral("废水"), "10", "0",
           "0", false, false);

    try {
        generateNotices({QStringLiteral("1001"), QStringLiteral("1002"), QStringLiteral("1003")});
        FAIL() << "the run did not stop";
    } catch (const notices::GenerationError& e) {
        EXPECT_TRUE(e.description().contains(QStringLiteral("1003"))) << e.description().toStdString();
        EXPECT_TRUE(e.description().contains(QStringLiteral("WRW1003W11"))) << e.description().toStdString();
    }
    EXPECT_EQ(noticeCount("tzdw"), 0);
    EXPECT_EQ(noticeCount("MX"), 0);
    EXPECT_EQ(noticeCount("WuRanWuMingXi"), 0);
    EXPECT_EQ(ledgerMarks(QStringLiteral("1001")), (std::vector<int>{0, 0}));
    EXPECT_EQ(ledgerMarks(QStringLiteral("1002")), (std::vector<int>{0, 0}));
    // The ledger file is let go of: the next run attaches it again and charges the late payments.
    EXPECT_NO_THROW(generateNotices({QStringLiteral("1001")}));
    EXPECT_EQ(ledgerMarks(QStringLiteral("1001")), (std::vector<int>{0, 1}));
}

// The files a run only reads are read inside a transaction of their own while it runs; whether it ends
// or stops, none is left open to hold its file locked against the windows that write it next.
TEST_F(NoticeGeneration, TheFilesItOnlyReadsAreLetGoOfWhetherItEndsOrStops)
{
    enterprise(E, QStringLiteral("甲厂"));
    assign(E, QStringLiteral("W1"), QStringLiteral("甲"), 1, 1, QStringLiteral("废水"), "10");
    enterprise(QStringLiteral("1003"), QStringLiteral("丙厂"));
    assign(QStringLiteral("1003"), QStringLiteral("W1"), QStringLiteral("甲"), 1, 1, QStringLiteral("废水"), "10", "0",
           "0", false, false);
    auto files = notices::RunFiles::open(Module1::gWorkMonth);
    const auto run = [&](const QString& number) {
        notices::NoticeGenerator(*files, notices::RunState::fromModule1(), texts)
            .run({notices::ListedEnterprise{number, QStringLiteral("厂"), false}}, false);
    };
    const auto noneOpen = [&] {
        for (db::Connection* c : {&files->enterprises, &files->discharge, &files->billing, &files->print})
            EXPECT_FALSE(c->inTransaction()) << c->path().toStdString();
    };
    run(E);
    noneOpen();
    EXPECT_EQ(noticeCount("MX"), 2);
    EXPECT_THROW(run(QStringLiteral("1003")), notices::GenerationError);
    noneOpen();
    // Another connection writes the enterprise file at once.
    db::Connection dw(db::DataFile{QString::fromLatin1(dataFiles::enterprises)});
    EXPECT_EQ(dw.execute(QStringLiteral("update dw set DanWeiQuangCheng = ? where DanWeiBianHao = ?"),
                         {QStringLiteral("甲厂二"), E}),
              1);
}

TEST_F(NoticeGeneration, AnEmptyListTouchesNothingAndNoTickEmptiesTheTables)
{
    fixtures::exec(folder->data(dataFiles::monthNotices(Module1::gWorkMonth)),
                   QStringLiteral("INSERT INTO tzdw (DanWeiBianHao) VALUES ('0999');"));
    enterprise(E, QStringLiteral("甲厂"));
    assign(E, QStringLiteral("W1"), QStringLiteral("甲"), 1, 1, QStringLiteral("废水"), "10");
    EXPECT_EQ(generateNotices({}).processed, 0);
    EXPECT_EQ(noticeCount("tzdw"), 1);
    const auto none = generateNotices({E}, true);
    EXPECT_EQ(none.processed, 0);
    EXPECT_EQ(notices::closingMessage(none), QStringLiteral("共生成 0 张通知单！"));
    EXPECT_EQ(noticeCount("tzdw"), 0);
    EXPECT_EQ(noticeCount("MX"), 0);
    const auto one = generateNotices({QStringLiteral("0000"), E}, true, {1});
    EXPECT_EQ(one.processed, 1);
    EXPECT_EQ(noticeCount("tzdw"), 1);
}

// --- generating the month again -----------------------------------------------------------------

// 1001 owes 1000.00 since 2003-04-01 and paid 2000.00 of 2003-03-01 on 2003-04-20: with 10 grace days
// at 0.0005 a day its notice and invoice of 2003-05-31 carry 25.00 for the unpaid invoice (50 days)
// and 40.00 for the late payment (40 days late).
class NoticeRegeneration : public NoticeGeneration {
protected:
    void SetUp() override
    {
        NoticeGeneration::SetUp();
        Module1::gLateFeeOn = true;
        Module1::gLateFeeStartDays = 10;
        Module1::gLateFeeRate = 0.0005f;
        enterprise(E, QStringLiteral("甲厂"));
        assign(E, QStringLiteral("W1"), QStringLiteral("甲"), 1, 1, QStringLiteral("废水"), "100");
        ledgerRow(E, QDate(2003, 4, 1), "1000");
        ledgerRow(E, QDate(2003, 3, 1), "2000", QDate(2003, 4, 20));
    }

    // The amount of the notice's late-fee line; empty without one.
    QString noticeLateFee()
    {
        for (const QString& line : noticeLines(E))
            if (line.section(QLatin1Char('|'), 1).startsWith(QStringLiteral("滞纳金")))
                return line.section(QLatin1Char('|'), 2);
        return QString();
    }

    QString invoiceLateFee()
    {
        auto files = invoicing::RunFiles::open(Module1::gWorkMonth);
        invoicing::InvoiceGenerator(*files, invoicing::RunState::fromModule1())
            .run({invoicing::ListedEnterprise{E, false}}, false);
        return print->scalar(QStringLiteral("select znj from KPDW where DanWeiBianHao = ?"), {E}).toString();
    }
};

TEST_F(NoticeRegeneration, NoticesGeneratedAgainCarryTheSameLateFees)
{
    generateNotices({E});
    EXPECT_EQ(noticeLateFee(), QStringLiteral("65.00"));
    EXPECT_EQ(ledgerMarks(E), (std::vector<int>{0, 1}));
    generateNotices({E});
    EXPECT_EQ(noticeLateFee(), QStringLiteral("65.00"));
    EXPECT_EQ(ledgerMarks(E), (std::vector<int>{0, 1}));
    // A run that leaves the enterprise out leaves its late payment uncharged, for the next run.
    generateNotices({E}, true);
    EXPECT_EQ(ledgerMarks(E), (std::vector<int>{0, 0}));
    generateNotices({E});
    EXPECT_EQ(noticeLateFee(), QStringLiteral("65.00"));

    // The invoices after the notices carry none of the late payments, however often generated, and
    // the notices generated again still carry them.
    EXPECT_EQ(invoiceLateFee(), QStringLiteral("25"));
    EXPECT_EQ(invoiceLateFee(), QStringLiteral("25"));
    EXPECT_EQ(ledgerMarks(E), (std::vector<int>{0, 1}));
    generateNotices({E});
    EXPECT_EQ(noticeLateFee(), QStringLiteral("65.00"));
    EXPECT_EQ(invoiceLateFee(), QStringLiteral("25"));
}

TEST_F(NoticeRegeneration, AfterTheInvoicesTheNoticesCarryNoneOfTheLatePayments)
{
    EXPECT_EQ(invoiceLateFee(), QStringLiteral("65"));
    generateNotices({E});
    EXPECT_EQ(noticeLateFee(), QStringLiteral("25.00"));
    EXPECT_EQ(invoiceLateFee(), QStringLiteral("65"));
    generateNotices({E});
    EXPECT_EQ(noticeLateFee(), QStringLiteral("25.00"));
    EXPECT_EQ(ledgerMarks(E), (std::vector<int>{0, 1}));
}

TEST_F(NoticeGeneration, ATotalFromTheEndOf32BitsOfFenStopsTheRun)
{
    enterprise(E, QStringLiteral("甲厂"));
    assign(E, QStringLiteral("W1"), QStringLiteral("甲"), 1, 1, QStringLiteral("废水"), "21474836.48");
    EXPECT_THROW(generateNotices({E}), notices::GenerationError);
    EXPECT_EQ(noticeCount("MX"), 0);
}

} // namespace
