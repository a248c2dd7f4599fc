#include "platform/convert/convert.h"
#include "platform/db/recordset.h"
#include "qelv/core/amount_digits.h"
#include "qelv/core/capitals.h"
#include "qelv/core/fee_items.h"
#include "qelv/core/late_fee_marks.h"
#include "qelv/invoicing/invoice_generator.h"
#include "qelv/invoicing/invoice_print_run.h"
#include "tests/fixtures/db_peer.h"
#include "tests/fixtures/sqlite_probe.h"
#include "tests/invoicing/month_fixture.h"

#include <QRandomGenerator>
#include <gtest/gtest.h>
#include <map>

namespace {

using invoicing::ListedEnterprise;

class Generation : public fixtures::InvoiceMonth {
protected:
    invoicing::RunResult generate(const QStringList& numbers, bool selectedOnly = false, const QList<int>& ticked = {})
    {
        QList<ListedEnterprise> list;
        for (int i = 0; i < numbers.size(); ++i)
            list << ListedEnterprise{numbers[i], ticked.contains(i)};
        auto files = invoicing::RunFiles::open(Module1::gWorkMonth);
        invoicing::InvoiceGenerator generator(*files, invoicing::RunState::fromModule1());
        return generator.run(list, selectedOnly);
    }

    // The enterprise's MX rows in ID order, each "序号|项目|digits" with the ten digit columns joined.
    QStringList lines(const QString& number)
    {
        QStringList out;
        auto rs =
            print->openRecordset(QStringLiteral("select * from MX where DanWeiBianHao = ? order by ID"), {number});
        for (; !rs->isEOF(); rs->moveNext()) {
            QString digits;
            for (const QString& c : amountDigits::columnNames())
                digits += rs->value(c).toString();
            out << QStringLiteral("%1|%2|%3")
                       .arg(rs->value(QStringLiteral("序号")).toString(), rs->value(QStringLiteral("项目")).toString(),
                            digits);
        }
        return out;
    }

    // Column -> value of the enterprise's KPDW row; empty without one.
    std::map<QString, QString> header(const QString& number)
    {
        std::map<QString, QString> out;
        auto rs = print->openRecordset(QStringLiteral("select * from KPDW where DanWeiBianHao = ?"), {number});
        if (rs->recordCount() > 1)
            ADD_FAILURE() << "two header rows";
        if (!rs->isEOF())
            for (int i = 0; i < rs->fieldCount(); ++i)
                out[rs->fieldName(i)] = rs->value(i).toString();
        return out;
    }

    QVariantList ids()
    {
        QVariantList out;
        auto rs = print->openRecordset(QStringLiteral("select ID from MX order by rowid"));
        for (; !rs->isEOF(); rs->moveNext())
            out << rs->value(0);
        return out;
    }

    int count(const char* table) { return print->scalar(QStringLiteral("select count(*) from %1").arg(table)).toInt(); }

