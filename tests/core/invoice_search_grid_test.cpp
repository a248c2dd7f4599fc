// The found invoices of the payment and the voiding windows: what a find shows, and which invoice a
// row then stands for, also after a find that failed.
#include "platform/db/connection.h"
#include "platform/ui/dialogs.h"
#include "platform/ui/recordset_model.h"
#include "qelv/core/Module1.h"
#include "qelv/core/billing_control.h"
#include "qelv/core/data_files.h"
#include "qelv/core/invoice_search_grid.h"
#include "tests/fixtures/program_folder.h"

#include <QLineEdit>
#include <QWidget>
#include <gtest/gtest.h>

namespace {

class FoundInvoices : public fixtures::ProgramFolderTest {
protected:
    void SetUp() override
    {
        ProgramFolderTest::SetUp();
        Module1::gWorkMonth = QDate(2003, 5, 1);
        invoice(2003, QStringLiteral("0001"), QStringLiteral("甲厂"), 3, QStringLiteral("301"), QDate(2003, 3, 20));
        invoice(2004, QStringLiteral("0001"), QStringLiteral("甲厂"), 2, QStringLiteral("4201"), QDate(2004, 2, 20));
        ui::testing::clearShown();
    }

    void invoice(int year, const QString& enterprise, const QString& name, int month, const QString& number,
                 const QDate& date)
    {
        billingControl::ensureYearFile(year);
        db::Connection register_(db::DataFile{QString::fromLatin1(dataFiles::enterprises)});
        if (register_.scalar(QStringLiteral("select 1 from dw where DanWeiBianHao = ?"), {enterprise}).isNull())
            register_.execute(QStringLiteral("insert into dw (DanWeiBianHao, DanWeiQuangCheng) values (?, ?)"),
                              {enterprise, name});
        db::Connection billing(db::DataFile{dataFiles::billing(year)});
        billingControl::ensureRow(billing, enterprise);
        billing.execute(
            QStringLiteral("update KPKZK set M%1 = 1, M%1P = ?, M%1DATE = ? where DanWeiBianHao = ?").arg(month),
            {number, date, enterprise});
    }
};

} // namespace

TEST_F(FoundInvoices, ARowStandsForTheInvoiceOfTheFindThatShowedItEvenAfterOneThatFailed)
{
    QWidget window;
    QLineEdit year, number, name, month;
    auto* model = new ui::RecordsetModel(&window);
    invoiceSearch::FoundGrid grid(&window, {&year, &number, &name, &month}, model);
    EXPECT_EQ(grid.rows(), nullptr);

    struct Step {
        const char* what;
        QString year, number, name, month;
        bool shown;
        QStringList messages;
        // The invoice of the first row afterwards: enterprise|month|number|date, and the year written to.
        QString invoice;
        int writtenYear;
    };
    const Step steps[] = {
        {"by number: the row, with its name and month in the boxes",
         "",
         "301",
         "",
         "",
         true,
         {},
         "0001|3|301|2003-03-20",
         2003},
        {"another year without a file",
         "2005",
         "4201",
         "",
         "",
         false,
         {"没有2005年的开票数据：文件 qelvkz2005.mdb 不存在。"},
         "0001|3|301|2003-03-20",
         2003},
        {"a refusal",
         "2004",
         "",
         "甲厂",
         "",
         false,
         {"按单位名称查询时，单位名称和排污费月份不能为空！"},
         "0001|3|301|2003-03-20",
         2003},
        {"by name and month in another year", "2004", "", "甲厂", "2", true, {}, "0001|2|4201|2004-02-20", 2004},
        {"a month without an invoice", "", "", "甲厂", "7", true, {}, "0001|7||", 2003},
    };
    for (const Step& s : steps) {
        SCOPED_TRACE(s.what);
        ui::testing::clearShown();
        year.setText(s.year);
        number.setText(s.number);
        name.setText(s.name);
        month.setText(s.month);
        EXPECT_EQ(grid.find(), s.shown);
        EXPECT_EQ(ui::testing::shownTexts(), s.messages);
        ASSERT_NE(grid.rows(), nullptr);
        ASSERT_EQ(grid.rows()->recordCount(), 1);
        EXPECT_EQ(model->rowCount(), 1);
        const invoicePayment::Invoice invoice = grid.invoiceAt(0);
        EXPECT_EQ(QStringLiteral("%1|%2|%3|%4")
                      .arg(invoice.enterprise)
                      .arg(invoice.month)
                      .arg(invoice.number, invoice.invoiceDate.toString(Qt::ISODate)),
                  s.invoice);
        EXPECT_EQ(grid.year(), s.writtenYear);
    }
    EXPECT_EQ(name.text(), QStringLiteral("甲厂"));
    EXPECT_EQ(month.text(), QStringLiteral("7"));
}
