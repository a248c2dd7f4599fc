// Batch payment registration: what is listed, which rows are registered, and that each registered
// invoice changes in the billing file and its ledger together.
#include "platform/ui/dialogs.h"
#include "qelv/collection/frmPLDZDJ.h"
#include "qelv/core/invoice_payment.h"
#include "tests/collection/payment_fixture.h"
#include "tests/fixtures/sqlite_probe.h"

#include <QApplication>
#include <QFocusEvent>
#include <QHeaderView>
#include <QLineEdit>
#include <QRadioButton>
#include <QTreeWidget>
#include <functional>

using namespace collectionTests;

namespace {

const QDate march(2003, 3, 20);
const QStringList listed = {"0001", "0002", "0003", "0004"};

// The width a list column's texts need, as the list itself measures it.
class ListWidths : public QTreeWidget {
public:
    static int contents(const QTreeWidget* list, int column)
    {
        return (list->*(&ListWidths::sizeHintForColumn))(column);
    }
};

QString keptMessage(int count)
{
    return QStringLiteral("%1 张发票已经到账，保留原来的到账日期，这次没有登记。要更正到账日期，请用“到账”。")
        .arg(count);
}

struct BatchCase {
    const char* label;
    bool option1;
    QStringList ticked;
    QStringList registered;
    QStringList kept; // selected but paid already: flag and date kept
};

void PrintTo(const BatchCase& c, std::ostream* os)
{
    *os << c.label;
}

} // namespace

class PLDZDJTest : public PaymentTest {
protected:
    void SetUp() override
    {
        PaymentTest::SetUp();
        for (const QString& n : listed + QStringList{"0005", "0006"})
            enterprise(n, QStringLiteral("厂") + n);
        for (const QString& n : listed)
            invoice(n, 3, QStringLiteral("3") + n, march);
        // Already paid, in both files: listed all the same.
        fixtures::exec(billingFile(),
                       QStringLiteral("update KPKZK set M3MD = 1, M3DDATE = '2003-04-01' "
                                      "where DanWeiBianHao = '0004'"));
        fixtures::exec(ledgerFile(),
                       QStringLiteral("update ZNJ0004 set DaoZhangQingKuang = 1, DaoZhangRiQi = '2003-04-01'"));
        // Voided: billed, no number.
        invoice(QStringLiteral("0005"), 3, QString(), march, 2003, false);
        // Numbered but not billed this month.
        invoice(QStringLiteral("0006"), 3, QStringLiteral("30006"), march);
        fixtures::exec(billingFile(), QStringLiteral("update KPKZK set M3 = 0 where DanWeiBianHao = '0006'"));
        // Another month of the first enterprise, which registration of March leaves alone.
        invoice(QStringLiteral("0001"), 4, QStringLiteral("40001"), QDate(2003, 4, 20));
        ui::testing::clearShown();
    }

    static QStringList column(frmPLDZDJ& w, int c)
    {
        QStringList out;
        for (int i = 0; i < w.ListView1->topLevelItemCount(); ++i)
            out << w.ListView1->topLevelItem(i)->text(c);
        return out;
    }
    static void tick(frmPLDZDJ& w, const QStringList& numbers)
    {
        for (int i = 0; i < w.ListView1->topLevelItemCount(); ++i) {
            QTreeWidgetItem* item = w.ListView1->topLevelItem(i);
            if (numbers.contains(item->text(frmPLDZDJ::Enterprise)))
                item->setCheckState(frmPLDZDJ::Enterprise, Qt::Checked);
        }
    }
    void list(frmPLDZDJ& w, const QString& month = QStringLiteral("3"))
    {
        w.Text1->setText(month);
        w.Command1_Click();
    }
    // The enterprises whose March invoice is paid on the given date in both files.
    QStringList paidOn(const QString& date) const
    {
        QStringList out;
        for (const QString& n : listed)
            if (billing(n, "M3MD") == "1" && billing(n, "M3DDATE") == date &&
                ledger(n, QStringLiteral("3") + n, march) == QStringLiteral("1|") + date)
                out << n;
        return out;
    }
    QString untouched() const
    {
        QString s;
        for (const QString& n : listed)
            s += billing(n, "M3MD") + billing(n, "M3DDATE") + ledger(n, QStringLiteral("3") + n, march) + ";";
        return s + billing("0001", "M4MD") + billing("0001", "M4DDATE") + ledger("0001", "40001", QDate(2003, 4, 20));
    }
};