    std::vector<int> marks(const QString& number)
    {
        std::vector<int> out;
        auto rs = ledgers->openRecordset(
            QStringLiteral("select ZNJYiShou from %1 order by rowid").arg(lateFeeLedger::tableName(number)));
        for (; !rs->isEOF(); rs->moveNext())
            out.push_back(rs->value(0).toInt());
        return out;
    }
};

const QString filler = QStringLiteral("*|         |          ");
QString may(const char* item)
{
    return QString::fromUtf8(item) + QStringLiteral("(2003年05月)");
}

// The enterprises of the month and the lines and header each gives, six lines to an invoice.
TEST_F(Generation, EachEnterpriseGivesItsLinesAndHeader)
{
    setLinesPerInvoice(6);
    // Calculation category 2 on outlet 1 keeps the largest assignment (50 over 30); on outlet 2 its
    // own; calculation category 1 adds up. In 废气 a tie keeps the first met.
    enterprise(QStringLiteral("1001"), QStringLiteral("O'Brien化工厂"));
    assign(QStringLiteral("1001"), QStringLiteral("W1"), QStringLiteral("甲"), 2, 1, QStringLiteral("废水"), "30");
    assign(QStringLiteral("1001"), QStringLiteral("W2"), QStringLiteral("乙"), 2, 1, QStringLiteral("废水"), "40",
           "10");
    assign(QStringLiteral("1001"), QStringLiteral("W3"), QStringLiteral("丙"), 2, 2, QStringLiteral("废水"), "5");
    assign(QStringLiteral("1001"), QStringLiteral("W4"), QStringLiteral("丁"), 1, 1, QStringLiteral("废水"), "20");
    assign(QStringLiteral("1001"), QStringLiteral("W5"), QStringLiteral("戊"), 2, 1, QStringLiteral("废气"), "50");
    assign(QStringLiteral("1001"), QStringLiteral("W6"), QStringLiteral("己"), 2, 1, QStringLiteral("废气"), "25", "0",
           "25");
    // Separate items: their own lines, their doubled and raised charges on the two lines of their
    // own; a category of separate items only has no category line; a separate item of 0 no line.
    enterprise(QStringLiteral("1002"), QStringLiteral("纸厂"), QVariant(), true, 1, QStringLiteral("2003年1-3月"));
    assign(QStringLiteral("1002"), QStringLiteral("W7"), QStringLiteral("C'OD"), 1, 1, QStringLiteral("废水"), "12.30",
           "5", "0", true);
    assign(QStringLiteral("1002"), QStringLiteral("W8"), QStringLiteral("烟尘"), 1, 1, QStringLiteral("废气"), "7", "0",
           "3", true);
    assign(QStringLiteral("1002"), QStringLiteral("W9"), QStringLiteral("粉尘"), 1, 2, QStringLiteral("废气"), "0", "0",
           "0", true);
    // The minimum: 80.00 topped up to 50 × 2; one of 33.335 a month is taken at 33.34.
    enterprise(QStringLiteral("1003"), QStringLiteral("砖厂"), QStringLiteral("50"), true, 2);
    assign(QStringLiteral("1003"), QStringLiteral("W1"), QStringLiteral("甲"), 1, 1, QStringLiteral("噪声"), "80");
    enterprise(QStringLiteral("1004"), QStringLiteral("空厂"));
    enterprise(QStringLiteral("1006"), QStringLiteral("小厂"), QStringLiteral("33.335"));
    assign(QStringLiteral("1006"), QStringLiteral("W1"), QStringLiteral("甲"), 1, 1, QStringLiteral("其它"), "10");

    const auto result = generate({QStringLiteral("1001"), QStringLiteral("1002"), QStringLiteral("1003"),
                                  QStringLiteral("1004"), QStringLiteral("1006")});
    EXPECT_EQ(result.taken, 5);
    EXPECT_EQ(result.invoices, 4);
    EXPECT_TRUE(result.tooLong.isEmpty());

    EXPECT_EQ(
        lines(QStringLiteral("1001")),
        (QStringList{QStringLiteral("1|") + may("废水") + QStringLiteral("|      6500"),
                     QStringLiteral("2|") + may("废气") + QStringLiteral("|      5000"),
                     QStringLiteral("3|") + may("加倍收费") + QStringLiteral("|      1000"), filler, filler, filler}));
    const auto h1 = header(QStringLiteral("1001"));
    EXPECT_EQ(h1.at(QStringLiteral("缴款单位")), QStringLiteral("O'Brien化工厂"));
    EXPECT_EQ(h1.at(QStringLiteral("小写合计")), QStringLiteral("125.00"));
    EXPECT_EQ(h1.at(QStringLiteral("大写合计")), QStringLiteral("壹佰贰拾伍元整"));
    EXPECT_EQ(h1.at(QStringLiteral("年")), QStringLiteral("2003"));
    EXPECT_EQ(h1.at(QStringLiteral("月")), QStringLiteral("6"));
    EXPECT_EQ(h1.at(QStringLiteral("日")), QStringLiteral("20"));
    EXPECT_EQ(h1.at(QStringLiteral("收款单位")), QStringLiteral(" "));
    EXPECT_EQ(h1.at(QStringLiteral("审核")), QStringLiteral(" "));
    EXPECT_EQ(h1.at(QStringLiteral("经办人")), QStringLiteral("张三"));
    EXPECT_EQ(h1.at(QStringLiteral("znj")), QStringLiteral("0"));

    const QString remark = QStringLiteral("(2003年1-3月)");
    EXPECT_EQ(lines(QStringLiteral("1002")),
              (QStringList{QStringLiteral("1|C'OD") + remark + QStringLiteral("|      1230"),
                           QStringLiteral("2|烟尘") + remark + QStringLiteral("|       700"),
                           QStringLiteral("3|加倍收费") + remark + QStringLiteral("|       500"),
                           QStringLiteral("4|提高收费") + remark + QStringLiteral("|       300"), filler, filler}));
    EXPECT_EQ(header(QStringLiteral("1002")).at(QStringLiteral("小写合计")), QStringLiteral("27.30"));

    EXPECT_EQ(lines(QStringLiteral("1003")),
              (QStringList{QStringLiteral("1|") + may("噪声") + QStringLiteral("|      8000"),
                           QStringLiteral("2|") + may("追加最少收费额") + QStringLiteral("|      2000"), filler, filler,
                           filler, filler}));
    EXPECT_EQ(header(QStringLiteral("1003")).at(QStringLiteral("小写合计")), QStringLiteral("100.00"));

    EXPECT_EQ(lines(QStringLiteral("1004")), QStringList(6, filler));
    EXPECT_TRUE(header(QStringLiteral("1004")).empty());

    EXPECT_EQ(lines(QStringLiteral("1006"))[1],
              QStringLiteral("2|") + may("追加最少收费额") + QStringLiteral("|      2334"));
    EXPECT_EQ(header(QStringLiteral("1006")).at(QStringLiteral("小写合计")), QStringLiteral("33.34"));

    // IDs run on over the enterprises, filler lines included.
    QVariantList expected;
    for (int i = 1; i <= 30; ++i)
        expected << i;
    EXPECT_EQ(ids(), expected);
}

TEST_F(Generation, TheLateFeeEntersAtWholeFenAndBelowHalfAFenGivesNoInvoice)
{
    setLinesPerInvoice(6);
    Module1::gLateFeeOn = true;
    // 1225.00 unpaid for one day at 0.001 a day: 1.2250, which the invoice takes as 1.22.
    enterprise(QStringLiteral("1005"), QStringLiteral("铁厂"));
    assign(QStringLiteral("1005"), QStringLiteral("W1"), QStringLiteral("甲"), 1, 1, QStringLiteral("废水"), "10");
    ledgerRow(QStringLiteral("1005"), QDate(2003, 6, 19), "1225");
    // 4.00 for one day: 0.0040, less than half a fen, its only amount.
    enterprise(QStringLiteral("1007"), QStringLiteral("木厂"));
    ledgerRow(QStringLiteral("1007"), QDate(2003, 6, 19), "4");

    const auto result = generate({QStringLiteral("1005"), QStringLiteral("1007")});
    EXPECT_EQ(result.invoices, 1);
    EXPECT_EQ(lines(QStringLiteral("1005")),
              (QStringList{QStringLiteral("1|") + may("废水") + QStringLiteral("|      1000"),
                           QStringLiteral("2|滞纳金|       122"), filler, filler, filler, filler}));
    const auto h = header(QStringLiteral("1005"));
    EXPECT_EQ(h.at(QStringLiteral("小写合计")), QStringLiteral("11.22"));
    EXPECT_EQ(h.at(QStringLiteral("大写合计")), QStringLiteral("壹拾壹元贰角贰分整"));
    EXPECT_EQ(h.at(QStringLiteral("znj")), QStringLiteral("1.22"));
    EXPECT_EQ(lines(QStringLiteral("1007")), QStringList(6, filler));
    EXPECT_TRUE(header(QStringLiteral("1007")).empty());

    // Switched off: no late-fee line and znj 0.
    Module1::gLateFeeOn = false;
    generate({QStringLiteral("1005")});
    EXPECT_EQ(lines(QStringLiteral("1005"))[1], filler);
    EXPECT_EQ(header(QStringLiteral("1005")).at(QStringLiteral("znj")), QStringLiteral("0"));
}

TEST_F(Generation, MoreLinesThanAFormHoldsGiveNoInvoiceAndKeepTheLatePaymentsUncharged)
{
    setLinesPerInvoice(6);
    Module1::gLateFeeOn = true;
    enterprise(QStringLiteral("1001"), QStringLiteral("甲厂"));
    assign(QStringLiteral("1001"), QStringLiteral("W1"), QStringLiteral("甲"), 1, 1, QStringLiteral("废水"), "10");
    enterprise(QStringLiteral("1008"), QStringLiteral("大厂"));
    for (int i = 1; i <= 7; ++i)
        assign(QStringLiteral("1008"), QStringLiteral("S%1").arg(i), QStringLiteral("项%1").arg(i), 1, i,
               QStringLiteral("废水"), "1", "0", "0", true);
    // Its eighth line is the late fee, which marks its paid-late row as charged.
    ledgerRow(QStringLiteral("1008"), QDate(2003, 6, 1), "100");
    ledgerRow(QStringLiteral("1008"), QDate(2003, 3, 1), "100", QDate(2003, 5, 1));
    enterprise(QStringLiteral("1009"), QStringLiteral("乙厂"));
    assign(QStringLiteral("1009"), QStringLiteral("W1"), QStringLiteral("甲"), 1, 1, QStringLiteral("废水"), "20");

    const auto result = generate({QStringLiteral("1001"), QStringLiteral("1008"), QStringLiteral("1009")});
    EXPECT_EQ(result.invoices, 2);
    EXPECT_EQ(result.tooLong, QStringList{QStringLiteral("1008 大厂（8 行）")});
    EXPECT_TRUE(lines(QStringLiteral("1008")).isEmpty());
    EXPECT_TRUE(header(QStringLiteral("1008")).empty());
    EXPECT_EQ(marks(QStringLiteral("1008")), (std::vector<int>{0, 0}));
    // The next enterprise's lines follow the first's without a gap.
    EXPECT_EQ(ids().size(), 12);
    EXPECT_EQ(ids().last().toInt(), 12);
    const QString message = invoicing::closingMessage(result);
    EXPECT_TRUE(message.startsWith(QStringLiteral("共生成 3 张发票！")));
    EXPECT_TRUE(message.contains(QStringLiteral("1008 大厂（8 行）")));
}

TEST_F(Generation, ARunThatStopsLeavesNoInvoicesAndNoLatePaymentCharged)
{
    Module1::gLateFeeOn = true;
    fixtures::exec(folder->data(dataFiles::monthInvoices(Module1::gWorkMonth)),
                   QStringLiteral("INSERT INTO KPDW (DanWeiBianHao) VALUES ('0999'); INSERT INTO MX (ID) VALUES (1);"));
    enterprise(QStringLiteral("1001"), QStringLiteral("甲厂"));
    assign(QStringLiteral("1001"), QStringLiteral("W1"), QStringLiteral("甲"), 1, 1, QStringLiteral("废水"), "10");
    ledgerRow(QStringLiteral("1001"), QDate(2003, 6, 1), "100");
    ledgerRow(QStringLiteral("1001"), QDate(2003, 3, 1), "100", QDate(2003, 5, 1));
    enterprise(QStringLiteral("1002"), QStringLiteral("乙厂"));
    assign(QStringLiteral("1002"), QStringLiteral("W1"), QStringLiteral("甲"), 1, 1, QStringLiteral("废水"), "10", "0",
           "0", false, false);

    try {
        generate({QStringLiteral("1001"), QStringLiteral("1002")});
        FAIL() << "the run did not stop";
    } catch (const invoicing::GenerationError& e) {
        EXPECT_TRUE(e.description().contains(QStringLiteral("1002"))) << e.description().toStdString();
        EXPECT_TRUE(e.description().contains(QStringLiteral("WRW1002W11"))) << e.description().toStdString();
    }
    EXPECT_EQ(count("KPDW"), 0);
    EXPECT_EQ(count("MX"), 0);
    EXPECT_EQ(marks(QStringLiteral("1001")), (std::vector<int>{0, 0}));
    // The ledger file is let go of: it can be attached by the next run.
    EXPECT_NO_THROW(generate({QStringLiteral("1001")}));
    EXPECT_EQ(marks(QStringLiteral("1001")), (std::vector<int>{0, 1}));
}

// Another program (the sqlite3 tool) writing to the ledger file: the run waits for it as for a file
// held in full, and names the ledger file, not the print file it writes first.
TEST_F(Generation, ALedgerFileAnotherProgramWritesIsWaitedForAndNamed)
{
    Module1::gLateFeeOn = true;
    enterprise(QStringLiteral("1001"), QStringLiteral("甲厂"));
    assign(QStringLiteral("1001"), QStringLiteral("W1"), QStringLiteral("甲"), 1, 1, QStringLiteral("废水"), "10");
    ledgerRow(QStringLiteral("1001"), QDate(2003, 6, 1), "100");
    ledgerRow(QStringLiteral("1001"), QDate(2003, 3, 1), "100", QDate(2003, 5, 1));
    const QString ledgerFile = folder->data(QString::fromLatin1(dataFiles::lateFeeLedgers));
    {
        fixtures::HeldFile held(ledgerFile);
        try {
            generate({QStringLiteral("1001")});
            ADD_FAILURE() << "generated while another program held the ledger file";
        } catch (const invoicing::GenerationError& e) {
            EXPECT_TRUE(e.description().contains(QStringLiteral("文件正在使用：") + ledgerFile + u'（'))
                << e.description().toStdString();
        }
        EXPECT_EQ(held.waits(), QStringList{ledgerFile});
    }
    EXPECT_EQ(count("KPDW"), 0);
    EXPECT_EQ(marks(QStringLiteral("1001")), (std::vector<int>{0, 0}));

    // Let go of while the run waits: the invoice is generated and its late payment charged.
    fixtures::HeldFile held(ledgerFile);
    held.releaseWhenWaitedFor();
    EXPECT_EQ(generate({QStringLiteral("1001")}).invoices, 1);
    EXPECT_EQ(held.waits(), QStringList{ledgerFile});
    EXPECT_EQ(count("KPDW"), 1);
    EXPECT_EQ(marks(QStringLiteral("1001")), (std::vector<int>{0, 1}));
}

TEST_F(Generation, AnEmptyListTouchesNothingAndNoTickEmptiesTheTables)
{
    fixtures::exec(folder->data(dataFiles::monthInvoices(Module1::gWorkMonth)),
                   QStringLiteral("INSERT INTO KPDW (DanWeiBianHao) VALUES ('0999');"));
    enterprise(QStringLiteral("1001"), QStringLiteral("甲厂"));
    assign(QStringLiteral("1001"), QStringLiteral("W1"), QStringLiteral("甲"), 1, 1, QStringLiteral("废水"), "10");
    EXPECT_EQ(generate({}).taken, 0);
    EXPECT_EQ(count("KPDW"), 1);
    const auto none = generate({QStringLiteral("1001")}, true);
    EXPECT_EQ(none.taken, 0);
    EXPECT_EQ(count("KPDW"), 0);
    EXPECT_EQ(count("MX"), 0);
    EXPECT_EQ(generate({QStringLiteral("0000"), QStringLiteral("1001")}, true, {1}).invoices, 1);
    EXPECT_EQ(header(QStringLiteral("1001")).at(QStringLiteral("小写合计")), QStringLiteral("10.00"));
}

// Over a month of random fees and late fees: every invoice's digit lines add up to its figures, and
// its capitals spell the same amount.
TEST_F(Generation, OverARandomMonthLinesFiguresAndCapitalsAgree)
{
    Module1::gLateFeeOn = true;
    Module1::gLateFeeRate = 0.0007f;
    QRandomGenerator random(20030520);
    const QStringList cats = feeItems::categories();
    QStringList numbers;
    for (int e = 0; e < 60; ++e) {
        const QString number = QStringLiteral("2%1").arg(e, 3, 10, QLatin1Char('0'));
        numbers << number;
        enterprise(number, QStringLiteral("厂%1").arg(e),
                   random.bounded(3) == 0
                       ? QVariant(QStringLiteral("%1.%2").arg(random.bounded(900)).arg(random.bounded(1000)))
                       : QVariant(),
                   true, 1 + random.bounded(3));
        const int assignments = random.bounded(6);
        for (int a = 0; a < assignments; ++a) {
            const QByteArray charge = QByteArray::number(random.bounded(200000) / 100.0, 'f', 2);
            const QByteArray doubled =
                QByteArray::number(random.bounded(3) == 0 ? random.bounded(5000) / 100.0 : 0, 'f', 2);
            assign(number, QStringLiteral("W%1").arg(a), QStringLiteral("污染物%1").arg(a), 1 + random.bounded(2),
                   1 + random.bounded(2), cats[random.bounded(2)], charge.constData(), doubled.constData(), "0",
                   random.bounded(4) == 0);
        }
        for (int r = 0; r < random.bounded(3); ++r)
            ledgerRow(number, QDate(2003, 6, 20).addDays(-1 - random.bounded(90)),
                      QByteArray::number(random.bounded(1000000) / 100.0, 'f', 2).constData());
    }
    const auto result = generate(numbers);
    ASSERT_GT(result.invoices, 20);
    auto rs = print->openRecordset(QStringLiteral("select * from KPDW"));
    for (; !rs->isEOF(); rs->moveNext()) {
        const QString number = rs->value(QStringLiteral("DanWeiBianHao")).toString();
        std::int64_t fen = 0;
        for (const QString& line : lines(number)) {
            const QString digits = line.section(QLatin1Char('|'), 2).trimmed();
            if (!digits.isEmpty())
                fen += digits.toLongLong();
        }
        const convert::Currency figures = convert::Currency::fromText(rs->value(QStringLiteral("小写合计")).toString());
        EXPECT_EQ(fen * 100, figures.units()) << number.toStdString();
        EXPECT_EQ(rs->value(QStringLiteral("大写合计")).toString(),
                  AmountToChineseCapitals(figures) + QStringLiteral("整"))
            << number.toStdString();
    }
}

// --- generating the month again -----------------------------------------------------------------

// Two enterprises that each owe 1000.00 since 2003-05-01 and paid 2000.00 of 2003-03-01 on 2003-04-20:
// with 10 grace days at 0.0005 a day their invoices of 2003-06-20 carry 20.00 for the unpaid invoice
// (40 days) and 40.00 for the late payment (40 days late).
class Regeneration : public Generation {
protected:
    void SetUp() override
    {
        Generation::SetUp();
        Module1::gLateFeeOn = true;
        Module1::gLateFeeStartDays = 10;
        Module1::gLateFeeRate = 0.0005f;
        for (const QString& n : both) {
            enterprise(n, QStringLiteral("厂") + n);
            assign(n, QStringLiteral("W1"), QStringLiteral("甲"), 1, 1, QStringLiteral("废水"), "100");
            ledgerRow(n, QDate(2003, 5, 1), "1000");
            ledgerRow(n, QDate(2003, 3, 1), "2000", QDate(2003, 4, 20));
        }
    }

