// The payment writer: the billing row and the ledger row of one invoice change together or not at all.
#include "qelv/core/invoice_payment.h"
#include "tests/collection/payment_fixture.h"
#include "tests/fixtures/db_peer.h"
#include "tests/fixtures/sqlite_probe.h"

#include <QFile>
#include <QRegularExpression>
#include <sqlite3.h>
#include <sstream>
#include <tuple>

using namespace collectionTests;
using invoicePayment::Change;
using invoicePayment::Invoice;
using invoicePayment::Writer;

namespace {
const QDate march(2003, 3, 20);
const QDate april(2003, 4, 20);
} // namespace

class InvoicePaymentTest : public PaymentTest {
protected:
    void SetUp() override
    {
        PaymentTest::SetUp();
        enterprise(QStringLiteral("0001"), QStringLiteral("甲厂"));
        invoice(QStringLiteral("0001"), 3, QStringLiteral("301"), march);
        invoice(QStringLiteral("0001"), 4, QStringLiteral("401"), april);
        // Last year's invoice of the same number, still in the ledger that keeps all years.
        exec(QStringLiteral("insert into ZNJ0001 (KaiPiaoRiQi, FaPiaoBianHao, DaoZhangQingKuang) "
                            "values ('2002-03-20', '301', 0)"));
    }
    void exec(const QString& sql) { fixtures::exec(ledgerFile(), sql); }
    // Every value of the enterprise's billing row and of its ledger, to show that nothing changed.
    QString wholeFiles() const
    {
        QString row;
        for (int m : {3, 4})
            for (const char* c : {"P", "M", "DATE", "MD", "DDATE"})
                row += billing("0001", QStringLiteral("M%1%2").arg(m).arg(QLatin1String(c))) + QLatin1Char(' ');
        return row + QLatin1Char('/') +
            fixtures::probe(
                ledgerFile(),
                QStringLiteral("select group_concat(ifnull(KaiPiaoRiQi, '-') || ' ' || FaPiaoBianHao || ' ' "
                               "|| DaoZhangQingKuang || ' ' || ifnull(DaoZhangRiQi, '-'), '; ') "
                               "from (select * from ZNJ0001 order by KaiPiaoRiQi, FaPiaoBianHao)"))
                .toString();
    }
    Invoice march301() const { return {QStringLiteral("0001"), 3, QStringLiteral("301"), march}; }
    // Everything the writer could touch, to show what a failure left.
    QString everything() const
    {
        return billing("0001", "M3MD") + billing("0001", "M3DDATE") + billing("0001", "M4MD") +
            billing("0001", "M4DDATE") + ledger("0001", "301", march) + ledger("0001", "401", april) +
            ledger("0001", "301", QDate(2002, 3, 20));
    }
};

TEST_F(InvoicePaymentTest, FlagAndDateGoToTheBillingRowAndTheInvoicesLedgerRowOnly)
{
    Writer(2003).record(march301(), Change{.paid = 1, .date = QDate(2003, 6, 1)});
    EXPECT_EQ(billing("0001", "M3MD"), "1");
    EXPECT_EQ(billing("0001", "M3DDATE"), "2003-06-01");
    EXPECT_EQ(ledger("0001", "301", march), "1|2003-06-01");
    EXPECT_EQ(billing("0001", "M4MD") + billing("0001", "M4DDATE"), "0NULL") << "another month";
    EXPECT_EQ(ledger("0001", "401", april), "0|NULL") << "another invoice";
    EXPECT_EQ(ledger("0001", "301", QDate(2002, 3, 20)), "0|NULL") << "last year's invoice of the same number";

    // The flag alone leaves the date, and the date alone the flag.
    Writer(2003).record(march301(), Change{.paid = 0, .date = std::nullopt});
    EXPECT_EQ(billing("0001", "M3MD") + billing("0001", "M3DDATE"), "02003-06-01");
    EXPECT_EQ(ledger("0001", "301", march), "0|2003-06-01");
    Writer(2003).record(march301(), Change{.paid = std::nullopt, .date = QDate(2003, 7, 2)});
    EXPECT_EQ(billing("0001", "M3MD") + billing("0001", "M3DDATE"), "02003-07-02");
    EXPECT_EQ(ledger("0001", "301", march), "0|2003-07-02");
}

