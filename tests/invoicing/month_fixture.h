#pragma once
// A program folder with an operating month to invoice: enterprises in the register, their pollutant
// assignments with the month's discharge-data tables (as the template build makes them, then the
// fees the workbench stores), their billing-control rows of the year and their late-fee ledgers.
#include "platform/convert/currency.h"
#include "platform/db/connection.h"
#include "qelv/assessment/discharge_tables.h"
#include "qelv/core/Module1.h"
#include "qelv/core/billing_control.h"
#include "qelv/core/data_files.h"
#include "qelv/core/late_fee_ledger.h"
#include "qelv/invoicing/invoice_print_db.h"
#include "tests/fixtures/program_folder.h"

#include <QDate>
#include <QFile>
#include <QVariant>
#include <memory>

namespace fixtures {

// May 2003, invoiced on 2003-06-20 by 张三, the late-fee switch off.
class InvoiceMonth : public ProgramFolderTest {
protected:
    void SetUp() override
    {
        ProgramFolderTest::SetUp();
        Module1::gWorkMonth = QDate(2003, 5, 1);
        Module1::gInvoiceDate = QDate(2003, 6, 20);
        Module1::gUserName = QStringLiteral("张三");
        Module1::gLateFeeOn = false;
        Module1::gLateFeeStartDays = 0;
        Module1::gLateFeeRate = 0.001f;
        ASSERT_TRUE(QFile::copy(folder->data(QString::fromLatin1(dataFiles::blankDatabase)),
                                folder->data(dataFiles::monthData(Module1::gWorkMonth))));
        billingControl::ensureYearFile(2003);
        ASSERT_TRUE(invoicing::EnsureMonthFile(Module1::gWorkMonth,
                                               [](const QString& e) { ADD_FAILURE() << e.toStdString(); }));
        dw = std::make_unique<db::Connection>(db::DataFile{QString::fromLatin1(dataFiles::enterprises)});
        month = std::make_unique<db::Connection>(db::DataFile{dataFiles::monthData(Module1::gWorkMonth)});
        billing = std::make_unique<db::Connection>(db::DataFile{dataFiles::billing(2003)});
        ledgers = std::make_unique<db::Connection>(db::DataFile{QString::fromLatin1(dataFiles::lateFeeLedgers)});
        print = std::make_unique<db::Connection>(db::DataFile{dataFiles::monthInvoices(Module1::gWorkMonth)});
        layout = std::make_unique<db::Connection>(db::DataFile{QString::fromLatin1(dataFiles::printLayouts)});
    }
    void TearDown() override
    {
        dw.reset();
        month.reset();
        billing.reset();
        ledgers.reset();
        print.reset();
        layout.reset();
        ProgramFolderTest::TearDown();
    }

    // Lines per invoice from the band limits: 6 with the room of six 8 mm lines.
    void setLinesPerInvoice(int n)
    {
        layout->execute(QStringLiteral("update fpLine set HeadHeigth = 4000, DetailHeigth = 4800, FooterHeigth = ?"),
                        {4000 + 800 * n});
    }

    // An enterprise in the register with its ledger and, when `billed`, its billing row of May.
    void enterprise(const QString& number, const QString& name, const QVariant& lowLever = QVariant(),
                    bool billed = true, const QVariant& months = 1, const QVariant& period = QVariant())
    {
        dw->execute(QStringLiteral("insert into dw (DanWeiBianHao, DanWeiQuangCheng, LowLever) values (?, ?, ?)"),
                    {number, name, lowLever.isNull() ? QVariant() : QVariant::fromValue(money(lowLever.toString()))});
        billing->execute(QStringLiteral("insert into KPKZK (DanWeiBianHao, M5, M5N, M5B) values (?, ?, ?, ?)"),
                         {number, billed ? 1 : 0, months, period});
        lateFeeLedger::ensure(*ledgers, number);
    }

    // An assignment with its discharge-data row: charge, doubled and raised charge, own fee item.
    // `withTable` false leaves the month without its table.
    void assign(const QString& number, const QString& pollutant, const QString& name, int kind, int outlet,
                const QString& category, const char* charge, const char* doubled = "0", const char* raised = "0",
                bool separate = false, bool withTable = true)
    {
        dw->execute(QStringLiteral("insert into dwwrw (DanWeiBianHao, WuRanWuBianHao, WuRanWuMingCheng, LeiXing, "
                                   "PaiWuKou, FenLei) values (?, ?, ?, ?, ?, ?)"),
                    {number, pollutant, name, kind, outlet, category});
        if (!withTable)
            return;
        const QString table = discharge::tableName({number, pollutant, QString::number(outlet)});
        discharge::createTable(*month, table, {QStringLiteral("v1")});
        month->execute(
            QStringLiteral("update %1 set 收费金额 = ?, 加倍收费 = ?, 提高收费 = ?, 是否单独列为收费项目 = ?")
                .arg(db::quoteIdentifier(table)),
            {amount(charge), amount(doubled), amount(raised), separate});
    }

    // A ledger row: date, fee amount, paid on (null: unpaid).
    void ledgerRow(const QString& number, const QDate& invoiced, const char* fee, const QDate& paidOn = QDate())
    {
        ledgers->execute(QStringLiteral("insert into %1 values (?, ?, ?, ?, ?, ?, 0, 0)")
                             .arg(db::quoteIdentifier(lateFeeLedger::tableName(number))),
                         {invoiced, QStringLiteral("1"), amount(fee), amount(fee), paidOn.isValid() ? 1 : 0,
                          paidOn.isValid() ? QVariant(paidOn) : QVariant()});
    }

    static convert::Currency money(const QString& text) { return convert::Currency::fromText(text); }
    static QVariant amount(const char* text)
    {
        return text ? QVariant::fromValue(money(QString::fromLatin1(text))) : QVariant();
    }

    std::unique_ptr<db::Connection> dw, month, billing, ledgers, print, layout;
};

} // namespace fixtures