    QString lateFee(const QString& number)
    {
        const auto h = header(number);
        return h.empty() ? QStringLiteral("<no invoice>") : h.at(QStringLiteral("znj"));
    }

    // What a print of the numbers first to last records, as the print run writes it once the printer
    // has taken the invoices.
    void recordPrint(std::int64_t first, std::int64_t last)
    {
        const invoicing::PrintLayout layout = invoicing::checkPrintLayout(false);
        const invoicing::InvoicePrint plan =
            invoicing::planInvoicePrint(invoicing::RunState::fromModule1(), layout, first, last);
        invoicing::InvoiceRecords records(plan);
        records.write();
        records.commit();
    }

    // The ledger rows the month's print file lists as marked by its last run, "enterprise number date".
    QStringList listed()
    {
        QStringList out;
        for (const lateFeeMarks::Marked& m : lateFeeMarks::RunMarks::listed(*print))
            for (const lateFeeLedger::InvoiceRow& row : m.rows)
                out << QStringLiteral("%1 %2 %3").arg(m.enterprise, row.number, row.date.toString(Qt::ISODate));
        return out;
    }

    const QString a = QStringLiteral("1001"), b = QStringLiteral("1002");
    const QStringList both{a, b};
};

TEST_F(Regeneration, InvoicesGeneratedAgainBeforePrintingCarryTheSameLateFees)
{
    generate(both);
    EXPECT_EQ(lateFee(a), QStringLiteral("60"));
    EXPECT_EQ(lateFee(b), QStringLiteral("60"));
    EXPECT_EQ(marks(a), (std::vector<int>{0, 1}));

    generate(both);
    EXPECT_EQ(lateFee(a), QStringLiteral("60"));
    EXPECT_EQ(lateFee(b), QStringLiteral("60"));
    EXPECT_EQ(header(a).at(QStringLiteral("小写合计")), QStringLiteral("160.00"));
    EXPECT_EQ(marks(a), (std::vector<int>{0, 1}));
    EXPECT_EQ(listed(), (QStringList{"1001 1 2003-03-01", "1002 1 2003-03-01"}));

    // The ticked enterprise alone: the marks are those of that run only, and the other's late payment
    // is charged again on its next invoice.
    generate(both, true, {1});
    EXPECT_EQ(lateFee(b), QStringLiteral("60"));
    EXPECT_TRUE(header(a).empty());
    EXPECT_EQ(marks(a), (std::vector<int>{0, 0}));
    EXPECT_EQ(marks(b), (std::vector<int>{0, 1}));
    EXPECT_EQ(listed(), QStringList{"1002 1 2003-03-01"});
    generate({a});
    EXPECT_EQ(lateFee(a), QStringLiteral("60"));
    EXPECT_EQ(marks(a), (std::vector<int>{0, 1}));
    EXPECT_EQ(marks(b), (std::vector<int>{0, 0}));
}

TEST_F(Regeneration, ThePrintedInvoicesLatePaymentsAreNotChargedAgain)
{
    generate(both);
    recordPrint(100, 100); // 1001's invoice only
    ASSERT_EQ(billing->scalar(QStringLiteral("select M5P from KPKZK where DanWeiBianHao = ?"), {a}).toString(),
              QStringLiteral("100"));

    generate(both);
    EXPECT_EQ(lateFee(a), QStringLiteral("20")) << "only the unpaid invoice, counted afresh";
    EXPECT_EQ(lateFee(b), QStringLiteral("60"));
    EXPECT_EQ(marks(a), (std::vector<int>{0, 1, 0})); // the printed invoice's own row last
    EXPECT_EQ(marks(b), (std::vector<int>{0, 1}));
    // The printed invoice's marks stay through every later run.
    generate(both, true, {1});
    generate(both);
    EXPECT_EQ(lateFee(a), QStringLiteral("20"));
    EXPECT_EQ(lateFee(b), QStringLiteral("60"));
    EXPECT_EQ(marks(a), (std::vector<int>{0, 1, 0}));

    // Printed in its turn, 1002's invoice keeps its marks too.
    recordPrint(101, 102);
    generate(both);
    EXPECT_EQ(lateFee(b), QStringLiteral("20"));
    EXPECT_EQ(marks(b), (std::vector<int>{0, 1, 0}));
}

TEST_F(Regeneration, AVoidedInvoiceGivesItsLatePaymentsBackToTheNextRun)
{
    generate({a});
    recordPrint(100, 100);
    // Voided as 发票作废 does: number, amount, date and payment cleared, its ledger row gone.
    billing->execute(QStringLiteral("update KPKZK set M5P = '', M5M = 0, M5DATE = NULL, M5MD = 0 "
                                    "where DanWeiBianHao = ?"),
                     {a});
    ledgers->execute(QStringLiteral("delete from ZNJ1001 where FaPiaoBianHao = '100'"));
    generate({a});
    EXPECT_EQ(lateFee(a), QStringLiteral("60"));
}

// The earlier run's invoices are gone once a run has started, so its marks go with them: the print
// file lists no marks of invoices it no longer holds, and the next run charges them again.
TEST_F(Regeneration, ARunThatStopsLeavesTheEarlierRunsInvoicesAndMarksGone)
{
    generate({a});
    enterprise(QStringLiteral("1003"), QStringLiteral("丙厂"));
    assign(QStringLiteral("1003"), QStringLiteral("W1"), QStringLiteral("甲"), 1, 1, QStringLiteral("废水"), "10", "0",
           "0", false, false);
    EXPECT_THROW(generate({a, QStringLiteral("1003")}), invoicing::GenerationError);
    EXPECT_EQ(count("KPDW"), 0);
    EXPECT_EQ(count("MX"), 0);
    EXPECT_EQ(marks(a), (std::vector<int>{0, 0}));
    EXPECT_EQ(listed(), QStringList{});
    generate({a});
    EXPECT_EQ(lateFee(a), QStringLiteral("60"));
    EXPECT_EQ(marks(a), (std::vector<int>{0, 1}));
}

TEST_F(Regeneration, AMarkTheLedgerNoLongerShowsIsPassedOver)
{
    generate(both);
    // 1002 renumbered meanwhile (its ledger moved away), 1001's late payment set back by hand.
    ledgers->execute(QStringLiteral("alter table ZNJ1002 rename to ZNJ2002"));
    ledgers->execute(QStringLiteral("update ZNJ1001 set ZNJYiShou = 0"));
    generate({a});
    EXPECT_EQ(lateFee(a), QStringLiteral("60"));
    EXPECT_EQ(marks(a), (std::vector<int>{0, 1}));
    EXPECT_EQ(marks(QStringLiteral("2002")), (std::vector<int>{0, 1}));
}

struct DigitCase {
    const char* amount;
    const char* digits;
};

class AmountDigits : public ::testing::TestWithParam<DigitCase> { };

TEST_P(AmountDigits, FillTheColumnsFromTheLeadingDigitDown)
{
    const auto out = amountDigits::digits(convert::Currency::fromText(QString::fromLatin1(GetParam().amount)));
    QString joined;
    for (const QString& d : out)
        joined += d;
    EXPECT_EQ(joined, QString::fromLatin1(GetParam().digits));
}

INSTANTIATE_TEST_SUITE_P(Amounts, AmountDigits,
                         ::testing::Values(DigitCase{"1234.56", "    123456"}, DigitCase{"0.05", "         5"},
                                           DigitCase{"10.00", "      1000"}, DigitCase{"1.2345", "       123"},
                                           DigitCase{"1.2350", "       124"}, DigitCase{"1.2250", "       122"},
                                           DigitCase{"0.0049", "          "}, DigitCase{"-3", "          "},
                                           DigitCase{"21474836.47", "2147483647"}));

TEST(AmountDigitsLimit, FromTheEndOf32BitsOfFenIsAnOverflow)
{
    EXPECT_THROW(amountDigits::digits(convert::Currency::fromText(QStringLiteral("21474836.48"))), convert::Error);
}

} // namespace