TEST_F(PLDZDJTest, ListsTheMonthsInvoicesPaidOrNotButNotTheVoidedOrUnbilled)
{
    frmPLDZDJ w;
    EXPECT_TRUE(w.Option2->isChecked());
    list(w, QStringLiteral("3.7"));
    EXPECT_TRUE(ui::testing::shownTexts().isEmpty());
    EXPECT_EQ(w.listedCount(), 4);
    EXPECT_EQ(column(w, frmPLDZDJ::Enterprise), listed);
    EXPECT_EQ(column(w, frmPLDZDJ::Name), QStringList({"厂0001", "厂0002", "厂0003", "厂0004"}));
    EXPECT_EQ(column(w, frmPLDZDJ::Number), QStringList({"30001", "30002", "30003", "30004"}));
    EXPECT_EQ(column(w, frmPLDZDJ::Amount), QStringList({"100", "100", "100", "100"}));
    EXPECT_EQ(column(w, frmPLDZDJ::InvoiceDate), QStringList(4, "2003-03-20"));
    EXPECT_EQ(column(w, frmPLDZDJ::Paid), QStringList({"0", "0", "0", "1"}));
    EXPECT_EQ(column(w, frmPLDZDJ::PaidOn), QStringList({"", "", "", "2003-04-01"}));

    // A month without invoices keeps the list as it was.
    list(w, QStringLiteral("7"));
    EXPECT_EQ(w.listedCount(), 4);
    EXPECT_EQ(column(w, frmPLDZDJ::Number).first(), "30001");
}

TEST_F(PLDZDJTest, TheMonthIsChecked)
{
    const QList<QPair<QString, QString>> cases = {
        {"", "排污费操作月份不能为空！"},
        {"abc", "排污费操作月份应为数字！"},
        {"0", "排污费操作月份应在 1-12 之间！"},
        {"13", "排污费操作月份应在 1-12 之间！"},
    };
    frmPLDZDJ w;
    for (const auto& [month, message] : cases) {
        ui::testing::clearShown();
        list(w, month);
        EXPECT_EQ(ui::testing::shownTexts(), QStringList{message}) << month.toStdString();
        EXPECT_EQ(ui::testing::shown().front().icon, ui::Icon::Information);
        EXPECT_EQ(w.listedCount(), 0);
    }
}

class PLDZDJBatchTest : public PLDZDJTest, public ::testing::WithParamInterface<BatchCase> { };

TEST_P(PLDZDJBatchTest, RegistersTheSelectedRows)
{
    const BatchCase& c = GetParam();
    frmPLDZDJ w;
    list(w);
    tick(w, c.ticked);
    w.Option1->setChecked(c.option1);
    w.Option2->setChecked(!c.option1);
    w.Text2->setText(QStringLiteral("2003-5-9"));
    w.Command2_Click();
    EXPECT_EQ(ui::testing::shownTexts(), c.kept.isEmpty() ? QStringList{} : QStringList{keptMessage(c.kept.size())});
    EXPECT_EQ(paidOn("2003-05-09"), c.registered);
    EXPECT_EQ(paidOn("2003-04-01"), QStringList{"0004"}) << "paid before: its flag and date kept in both files";
    for (int i = 0; i < w.ListView1->topLevelItemCount(); ++i) {
        QTreeWidgetItem* item = w.ListView1->topLevelItem(i);
        if (c.registered.contains(item->text(frmPLDZDJ::Enterprise))) {
            EXPECT_EQ(item->text(frmPLDZDJ::Paid), "1");
            EXPECT_EQ(item->text(frmPLDZDJ::PaidOn), "2003-05-09");
        }
    }
    EXPECT_EQ(w.ListView1->topLevelItem(3)->text(frmPLDZDJ::PaidOn), "2003-04-01");
    EXPECT_EQ(billing("0001", "M4MD") + billing("0001", "M4DDATE") + ledger("0001", "40001", QDate(2003, 4, 20)),
              "0NULL0|NULL")
        << "another month's columns and ledger row";
}

INSTANTIATE_TEST_SUITE_P(
    Cases, PLDZDJBatchTest,
    ::testing::Values(BatchCase{"unpaid_nothing_ticked", false, {}, {"0001", "0002", "0003"}, {"0004"}},
                      BatchCase{"paid_nothing_ticked", true, {}, {}, {}},
                      BatchCase{"paid_ticked", true, {"0002", "0004"}, {"0002"}, {"0004"}},
                      BatchCase{"paid_ticked_unpaid_only", true, {"0002"}, {"0002"}, {}},
                      BatchCase{"unpaid_ticked", false, {"0002"}, {"0001", "0003"}, {"0004"}}),
    [](const ::testing::TestParamInfo<BatchCase>& info) { return std::string(info.param.label); });

