#include "platform/convert/convert.h"
#include "platform/db/connection.h"
#include "platform/db/recordset.h"
#include "qelv/core/data_files.h"
#include "qelv/core/late_fee.h"
#include "tests/fixtures/program_folder.h"

#include <QVariant>
#include <gtest/gtest.h>
#include <optional>
#include <vector>

namespace {

// A ledger row; a null `paidOn` is a payment without date.
struct Row {
    const char* date;
    const char* fee;
    int paid = 0;
    const char* paidOn = nullptr;
    int document = 0;
    int charged = 0;
};

// The late-fee file of a fresh program folder with one enterprise's ledger, its columns as the
// workbench makes them.
class LateFeeLedger : public fixtures::ProgramFolderTest {
protected:
    void SetUp() override
    {
        ProgramFolderTest::SetUp();
        conn = std::make_unique<db::Connection>(db::DataFile{QString::fromLatin1(dataFiles::lateFeeLedgers)});
        conn->execute(QStringLiteral(
            "CREATE TABLE \"ZNJ1001\" (\"KaiPiaoRiQi\" DATETIME, \"FaPiaoBianHao\" TEXT(50) COLLATE NOCASE,"
            " \"FaPiaoJinE\" CURRENCY, \"ShouFeiJinE\" CURRENCY, \"DaoZhangQingKuang\" BYTE, \"DaoZhangRiQi\" DATETIME,"
            " \"PiaoJuLeiXing\" BYTE, \"ZNJYiShou\" BYTE)"));
    }
    void TearDown() override
    {
        conn.reset();
        ProgramFolderTest::TearDown();
    }

    void add(const std::vector<Row>& rows)
    {
        int number = 0;
        for (const Row& r : rows) {
            const convert::Currency fee = convert::Currency::fromText(QString::fromLatin1(r.fee));
            conn->execute(
                QStringLiteral("INSERT INTO ZNJ1001 VALUES (?,?,?,?,?,?,?,?)"),
                {QDate::fromString(QString::fromLatin1(r.date), Qt::ISODate), QString::number(++number),
                 QVariant::fromValue(fee), QVariant::fromValue(fee), r.paid,
                 r.paidOn ? QVariant(QDate::fromString(QString::fromLatin1(r.paidOn), Qt::ISODate)) : QVariant(),
                 r.document, r.charged});
        }
    }

    // ZNJYiShou of every row, in the order added.
    std::vector<int> charged()
    {
        std::vector<int> out;
        auto rs = conn->openRecordset(QStringLiteral("select ZNJYiShou from ZNJ1001 order by rowid"));
        for (; !rs->isEOF(); rs->moveNext())
            out.push_back(rs->value(0).toInt());
        return out;
    }

    convert::Currency run(const char* invoiceDate, int graceDays, float rate, bool on = true)
    {
        return ComputeLateFee(*conn, QStringLiteral("1001"),
                              QDate::fromString(QString::fromLatin1(invoiceDate), Qt::ISODate),
                              static_cast<std::int16_t>(graceDays), rate, on);
    }

