// The payment writer: the billing row and the ledger row of one invoice change together or not at all.
#include "qelv/core/invoice_payment.h"
#include "tests/collection/payment_fixture.h"
#include "tests/fixtures/db_peer.h"
#include "tests/fixtures/sqlite_probe.h"

#include <QFile>
#include <sqlite3.h>

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
