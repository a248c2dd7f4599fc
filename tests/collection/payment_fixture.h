#pragma once
// A program folder with invoices recorded as invoice printing leaves them: billing rows of a year
// with the month's number, amount and date, register rows, and late-fee ledgers holding the
// invoices' rows.
#include "tests/fixtures/program_folder.h"

#include <QDate>
#include <QString>
#include <QVariant>

namespace collectionTests {

class PaymentTest : public fixtures::ProgramFolderTest {
public:
    // Gives the enterprise's invoice of the month a new number through the collection window (修改发票),
    // as a second window or a second copy of the program does while another window shows the invoice.
    void renumberInCollectionWindow(const QString& enterprise, int month, const QString& newNumber);
    // Pays the invoice numbered `number` on `date` through the single registration window (到账).
    void payInDaoZhang(const QString& number, const QDate& date);

protected:
    void SetUp() override;

    // Register row, billing row of the year and an empty ledger.
    void enterprise(const QString& number, const QString& name, int year = 2003);
    // The month's invoice in the billing row (billed, numbered, dated, unpaid) and, unless the late-fee
    // system was off, its ledger row.
    void invoice(const QString& enterprise, int month, const QString& number, const QDate& date, int year = 2003,
                 bool ledgerRow = true);

    QString billingFile(int year = 2003) const;
    QString ledgerFile() const;
    // A column of the enterprise's billing row, as text ("NULL" for Null).
    QString billing(const QString& enterprise, const QString& column, int year = 2003) const;
    // DaoZhangQingKuang and DaoZhangRiQi of a ledger row, "flag|date" ("NULL" for Null).
    QString ledger(const QString& enterprise, const QString& number, const QDate& invoiceDate) const;
};

} // namespace collectionTests