TEST_F(PLDZDJTest, TheDateIsCheckedBeforeAnythingIsWritten)
{
    frmPLDZDJ w;
    const QString before = untouched();
    // Before any listing: nothing to register, nothing said.
    w.Text2->setText(QStringLiteral("2003-5-9"));
    w.Command2_Click();
    EXPECT_TRUE(ui::testing::shownTexts().isEmpty());
    EXPECT_EQ(untouched(), before);

    list(w);
    w.Text2->setText(QString());
    w.Command2_Click();
    EXPECT_EQ(ui::testing::shownTexts(), QStringList{"到账日期错误！"});

    ui::testing::clearShown();
    w.Text2->setText(QStringLiteral("2003-13-40"));
    w.Text2_LostFocus();
    EXPECT_EQ(ui::testing::shownTexts(), QStringList{"输入到账日期个是错误！格式应为YYYY-MM-DD"});
    w.Command2_Click();
    EXPECT_EQ(ui::testing::shownTexts().size(), 2);
    EXPECT_EQ(ui::testing::shownTexts().last(), "输入到账日期个是错误！格式应为YYYY-MM-DD");
    EXPECT_EQ(untouched(), before);

    ui::testing::clearShown();
    w.Text2->setText(QStringLiteral("2003-5-9"));
    w.Text2_LostFocus();
    EXPECT_TRUE(ui::testing::shownTexts().isEmpty()) << "a date without leading zeros is a date";
}

TEST_F(PLDZDJTest, LeavingTheDateBoxChecksIt)
{
    frmPLDZDJ w;
    w.Text2->setText(QStringLiteral("2003-13-40"));
    QFocusEvent leaving(QEvent::FocusOut, Qt::TabFocusReason);
    QApplication::sendEvent(w.Text2, &leaving);
    EXPECT_EQ(ui::testing::shownTexts(), QStringList{"输入到账日期个是错误！格式应为YYYY-MM-DD"});
}

TEST_F(PLDZDJTest, RegistrationWritesTheListedMonthNotTheOneTypedSince)
{
    invoice(QStringLiteral("0002"), 4, QStringLiteral("40002"), QDate(2003, 4, 20));
    frmPLDZDJ w;
    list(w);
    w.Text1->setText(QStringLiteral("4"));
    w.Text2->setText(QStringLiteral("2003-5-9"));
    w.Command2_Click();
    EXPECT_EQ(paidOn("2003-05-09"), QStringList({"0001", "0002", "0003"}));
    EXPECT_EQ(billing("0002", "M4MD") + ledger("0002", "40002", QDate(2003, 4, 20)), "00|NULL");
}

TEST_F(PLDZDJTest, AFailingRowStopsTheRunWithTheEarlierRowsKept)
{
    fixtures::exec(ledgerFile(), QStringLiteral("drop table ZNJ0003"));
    frmPLDZDJ w;
    list(w);
    w.Text2->setText(QStringLiteral("2003-05-09"));
    w.Command2_Click();
    ASSERT_EQ(ui::testing::shownTexts().size(), 1);
    EXPECT_TRUE(ui::testing::shownTexts()[0].contains(QStringLiteral("30003")));
    EXPECT_EQ(paidOn("2003-05-09"), QStringList({"0001", "0002"}));
    EXPECT_EQ(billing("0003", "M3MD") + billing("0003", "M3DDATE"), "0NULL") << "the failing row left whole";
    EXPECT_EQ(billing("0004", "M3DDATE"), "2003-04-01") << "later rows not processed";
    EXPECT_EQ(column(w, frmPLDZDJ::Paid), QStringList({"1", "1", "0", "1"}));
    EXPECT_EQ(column(w, frmPLDZDJ::PaidOn), QStringList({"2003-05-09", "2003-05-09", "", "2003-04-01"}));
}

class PLDZDJPaidMeanwhile : public PLDZDJTest, public ::testing::WithParamInterface<bool> { };

TEST_P(PLDZDJPaidMeanwhile, APaidInvoiceKeepsItsDateInBothFilesAndTheOthersTakeTheBatchs)
{
    const bool afterListing = GetParam();
    if (!afterListing)
        payInDaoZhang(QStringLiteral("30002"), QDate(2003, 4, 15));
    frmPLDZDJ w;
    list(w);
    if (afterListing)
        payInDaoZhang(QStringLiteral("30002"), QDate(2003, 4, 15));
    ui::testing::clearShown();
    // Option2 as the window opens, nothing ticked: every unpaid invoice.
    w.Text2->setText(QStringLiteral("2003-05-09"));
    w.Command2_Click();
    EXPECT_EQ(ui::testing::shownTexts(), QStringList{keptMessage(2)});
    EXPECT_EQ(paidOn("2003-05-09"), QStringList({"0001", "0003"}));
    EXPECT_EQ(paidOn("2003-04-15"), QStringList{"0002"});
    EXPECT_EQ(paidOn("2003-04-01"), QStringList{"0004"});
    EXPECT_EQ(column(w, frmPLDZDJ::Paid), QStringList({"1", "1", "1", "1"}));
    EXPECT_EQ(column(w, frmPLDZDJ::PaidOn), QStringList({"2003-05-09", "2003-04-15", "2003-05-09", "2003-04-01"}))
        << "the list shows the date each invoice keeps";
}