TEST_F(InvoicePaymentTest, AFailureOnEitherFileLeavesBothAndNamesTheInvoice)
{
    exec(QStringLiteral("drop table ZNJ0001"));
    const QString withoutLedger = everything();
    try {
        Writer(2003).record(march301(), Change{.paid = 1, .date = QDate(2003, 6, 1)});
        FAIL() << "no ledger table is a failure";
    } catch (const invoicePayment::Error& e) {
        EXPECT_TRUE(e.description().contains(QStringLiteral("301"))) << e.description().toStdString();
    }
    EXPECT_EQ(everything(), withoutLedger) << "the billing row kept its values";
    EXPECT_EQ(billing("0001", "M3MD"), "0");
}

TEST_F(InvoicePaymentTest, ALockedLedgerFileLeavesTheBillingRow)
{
    sqlite3* other = nullptr;
    ASSERT_EQ(sqlite3_open(ledgerFile().toUtf8().constData(), &other), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(other, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr), SQLITE_OK);
    EXPECT_THROW(Writer(2003).record(march301(), Change{.paid = 1, .date = QDate(2003, 6, 1)}), invoicePayment::Error);
    sqlite3_exec(other, "ROLLBACK", nullptr, nullptr, nullptr);
    sqlite3_close(other);
    EXPECT_EQ(billing("0001", "M3MD") + billing("0001", "M3DDATE"), "0NULL");
    EXPECT_EQ(ledger("0001", "301", march), "0|NULL");
}

// Another program (the sqlite3 tool) writing to the ledger file: the payment waits for it as for a
// file held in full, and names the ledger file, not the yearly file it opened first.
TEST_F(InvoicePaymentTest, ALedgerFileAnotherProgramWritesIsWaitedForAndNamed)
{
    const QString before = everything();
    {
        fixtures::HeldFile held(ledgerFile());
        try {
            Writer(2003).record(march301(), Change{.paid = 1, .date = QDate(2003, 6, 1)});
            ADD_FAILURE() << "written while another program held the ledger file";
        } catch (const invoicePayment::Error& e) {
            EXPECT_TRUE(e.description().contains(QStringLiteral("文件正在使用：") + ledgerFile() + u'（'))
                << e.description().toStdString();
            EXPECT_TRUE(e.description().contains(QStringLiteral("301"))) << e.description().toStdString();
        }
        EXPECT_EQ(held.waits(), QStringList{ledgerFile()});
    }
    EXPECT_EQ(everything(), before);

    // Let go of while the payment waits: it is written to both files.
    fixtures::HeldFile held(ledgerFile());
    held.releaseWhenWaitedFor();
    Writer(2003).record(march301(), Change{.paid = 1, .date = QDate(2003, 6, 1)});
    EXPECT_EQ(held.waits(), QStringList{ledgerFile()});
    EXPECT_EQ(billing("0001", "M3MD") + billing("0001", "M3DDATE"), "12003-06-01");
    EXPECT_EQ(ledger("0001", "301", march), "1|2003-06-01");
}

TEST_F(InvoicePaymentTest, ALedgerWithoutTheInvoicesRowIsNoFailure)
{
    exec(QStringLiteral("delete from ZNJ0001 where KaiPiaoRiQi = '2003-03-20'"));
    Writer(2003).record(march301(), Change{.paid = 1, .date = QDate(2003, 6, 1)});
    EXPECT_EQ(billing("0001", "M3MD") + billing("0001", "M3DDATE"), "12003-06-01");
    EXPECT_EQ(ledger("0001", "301", QDate(2002, 3, 20)), "0|NULL") << "last year's row is not taken instead";
}

TEST_F(InvoicePaymentTest, AYearWithoutItsFileIsRefusedAndNoFileIsMade)
{
    EXPECT_THROW(Writer(2005), invoicePayment::Error);
    EXPECT_FALSE(QFile::exists(billingFile(2005)));
    QFile::remove(ledgerFile());
    EXPECT_THROW(Writer(2003), invoicePayment::Error);
    EXPECT_FALSE(QFile::exists(ledgerFile())) << "attaching would have made an empty ledger file";
}

