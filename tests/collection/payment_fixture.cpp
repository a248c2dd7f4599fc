#include "tests/collection/payment_fixture.h"

#include "platform/db/connection.h"
#include "platform/ui/data_grid.h"
#include "platform/ui/dialogs.h"
#include "qelv/collection/frmDaoZhang.h"
#include "qelv/collection/frmWt.h"
#include "qelv/core/Module1.h"
#include "qelv/core/billing_control.h"
#include "qelv/core/data_files.h"
#include "qelv/core/late_fee_ledger.h"
#include "tests/fixtures/sqlite_probe.h"

#include <QCalendarWidget>
#include <QFile>
#include <QLineEdit>
#include <QScopedValueRollback>
#include <QTreeWidget>

namespace collectionTests {

void PaymentTest::SetUp()
{
    fixtures::ProgramFolderTest::SetUp();
    Module1::gWorkMonth = QDate(2003, 5, 1);
    billingControl::ensureYearFile(2003);
}

QString PaymentTest::billingFile(int year) const
{
    return folder->data(dataFiles::billing(year));
}

QString PaymentTest::ledgerFile() const
{
    return folder->data(QString::fromLatin1(dataFiles::lateFeeLedgers));
}

void PaymentTest::enterprise(const QString& number, const QString& name, int year)
{
    if (!QFile::exists(billingFile(year)))
        billingControl::ensureYearFile(year);
    {
        db::Connection enterprises(db::DataFile{QString::fromLatin1(dataFiles::enterprises)});
        if (enterprises.scalar(QStringLiteral("select 1 from dw where DanWeiBianHao = ?"), {number}).isNull())
            enterprises.execute(QStringLiteral("insert into dw (DanWeiBianHao, DanWeiQuangCheng) values (?, ?)"),
                                {number, name});
    }
    {
        db::Connection billing(db::DataFile{dataFiles::billing(year)});
        billingControl::ensureRow(billing, number);
    }
    db::Connection ledgers(db::DataFile{QString::fromLatin1(dataFiles::lateFeeLedgers)});
    lateFeeLedger::ensure(ledgers, number);
}

void PaymentTest::invoice(const QString& enterprise, int month, const QString& number, const QDate& date, int year,
                          bool ledgerRow)
{
    {
        db::Connection billing(db::DataFile{dataFiles::billing(year)});
        billing.execute(QStringLiteral("update KPKZK set M%1 = 1, M%1P = ?, M%1M = 100, M%1DATE = ?, M%1MD = 0, "
                                       "M%1DDATE = NULL where DanWeiBianHao = ?")
                            .arg(month),
                        {number, date, enterprise});
    }
    if (!ledgerRow)
        return;
    db::Connection ledgers(db::DataFile{QString::fromLatin1(dataFiles::lateFeeLedgers)});
    ledgers.execute(QStringLiteral("insert into %1 (KaiPiaoRiQi, FaPiaoBianHao, FaPiaoJinE, ShouFeiJinE, "
                                   "DaoZhangQingKuang, DaoZhangRiQi, PiaoJuLeiXing, ZNJYiShou) "
                                   "values (?, ?, 100, 100, 0, NULL, 0, 0)")
                        .arg(db::quoteIdentifier(lateFeeLedger::tableName(enterprise))),
                    {date, number});
}

void PaymentTest::renumberInCollectionWindow(const QString& enterprise, int month, const QString& newNumber)
{
    fixtures::exec(folder->data(QString::fromLatin1(dataFiles::enterprises)),
                   QStringLiteral("update dw set WeiTuoXieYiHao = 'XY', ZhangHao = '622' where DanWeiBianHao = '%1'")
                       .arg(enterprise));
    const QScopedValueRollback workMonth(Module1::gWorkMonth, QDate(2003, month, 1));
    const auto before = ui::testing::shown().size();
    frmWt w;
    QTreeWidgetItem* row = nullptr;
    for (int i = 0; i < w.ListView1->topLevelItemCount(); ++i)
        if (w.ListView1->topLevelItem(i)->text(frmWt::Enterprise) == enterprise)
            row = w.ListView1->topLevelItem(i);
    ASSERT_NE(row, nullptr) << "the collection window lists " << enterprise.toStdString();
    w.ListView1->clearSelection();
    row->setSelected(true);
    ui::testing::answerInput(newNumber);
    w.Toolbar1_ButtonClick(QStringLiteral("xgfp"));
    ASSERT_EQ(ui::testing::shown().size(), before + 1) << "only the input box was shown";
    ASSERT_EQ(billing(enterprise, QStringLiteral("M%1P").arg(month)), newNumber);
}

void PaymentTest::payInDaoZhang(const QString& number, const QDate& date)
{
    const auto before = ui::testing::shown().size();
    frmDaoZhang w;
    w.Text2->setText(number);
    w.Command1_Click();
    emit w.DataGrid1->buttonClick(frmDaoZhang::Paid);
    emit w.DataGrid1->buttonClick(frmDaoZhang::PaidOn);
    emit w.MonthView1->clicked(date);
    ASSERT_EQ(ui::testing::shown().size(), before) << "paid without a message";
}

namespace {
QString text(const QVariant& v)
{
    return v.isNull() ? QStringLiteral("NULL") : v.toString();
}
} // namespace

QString PaymentTest::billing(const QString& enterprise, const QString& column, int year) const
{
    return text(fixtures::probe(
        billingFile(year), QStringLiteral("select %1 from KPKZK where DanWeiBianHao = '%2'").arg(column, enterprise)));
}

QString PaymentTest::ledger(const QString& enterprise, const QString& number, const QDate& invoiceDate) const
{
    const QString where = QStringLiteral("from ZNJ%1 where FaPiaoBianHao = '%2' and date(KaiPiaoRiQi) = '%3'")
                              .arg(enterprise, number, invoiceDate.toString(Qt::ISODate));
    return text(fixtures::probe(ledgerFile(), QStringLiteral("select DaoZhangQingKuang ") + where)) + QLatin1Char('|') +
        text(fixtures::probe(ledgerFile(), QStringLiteral("select DaoZhangRiQi ") + where));
}

} // namespace collectionTests