INSTANTIATE_TEST_SUITE_P(When, PLDZDJPaidMeanwhile, ::testing::Values(false, true),
                         [](const ::testing::TestParamInfo<bool>& info) {
                             return std::string(info.param ? "paid_after_listing" : "paid_before_listing");
                         });

struct ChangedCase {
    const char* label;
    std::function<void(PaymentTest&)> change; // what another window does to 0002's invoice 30002
    QString number; // the invoice's number in both files afterwards
    bool voided;
};

void PrintTo(const ChangedCase& c, std::ostream* os)
{
    *os << c.label;
}

class PLDZDJChangedMeanwhile : public PLDZDJTest, public ::testing::WithParamInterface<ChangedCase> { };

TEST_P(PLDZDJChangedMeanwhile, TheInvoiceIsNotRegisteredInEitherFileAndIsNamed)
{
    const ChangedCase& c = GetParam();
    frmPLDZDJ w;
    list(w);
    c.change(*this);
    ui::testing::clearShown();
    w.Text2->setText(QStringLiteral("2003-05-09"));
    w.Command2_Click();
    EXPECT_EQ(billing("0002", "M3P"), c.number);
    EXPECT_EQ(billing("0002", "M3MD") + billing("0002", "M3DDATE"), "0NULL");
    if (c.voided)
        EXPECT_EQ(fixtures::probe(ledgerFile(), QStringLiteral("select count(*) from ZNJ0002")).toInt(), 0);
    else
        EXPECT_EQ(ledger("0002", c.number, march), "0|NULL") << "the ledger row agrees with the billing row";
    EXPECT_EQ(paidOn("2003-05-09"), QStringList{"0001"}) << "the rows before it registered, the run stopped there";
    EXPECT_EQ(column(w, frmPLDZDJ::Paid), QStringList({"1", "0", "0", "1"}));
    ASSERT_EQ(ui::testing::shownTexts().size(), 1);
    const QString said = ui::testing::shownTexts()[0];
    EXPECT_TRUE(said.contains(QStringLiteral("30002")) && said.contains(QStringLiteral("0002")) &&
                said.contains(QStringLiteral("请重新列出")))
        << said.toStdString();
}

INSTANTIATE_TEST_SUITE_P(
    Changes, PLDZDJChangedMeanwhile,
    ::testing::Values(
        ChangedCase{
            "renumbered_in_the_collection_window",
            [](PaymentTest& t) { t.renumberInCollectionWindow(QStringLiteral("0002"), 3, QStringLiteral("777")); },
            QStringLiteral("777"), false},
        ChangedCase{
            "voided",
            [](PaymentTest&) {
                invoicePayment::Writer(2003).voidInvoice({QStringLiteral("0002"), 3, QStringLiteral("30002"), march});
            },
            QString(), true}),
    [](const ::testing::TestParamInfo<ChangedCase>& info) { return std::string(info.param.label); });

TEST_F(PLDZDJTest, TheListShowsEveryColumnWholeAtTheWindowsSize)
{
    // The longest names of the sample county, and amounts of six figures.
    const QStringList names = {"示范县第一造纸厂", "宏达水泥有限公司", "示范县自来水公司", "长江建材有限公司"};
    for (int i = 0; i < listed.size(); ++i) {
        fixtures::exec(folder->data(QStringLiteral("qelvdw.mdb")),
                       QStringLiteral("update dw set DanWeiQuangCheng = '%1' where DanWeiBianHao = '%2'")
                           .arg(names[i], listed[i]));
        fixtures::exec(billingFile(),
                       QStringLiteral("update KPKZK set M3M = 123456.78 where DanWeiBianHao = '%1'").arg(listed[i]));
    }
    frmPLDZDJ w;
    w.show();
    auto everyColumnWhole = [&w](const char* when) {
        QHeaderView* header = w.ListView1->header();
        for (int c = 0; c < w.ListView1->columnCount(); ++c) {
            EXPECT_GE(header->sectionSize(c), ListWidths::contents(w.ListView1, c)) << when << ": column " << c;
            EXPECT_GE(header->sectionSize(c), header->sectionSizeHint(c)) << when << ": caption " << c;
        }
        const int last = w.ListView1->columnCount() - 1;
        EXPECT_LE(header->sectionViewportPosition(last) + header->sectionSize(last), w.ListView1->viewport()->width())
            << when << ": the last column ends inside the list";
        EXPECT_EQ(header->offset(), 0) << when;
    };
    everyColumnWhole("opened");
    list(w);
    EXPECT_EQ(column(w, frmPLDZDJ::Name), names);
    everyColumnWhole("listed");
    w.Text2->setText(QStringLiteral("2003-05-09"));
    w.Command2_Click();
    everyColumnWhole("registered");
}