namespace {

// The changes of one listed invoice, each made to March's invoice 301 as it was listed.
enum class Operation { Payment, BatchPayment, Voiding, Renumbering };

void PrintTo(Operation op, std::ostream* os)
{
    const char* names[] = {"payment", "batch_payment", "voiding", "renumbering"};
    *os << names[int(op)];
}

void run(Operation op)
{
    const Invoice listed{QStringLiteral("0001"), 3, QStringLiteral("301"), march};
    switch (op) {
    case Operation::Payment:
        Writer(2003).record(listed, Change{.paid = 1, .date = QDate(2003, 6, 1)});
        break;
    case Operation::BatchPayment:
        Writer(2003).record(listed, Change{.paid = 1, .date = QDate(2003, 6, 1), .onlyUnpaid = true});
        break;
    case Operation::Voiding:
        Writer(2003).voidInvoice(listed);
        break;
    case Operation::Renumbering:
        Writer(2003).renumber(QStringLiteral("0001"), 3, QStringLiteral("301"), QStringLiteral("309"));
        break;
    }
}

const auto allOperations =
    ::testing::Values(Operation::Payment, Operation::BatchPayment, Operation::Voiding, Operation::Renumbering);

// What another window did to the invoice since it was listed, on each file.
struct Since {
    const char* what;
    const char* billing;
    const char* ledger;
};

void PrintTo(const Since& s, std::ostream* os)
{
    *os << s.what;
}

std::string sinceCaseName(const ::testing::TestParamInfo<std::tuple<Operation, Since>>& info)
{
    std::ostringstream name;
    PrintTo(std::get<0>(info.param), &name);
    name << '_' << std::get<1>(info.param).what;
    return name.str();
}

} // namespace

class ChangedSinceListed : public InvoicePaymentTest,
                           public ::testing::WithParamInterface<std::tuple<Operation, Since>> { };

TEST_P(ChangedSinceListed, IsRefusedNamingTheInvoiceAndNothingChanges)
{
    const auto& [op, since] = GetParam();
    fixtures::exec(billingFile(), QString::fromUtf8(since.billing));
    exec(QString::fromUtf8(since.ledger));
    const QString before = wholeFiles();
    try {
        run(op);
        ADD_FAILURE() << "not refused";
    } catch (const invoicePayment::Stale& e) {
        EXPECT_TRUE(e.description().contains(QStringLiteral("301")) && e.description().contains(QStringLiteral("0001")))
            << e.description().toStdString();
    }
    EXPECT_EQ(wholeFiles(), before);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ChangedSinceListed,
    ::testing::Combine(allOperations,
                       ::testing::Values(Since{"renumbered",
                                               "update KPKZK set M3P = '388' where DanWeiBianHao = '0001'",
                                               "update ZNJ0001 set FaPiaoBianHao = '388' where "
                                               "KaiPiaoRiQi = '2003-03-20'"},
                                         Since{"voided",
                                               "update KPKZK set M3P = '', M3M = 0, M3DATE = NULL "
                                               "where DanWeiBianHao = '0001'",
                                               "delete from ZNJ0001 where KaiPiaoRiQi = '2003-03-20'"})),
    sinceCaseName);

// Payments and voiding address the invoice by its number and its date; 修改发票 lists the number only, and
// an invoice printed again under the same number is still the one it lists.
INSTANTIATE_TEST_SUITE_P(
    PrintedAgain, ChangedSinceListed,
    ::testing::Combine(::testing::Values(Operation::Payment, Operation::BatchPayment, Operation::Voiding),
                       ::testing::Values(Since{"printed_again_on_another_day",
                                               "update KPKZK set M3DATE = '2003-03-25' where DanWeiBianHao = '0001'",
                                               "update ZNJ0001 set KaiPiaoRiQi = '2003-03-25' "
                                               "where KaiPiaoRiQi = '2003-03-20'"})),
    sinceCaseName);

class WithoutAColumn : public InvoicePaymentTest,
                       public ::testing::WithParamInterface<std::tuple<Operation, const char*>> { };