    std::unique_ptr<db::Connection> conn;
};

const std::vector<Row> workedExample = {
    {"2003-04-20", "1000.00"}, // A, unpaid
    {"2003-05-20", "800.00"}, // B, unpaid
    {"2003-03-20", "500.00", 1, "2003-04-25"}, // C, paid late, not charged yet
    {"2003-02-20", "700.00", 0, nullptr, 1}, // E, unpaid, collection document printed
};

TEST_F(LateFeeLedger, TheWorkedExampleChargesTheUnpaidAndThePaidLateAndMarksOnlyThePaidLate)
{
    add(workedExample);
    EXPECT_EQ(run("2003-06-20", 10, 0.002f).toPlainString(), QStringLiteral("101.6"));
    EXPECT_EQ(charged(), (std::vector<int>{0, 0, 1, 0}));
}

TEST_F(LateFeeLedger, ASecondRunChargesTheUnpaidAgainButNoLatePaymentTwice)
{
    add(workedExample);
    run("2003-06-20", 10, 0.002f);
    EXPECT_EQ(run("2003-06-20", 10, 0.002f).toPlainString(), QStringLiteral("75.6"));
    EXPECT_EQ(charged(), (std::vector<int>{0, 0, 1, 0}));
}

// The ledger's fields are taken by their names, whatever their order in the table and the case of
// their names.
TEST_F(LateFeeLedger, FieldsAreTakenByNameWhateverTheirOrder)
{
    conn->execute(QStringLiteral("DROP TABLE ZNJ1001"));
    conn->execute(QStringLiteral(
        "CREATE TABLE \"ZNJ1001\" (\"znjyishou\" BYTE, \"PiaoJuLeiXing\" BYTE, \"DAOZHANGRIQI\" DATETIME,"
        " \"DaoZhangQingKuang\" BYTE, \"ShouFeiJinE\" CURRENCY, \"FaPiaoJinE\" CURRENCY,"
        " \"FaPiaoBianHao\" TEXT(50) COLLATE NOCASE, \"kaipiaoriqi\" DATETIME)"));
    int number = 0;
    for (const Row& r : workedExample) {
        const QVariant fee = QVariant::fromValue(convert::Currency::fromText(QString::fromLatin1(r.fee)));
        conn->execute(QStringLiteral("INSERT INTO ZNJ1001 (kaipiaoriqi, FaPiaoBianHao, FaPiaoJinE, ShouFeiJinE, "
                                     "DaoZhangQingKuang, DAOZHANGRIQI, PiaoJuLeiXing, znjyishou) "
                                     "VALUES (?,?,?,?,?,?,?,?)"),
                      {QDate::fromString(QString::fromLatin1(r.date), Qt::ISODate), QString::number(++number), fee, fee,
                       r.paid,
                       r.paidOn ? QVariant(QDate::fromString(QString::fromLatin1(r.paidOn), Qt::ISODate)) : QVariant(),
                       r.document, r.charged});
    }
    QList<lateFeeLedger::InvoiceRow> marked;
    EXPECT_EQ(
        ComputeLateFee(*conn, QStringLiteral("1001"), QDate(2003, 6, 20), 10, 0.002f, true, &marked).toPlainString(),
        QStringLiteral("101.6"));
    ASSERT_EQ(marked.size(), 1);
    EXPECT_EQ(marked.at(0).number, QStringLiteral("3"));
    EXPECT_EQ(marked.at(0).date, QDate(2003, 3, 20));
    EXPECT_EQ(charged(), (std::vector<int>{0, 0, 1, 0}));
}

TEST_F(LateFeeLedger, SwitchedOffTheLedgerIsNotEvenRead)
{
    add(workedExample);
    EXPECT_EQ(run("2003-06-20", 10, 0.002f, false).units(), 0);
    EXPECT_EQ(charged(), (std::vector<int>{0, 0, 0, 0}));
    // An enterprise without a ledger: switched off nothing asks for it; switched on its absence is an error.
    EXPECT_EQ(ComputeLateFee(*conn, QStringLiteral("9999"), QDate(2003, 6, 20), 10, 0.002f, false).units(), 0);
    EXPECT_THROW(ComputeLateFee(*conn, QStringLiteral("9999"), QDate(2003, 6, 20), 10, 0.002f, true), db::Error);
}

TEST_F(LateFeeLedger, ADayCountBeyond16BitsIsAnErrorNotAWrappedNumber)
{
    add({{"1900-01-01", "100.00"}});
    try {
        run("2003-06-20", 0, 0.002f);
        FAIL() << "no overflow reported";
    } catch (const convert::Error& e) {
        EXPECT_EQ(e.description(), QStringLiteral("溢出"));
    }
}

TEST_F(LateFeeLedger, AnOverdueRowWithoutFeeAmountIsAnError)
{
    conn->execute(
        QStringLiteral(
            "INSERT INTO ZNJ1001 (KaiPiaoRiQi, DaoZhangQingKuang, PiaoJuLeiXing, ZNJYiShou) VALUES (?,0,0,0)"),
        {QDate(2003, 4, 20)});
    EXPECT_THROW(run("2003-06-20", 10, 0.002f), convert::Error);
}

struct EdgeCase {
    const char* name;
    std::vector<Row> rows;
    const char* invoiceDate;
    int graceDays;
    float rate;
    const char* fee; // the result in its plain form
    std::vector<int> chargedAfter; // ZNJYiShou of each row afterwards
};
void PrintTo(const EdgeCase& c, std::ostream* os)
{
    *os << c.name;
}

class LateFeeEdges : public LateFeeLedger, public ::testing::WithParamInterface<EdgeCase> { };

TEST_P(LateFeeEdges, GiveTheFeeAndMarks)
{
    const EdgeCase& c = GetParam();
    add(c.rows);
    EXPECT_EQ(run(c.invoiceDate, c.graceDays, c.rate).toPlainString(), QString::fromLatin1(c.fee));
    EXPECT_EQ(charged(), c.chargedAfter);
}

INSTANTIATE_TEST_SUITE_P(
    Ledgers, LateFeeEdges,
    ::testing::Values(
        // Without an overdue unpaid row nothing is charged, and the paid-late row waits unmarked.
        EdgeCase{"NoOverdueUnpaidRow",
                 {{"2003-06-15", "800.00"}, {"2003-03-20", "500.00", 1, "2003-04-25"}},
                 "2003-06-20",
                 10,
                 0.002f,
                 "0",
                 {0, 0}},
        // The cut-off day itself is overdue (it is not earlier than the invoice date, so the days run
        // from the row before); the day after is not.
        EdgeCase{"CutOffDateIsInclusive",
                 {{"2003-06-20", "100.00"}, {"2003-06-21", "1000.00"}, {"2003-05-21", "50.00", 1, "2003-05-22", 0, 1}},
                 "2003-06-20",
                 0,
                 0.002f,
                 "6",
                 {0, 0, 1}},
        // The latest earlier row counts whatever it is: here one with a collection document, which is
        // itself never charged nor marked.
        EdgeCase{"LatestEarlierRowOfAnyKind",
                 {{"2003-04-20", "1000.00"},
                  {"2003-06-01", "300.00", 1, "2003-06-05", 0, 1},
                  {"2003-06-05", "200.00", 0, nullptr, 1}},
                 "2003-06-20",
                 10,
                 0.002f,
                 "10",
                 {0, 1, 0}},
        // Days within the grace days charge nothing of the unpaid part; the late payment is still
        // charged and marked.
        EdgeCase{"DayCountZeroOrBelowStillChargesLatePayments",
                 {{"2003-04-20", "1000.00"}, {"2003-06-15", "500.00"}, {"2003-03-20", "500.00", 1, "2003-04-25"}},
                 "2003-06-20",
                 10,
                 0.002f,
                 "26",
                 {0, 0, 1}},
        EdgeCase{"DayCountExactlyZero",
                 {{"2003-04-20", "1000.00"}, {"2003-06-10", "500.00"}, {"2003-03-20", "500.00", 1, "2003-04-25"}},
                 "2003-06-20",
                 10,
                 0.002f,
                 "26",
                 {0, 0, 1}},
        // A payment within the grace days, or without a date, adds nothing and is marked.
        EdgeCase{"PaymentWithinGraceOrWithoutDate",
                 {{"2003-04-20", "1000.00"},
                  {"2003-03-20", "500.00", 1, "2003-03-30"},
                  {"2003-03-20", "500.00", 1, nullptr}},
                 "2003-06-20",
                 10,
                 0.002f,
                 "102",
                 {0, 1, 1}},
        // A collection document keeps a row out of both halves and out of the marking.
        EdgeCase{"CollectionDocumentNeverCountedOrMarked",
                 {{"2003-04-20", "1000.00"},
                  {"2003-02-20", "700.00", 0, nullptr, 1},
                  {"2003-03-01", "900.00", 1, "2003-05-01", 1}},
                 "2003-06-20",
                 10,
                 0.002f,
                 "102",
                 {0, 0, 0}},
        // 1234.56 x 7 x 0.0005 = 4.32096, kept to four decimals.
        EdgeCase{"FourDecimalPlaces", {{"2003-06-13", "1234.56"}}, "2003-06-20", 0, 0.0005f, "4.321", {0}},
        // Nothing dated before the invoice date: there is no interval for the unpaid part, and the
        // late payments are charged as usual.
        EdgeCase{"NoEarlierRow",
                 {{"2003-06-20", "1000.00"}, {"2003-06-20", "500.00", 1, "2003-07-10"}},
                 "2003-06-20",
                 0,
                 0.002f,
                 "20",
                 {0, 1}}),
    [](const ::testing::TestParamInfo<EdgeCase>& info) { return std::string(info.param.name); });

} // namespace