TEST_P(WithoutAColumn, TheChangeNamesItAndNothingChanges)
{
    const auto& [op, missing] = GetParam();
    const QString column = QString::fromLatin1(missing);
    fixtures::exec(billingFile(), QStringLiteral("alter table KPKZK drop column %1").arg(column));
    const QString ledgerBefore = fixtures::probe(ledgerFile(),
                                                 QStringLiteral("select group_concat(FaPiaoBianHao || "
                                                                "DaoZhangQingKuang) from ZNJ0001"))
                                     .toString();
    QStringList billingBefore;
    const QStringList kept =
        QStringList{"M3P", "M3DATE", "M3MD", "M3DDATE"}.filter(QRegularExpression("^(?!" + column + "$)"));
    for (const QString& c : kept)
        billingBefore << billing("0001", c);
    try {
        run(op);
        ADD_FAILURE() << "not refused";
    } catch (const invoicePayment::Error& e) {
        EXPECT_TRUE(e.description().contains(QStringLiteral("“%1”").arg(column))) << e.description().toStdString();
    }
    QStringList billingAfter;
    for (const QString& c : kept)
        billingAfter << billing("0001", c);
    EXPECT_EQ(billingAfter, billingBefore);
    EXPECT_EQ(fixtures::probe(ledgerFile(),
                              QStringLiteral("select group_concat(FaPiaoBianHao || DaoZhangQingKuang) from ZNJ0001"))
                  .toString(),
              ledgerBefore);
}

std::string columnCaseName(const ::testing::TestParamInfo<std::tuple<Operation, const char*>>& info)
{
    std::ostringstream name;
    PrintTo(std::get<0>(info.param), &name);
    name << "_without_" << std::get<1>(info.param);
    return name.str();
}

// Each change without each column it reads or writes; 修改发票 needs the number and the invoice date.
INSTANTIATE_TEST_SUITE_P(PaymentsAndVoiding, WithoutAColumn,
                         ::testing::Combine(::testing::Values(Operation::Payment, Operation::BatchPayment,
                                                              Operation::Voiding),
                                            ::testing::Values("M3P", "M3DATE", "M3MD", "M3DDATE")),
                         columnCaseName);
INSTANTIATE_TEST_SUITE_P(Renumbering, WithoutAColumn,
                         ::testing::Combine(::testing::Values(Operation::Renumbering),
                                            ::testing::Values("M3P", "M3DATE")),
                         columnCaseName);

class HeldTwice : public InvoicePaymentTest, public ::testing::WithParamInterface<std::tuple<Operation, Since>> { };

TEST_P(HeldTwice, IsRefusedAndNothingChanges)
{
    const auto& [op, twice] = GetParam();
    if (twice.billing[0])
        fixtures::exec(billingFile(), QString::fromUtf8(twice.billing));
    if (twice.ledger[0])
        exec(QString::fromUtf8(twice.ledger));
    const QString before = wholeFiles();
    EXPECT_THROW(run(op), invoicePayment::Error);
    EXPECT_EQ(wholeFiles(), before);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, HeldTwice,
    ::testing::Combine(allOperations,
                       ::testing::Values(Since{"two_billing_rows",
                                               "insert into KPKZK (DanWeiBianHao, M3, M3P, M3M, M3DATE, M3MD) "
                                               "values ('0001', 1, '301', 100, '2003-03-20', 0)",
                                               ""},
                                         Since{"two_ledger_rows", "",
                                               "insert into ZNJ0001 (KaiPiaoRiQi, FaPiaoBianHao, DaoZhangQingKuang) "
                                               "values ('2003-03-20', '301', 0)"})),
    sinceCaseName);

TEST_F(InvoicePaymentTest, AnOnlyUnpaidRegistrationPassesOverAPaidInvoiceAndSaysWhatItKeeps)
{
    Writer(2003).record(march301(), Change{.paid = 1, .date = QDate(2003, 4, 2)});
    const invoicePayment::Recorded kept =
        Writer(2003).record(march301(), Change{.paid = 1, .date = QDate(2003, 6, 1), .onlyUnpaid = true});
    EXPECT_FALSE(kept.written);
    EXPECT_EQ(kept.paid.toInt(), 1);
    EXPECT_EQ(kept.paidOn.toDate(), QDate(2003, 4, 2));
    EXPECT_EQ(billing("0001", "M3MD") + billing("0001", "M3DDATE") + ledger("0001", "301", march),
              "12003-04-021|2003-04-02");

    const invoicePayment::Recorded written =
        Writer(2003).record(Invoice{QStringLiteral("0001"), 4, QStringLiteral("401"), april},
                            Change{.paid = 1, .date = QDate(2003, 6, 1), .onlyUnpaid = true});
    EXPECT_TRUE(written.written);
    EXPECT_EQ(billing("0001", "M4MD") + billing("0001", "M4DDATE") + ledger("0001", "401", april),
              "12003-06-011|2003-06-01");
}
