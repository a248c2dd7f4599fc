// The collection window: what it lists, the month without a billing file, the invoice-number change,
// and the document browser.
#include "platform/db/recordset.h"
#include "platform/ui/dialogs.h"
#include "qelv/collection/frmWt.h"
#include "qelv/collection/invoice_number.h"
#include "qelv/core/Module1.h"
#include "qelv/core/invoice_payment.h"
#include "tests/collection/collection_fixture.h"
#include "tests/fixtures/db_peer.h"
#include "tests/fixtures/sqlite_probe.h"

#include <QAction>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QTimer>
#include <QToolBar>
#include <QTreeWidget>
#include <functional>

using namespace collectionTests;

namespace {

class CollectionWindow : public CollectionMonth {
protected:
    static QStringList column(const frmWt& w, int c)
    {
        QStringList out;
        for (int i = 0; i < w.ListView1->topLevelItemCount(); ++i)
            out << w.ListView1->topLevelItem(i)->text(c);
        return out;
    }
    static void select(frmWt& w, int row)
    {
        w.ListView1->clearSelection();
        w.ListView1->topLevelItem(row)->setSelected(true);
    }
    static QString box(const frmWt& w, const char* column)
    {
        const auto& columns = frmWt::browserColumns();
        for (std::size_t i = 0; i < columns.size(); ++i)
            if (QString::fromUtf8(columns[i]) == QString::fromUtf8(column))
                return w.txtFields[i]->text();
        return QStringLiteral("<no box>");
    }
    void twoInvoices()
    {
        enterprise(QStringLiteral("010"), QStringLiteral("乙厂"));
        invoice(QStringLiteral("010"), QStringLiteral("124"), "20");
        enterprise(QStringLiteral("002"), QStringLiteral("甲厂"));
        invoice(QStringLiteral("002"), QStringLiteral("123"), "1234.5");
    }
};

TEST_F(CollectionWindow, ListsTheEnterprisesWithAnAgreementAnAccountAndAnInvoiceInNumberOrder)
{
    twoInvoices();
    enterprise(QStringLiteral("003"), QStringLiteral("零金额"));
    invoice(QStringLiteral("003"), QStringLiteral("125"), "0");
    enterprise(QStringLiteral("004"), QStringLiteral("无编号"));
    invoice(QStringLiteral("004"), QStringLiteral(""), "10");
    enterprise(QStringLiteral("005"), QStringLiteral("无协议"), QStringLiteral("622"), QStringLiteral(""));
    invoice(QStringLiteral("005"), QStringLiteral("126"), "10");
    enterprise(QStringLiteral("006"), QStringLiteral("无账号"), QVariant(), QStringLiteral("XY06"));
    invoice(QStringLiteral("006"), QStringLiteral("127"), "10");
    enterprise(QStringLiteral("007"), QStringLiteral("无发票"));
    enterprise(QStringLiteral("008"), QStringLiteral("空号"));
    invoice(QStringLiteral("008"), QVariant(), "10");
    // An invoice of an enterprise that is not in the register.
    fixtures::exec(billingFile(), QStringLiteral("insert into KPKZK (DanWeiBianHao, M3P, M3M) values ('099', '9', 5)"));

    frmWt w;
    EXPECT_EQ(w.windowTitle(), QStringLiteral("委托单"));
    EXPECT_FALSE(w.isModal());
    EXPECT_TRUE(ui::testing::shownTexts().isEmpty()) << ui::testing::shownTexts().join('\n').toStdString();
    EXPECT_TRUE(QFile::exists(printFile())) << "the month's print file copied from the template";
    EXPECT_EQ(w.mListCount, 2);
    EXPECT_EQ(column(w, frmWt::Enterprise), (QStringList{"002", "010"}));
    EXPECT_EQ(column(w, frmWt::Name), (QStringList{"甲厂", "乙厂"}));
    EXPECT_EQ(column(w, frmWt::InvoiceNumber), (QStringList{"123", "124"}));
    EXPECT_EQ(column(w, frmWt::Amount), (QStringList{"1234.5", "20"}));
    EXPECT_EQ(column(w, frmWt::Password), (QStringList{"", ""}));
    EXPECT_EQ(w.ListView1->topLevelItem(0)->checkState(0), Qt::Unchecked);
    QStringList headers;
    for (int i = 0; i < w.ListView1->columnCount(); ++i)
        headers << w.ListView1->headerItem()->text(i);
    EXPECT_EQ(headers, (QStringList{"单位编号", "单位名称", "发票编号", "金额", "密码"}));
    EXPECT_EQ(w.panels[1]->text(), QStringLiteral("用户:张三"));
    EXPECT_EQ(w.panels[2]->text(), QStringLiteral("开票日期:2003-03-05"));
    EXPECT_EQ(w.panels[3]->text(), QStringLiteral("操作月份:2003-03"));
    QStringList keys;
    int separators = 0;
    for (QAction* a : w.Toolbar1->actions()) {
        if (a->isSeparator()) {
            ++separators;
            keys << QStringLiteral("|");
        } else
            keys << a->objectName() + QLatin1Char('=') + a->text() + QLatin1Char(':') + a->toolTip();
    }
    EXPECT_EQ(keys,
              (QStringList{"sywt=所有委托:生成所有委托", "sxwt=所选委托:生成所选委托", "|", "xswt=显示委托:显示委托",
                           "|", "xgfp=修改发票:修改发票编号", "|", "lxtd=连续套打:连续委托票套打",
                           "flxtd=单票套打:非连续委托票套打", "|", "tc=退 出:退出"}));
    EXPECT_TRUE(w.Timer1->isActive());
    EXPECT_EQ(w.Timer1->interval(), 1000);
    EXPECT_FALSE(w.ProgressBar1->isVisible());
    EXPECT_EQ(w.Label1->text(), QStringLiteral("密码"));
    EXPECT_EQ(w.Label2->text(), QStringLiteral("协议号"));
    for (std::size_t i = 0; i < w.txtFields.size(); ++i)
        EXPECT_EQ(w.txtFields[i]->objectName(), QStringLiteral("txtFields%1").arg(i));
}

TEST_F(CollectionWindow, WithoutTheYearsBillingFileThereIsNoData)
{
    Module1::gWorkMonth = QDate(2004, 3, 1);
    frmWt w;
    EXPECT_EQ(ui::testing::shownTexts(), QStringList{QStringLiteral("没有数据!")});
    EXPECT_EQ(ui::testing::shown()[0].icon, ui::Icon::Information);
    EXPECT_EQ(w.mListCount, 0);
    EXPECT_EQ(w.ListView1->topLevelItemCount(), 0);
    EXPECT_EQ(w.panels[1]->text(), QString());
    EXPECT_TRUE(QFile::exists(folder->data(QStringLiteral("qelvwtPrint2004_3.mdb"))));
    // Nothing to generate, nothing to change.
    w.Toolbar1_ButtonClick(QStringLiteral("sywt"));
    w.Toolbar1_ButtonClick(QStringLiteral("xgfp"));
    EXPECT_EQ(ui::testing::shown().size(), 1u);
    EXPECT_EQ(pm22->starts(), 0);
}

TEST_F(CollectionWindow, ANewInvoiceNumberChangesTheBillingRowAndTheLedgerRowTogether)
{
    twoInvoices();
    // The same number in the ledger under another date: another year's invoice, left alone.
    fixtures::exec(ledgerFile(),
                   QStringLiteral("insert into ZNJ002 (KaiPiaoRiQi, FaPiaoBianHao, DaoZhangQingKuang, "
                                  "PiaoJuLeiXing, ZNJYiShou) values ('2002-03-05', '123', 0, 0, 0)"));
    frmWt w;
    w.Toolbar1_ButtonClick(QStringLiteral("sywt"));
    ui::testing::clearShown();

    // Nothing selected: nothing asked.
    w.ListView1->clearSelection();
    w.Toolbar1_ButtonClick(QStringLiteral("xgfp"));
    EXPECT_TRUE(ui::testing::shown().empty());

    select(w, 0);
    ui::testing::answerInput(QStringLiteral("1234"));
    w.Toolbar1_ButtonClick(QStringLiteral("xgfp"));
    ASSERT_EQ(ui::testing::shown().size(), 1u);
    EXPECT_EQ(ui::testing::shown()[0].kind, ui::testing::Shown::Input);
    EXPECT_EQ(ui::testing::shown()[0].text, QStringLiteral("输入发票编号"));
    EXPECT_EQ(ui::testing::shown()[0].title, QStringLiteral("发票编号修改"));
    EXPECT_EQ(ui::testing::shown()[0].proposed, QString());
    EXPECT_EQ(billing("002", "M3P"), "1234");
    EXPECT_EQ(billing("010", "M3P"), "124");
    EXPECT_EQ(ledgerNumbers("002"), (QStringList{"1234", "123"})) << "only the row of this invoice's date";
    EXPECT_EQ(column(w, frmWt::InvoiceNumber), (QStringList{"1234", "124"}));
    ASSERT_EQ(documents().size(), 2u);
    EXPECT_EQ(documents()[0].at("委托号码"), "123") << "the documents keep the old number until generated again";
    EXPECT_EQ(w.mListCount, 2);
}

struct RefusedCase {
    const char* label;
    QString typed;
    QString message; // empty: nothing said
};

void PrintTo(const RefusedCase& c, std::ostream* os)
{
    *os << c.label;
}

class RefusedNumber : public CollectionWindow, public ::testing::WithParamInterface<RefusedCase> { };

TEST_P(RefusedNumber, ChangesNothing)
{
    twoInvoices();
    // Another month's invoice of the year.
    fixtures::exec(billingFile(), QStringLiteral("update KPKZK set M7P = '7001' where DanWeiBianHao = '010'"));
    frmWt w;
    select(w, 0);
    ui::testing::answerInput(GetParam().typed);
    w.Toolbar1_ButtonClick(QStringLiteral("xgfp"));
    QStringList said;
    for (const auto& s : ui::testing::shown())
        if (s.kind == ui::testing::Shown::Message) {
            said << s.text;
            EXPECT_EQ(s.icon, ui::Icon::Information);
        }
    EXPECT_EQ(said, GetParam().message.isEmpty() ? QStringList{} : QStringList{GetParam().message});
    EXPECT_EQ(billing("002", "M3P"), "123");
    EXPECT_EQ(ledgerNumbers("002"), QStringList{"123"});
    EXPECT_EQ(column(w, frmWt::InvoiceNumber), (QStringList{"123", "124"}));
}

INSTANTIATE_TEST_SUITE_P(Numbers, RefusedNumber,
                         ::testing::Values(RefusedCase{"left empty", "", ""},
                                           RefusedCase{"letters", "12a4", "发票编号只能由数字组成。"},
                                           RefusedCase{"a quote", "12'4", "发票编号只能由数字组成。"},
                                           RefusedCase{"nine digits", "123456789", "发票编号要由 1 到 8 位数字组成。"},
                                           RefusedCase{"another enterprise's invoice of the month", "124",
                                                       "发票编号 124 已经是单位 010 3 月发票的编号。"},
                                           RefusedCase{"an invoice of another month", "7001",
                                                       "发票编号 7001 已经是单位 010 7 月发票的编号。"},
                                           RefusedCase{"another enterprise's invoice with leading zeros", "00000124",
                                                       "发票编号 00000124 已经是单位 010 3 月发票的编号。"},
                                           RefusedCase{"an invoice of another month with leading zeros", "07001",
                                                       "发票编号 07001 已经是单位 010 7 月发票的编号。"},
                                           RefusedCase{"its own number", "123", ""},
                                           RefusedCase{"its own number with leading zeros", "00000123", ""}));

TEST_F(CollectionWindow, ANumberWithLeadingZerosIsComparedAndStoredByItsValue)
{
    twoInvoices();
    // A number recorded with its zeros (before numbers were stored by their value) is still taken.
    fixtures::exec(billingFile(), QStringLiteral("update KPKZK set M7P = '000456' where DanWeiBianHao = '010'"));
    auto said = [] {
        QStringList out;
        for (const auto& s : ui::testing::shown())
            if (s.kind == ui::testing::Shown::Message)
                out << s.text;
        ui::testing::clearShown();
        return out;
    };
    frmWt w;
    select(w, 0);
    ui::testing::answerInput(QStringLiteral("456"));
    w.Toolbar1_ButtonClick(QStringLiteral("xgfp"));
    EXPECT_EQ(said(), QStringList{QStringLiteral("发票编号 456 已经是单位 010 7 月发票的编号。")});
    EXPECT_EQ(billing("002", "M3P"), "123");

    ui::testing::answerInput(QStringLiteral("00001234"));
    w.Toolbar1_ButtonClick(QStringLiteral("xgfp"));
    EXPECT_EQ(said(), QStringList{});
    EXPECT_EQ(billing("002", "M3P"), "1234");
    EXPECT_EQ(ledgerNumbers("002"), QStringList{"1234"});
    EXPECT_EQ(column(w, frmWt::InvoiceNumber), (QStringList{"1234", "124"}));
    // Its own number typed again with zeros changes nothing.
    ui::testing::answerInput(QStringLiteral("01234"));
    w.Toolbar1_ButtonClick(QStringLiteral("xgfp"));
    EXPECT_EQ(billing("002", "M3P"), "1234");
    EXPECT_EQ(column(w, frmWt::InvoiceNumber), (QStringList{"1234", "124"}));
}

TEST_F(CollectionWindow, ANumberChangeThatFailsInTheLedgerLeavesTheBillingRow)
{
    twoInvoices();
    frmWt w;
    fixtures::exec(ledgerFile(), QStringLiteral("drop table ZNJ002"));
    select(w, 0);
    ui::testing::answerInput(QStringLiteral("555"));
    w.Toolbar1_ButtonClick(QStringLiteral("xgfp"));
    ASSERT_EQ(ui::testing::shown().size(), 2u);
    EXPECT_TRUE(ui::testing::shown()[1].text.contains(QStringLiteral("ZNJ002")))
        << ui::testing::shown()[1].text.toStdString();
    EXPECT_EQ(billing("002", "M3P"), "123");
    EXPECT_EQ(column(w, frmWt::InvoiceNumber), (QStringList{"123", "124"}));
}

TEST_F(CollectionWindow, ANumberChangeOnAYearlyFileWithoutTheInvoiceDateChangesNothingAndNamesIt)
{
    twoInvoices();
    fixtures::exec(billingFile(), QStringLiteral("alter table KPKZK drop column M3DATE"));
    frmWt w;
    select(w, 0);
    ui::testing::answerInput(QStringLiteral("1234"));
    w.Toolbar1_ButtonClick(QStringLiteral("xgfp"));
    ASSERT_EQ(ui::testing::shown().size(), 2u);
    const QString said = ui::testing::shown()[1].text;
    EXPECT_TRUE(said.contains(QStringLiteral("“M3DATE”")) && said.contains(QStringLiteral("123")))
        << said.toStdString();
    EXPECT_EQ(billing("002", "M3P"), "123");
    EXPECT_EQ(ledgerNumbers("002"), QStringList{"123"});
    EXPECT_EQ(column(w, frmWt::InvoiceNumber), (QStringList{"123", "124"}));
}

// Another copy of the program gives the typed number to another invoice while this change waits for
// the yearly file: the number is looked for again once the change holds the file, and refused.
TEST_F(CollectionWindow, ANumberGivenAwayWhileTheChangeWaitsIsRefused)
{
    twoInvoices();
    {
        fixtures::HeldFile other(billingFile(),
                                 QStringLiteral("BEGIN IMMEDIATE; "
                                                "UPDATE KPKZK SET M7P = '777' WHERE DanWeiBianHao = '010'"));
        other.releaseWhenWaitedFor(QStringLiteral("COMMIT"));
        try {
            collection::changeInvoiceNumber(2003, 3, QStringLiteral("002"), QStringLiteral("123"),
                                            QStringLiteral("777"));
            ADD_FAILURE() << "a number another invoice carries was given";
        } catch (const collection::NumberError& e) {
            EXPECT_EQ(e.description(), QStringLiteral("发票编号 777 已经是单位 010 7 月发票的编号。"));
        }
        EXPECT_EQ(other.waits(), QStringList{billingFile()});
    }
    EXPECT_EQ(billing("010", "M7P"), "777");
    EXPECT_EQ(billing("002", "M3P"), "123");
    EXPECT_EQ(ledgerNumbers("002"), QStringList{"123"});
}

struct MeanwhileCase {
    const char* label;
    std::function<void(CollectionWindow&)> change; // what happens to 002's invoice 123 after the listing
    QString number; // its number in both files afterwards, empty when voided
};

void PrintTo(const MeanwhileCase& c, std::ostream* os)
{
    *os << c.label;
}

class ChangedMeanwhile : public CollectionWindow, public ::testing::WithParamInterface<MeanwhileCase> {
public:
    void renumberInASecondWindow()
    {
        frmWt second;
        select(second, 0);
        ui::testing::answerInput(QStringLiteral("555"));
        second.Toolbar1_ButtonClick(QStringLiteral("xgfp"));
        ASSERT_EQ(billing("002", "M3P"), "555");
    }
};

TEST_P(ChangedMeanwhile, ANumberChangeOfTheListedInvoiceChangesNothingAndNamesIt)
{
    twoInvoices();
    frmWt w;
    GetParam().change(*this);
    ui::testing::clearShown();
    select(w, 0);
    ui::testing::answerInput(QStringLiteral("777"));
    w.Toolbar1_ButtonClick(QStringLiteral("xgfp"));
    ASSERT_EQ(ui::testing::shown().size(), 2u);
    const QString said = ui::testing::shown()[1].text;
    EXPECT_TRUE(said.contains(QStringLiteral("123")) && said.contains(QStringLiteral("002")) &&
                said.contains(QStringLiteral("重新打开")))
        << said.toStdString();
    EXPECT_EQ(billing("002", "M3P"), GetParam().number);
    EXPECT_EQ(ledgerNumbers("002"), GetParam().number.isEmpty() ? QStringList{} : QStringList{GetParam().number});
    EXPECT_EQ(column(w, frmWt::InvoiceNumber), (QStringList{"123", "124"}));
}

INSTANTIATE_TEST_SUITE_P(
    Changes, ChangedMeanwhile,
    ::testing::Values(MeanwhileCase{"renumbered_in_a_second_window",
                                    [](CollectionWindow& t) {
                                        static_cast<ChangedMeanwhile&>(t).renumberInASecondWindow();
                                    },
                                    QStringLiteral("555")},
                      MeanwhileCase{"voided",
                                    [](CollectionWindow&) {
                                        invoicePayment::Writer(2003).voidInvoice(
                                            {QStringLiteral("002"), 3, QStringLiteral("123"), Module1::gInvoiceDate});
                                    },
                                    QString()}),
    [](const ::testing::TestParamInfo<MeanwhileCase>& info) { return std::string(info.param.label); });

TEST_F(CollectionWindow, TheBrowserShowsTheDocumentsAndBeepsAtBothEnds)
{
    twoInvoices();
    frmWt w;
    w.show();
    w.cmdNext_Click();
    ASSERT_EQ(ui::testing::shownTexts().size(), 1);
    EXPECT_TRUE(ui::testing::shownTexts()[0].contains(QStringLiteral("显示委托")));
    ui::testing::clearShown();

    // An empty file: next and previous stay put without a beep, first and last say why.
    w.Toolbar1_ButtonClick(QStringLiteral("xswt"));
    ASSERT_NE(w.adoPrimaryRS(), nullptr);
    EXPECT_EQ(w.adoPrimaryRS()->recordCount(), 0);
    const int beeps = ui::testing::beeps();
    w.cmdNext_Click();
    w.cmdPrevious_Click();
    EXPECT_EQ(ui::testing::beeps(), beeps);
    EXPECT_TRUE(ui::testing::shown().empty());
    w.cmdFirst_Click();
    w.cmdLast_Click();
    EXPECT_EQ(ui::testing::shown().size(), 2u);
    ui::testing::clearShown();

    w.Toolbar1_ButtonClick(QStringLiteral("sywt"));
    ui::testing::clearShown();
    w.Toolbar1_ButtonClick(QStringLiteral("xswt"));
    EXPECT_EQ(w.adoPrimaryRS()->recordCount(), 2);
    EXPECT_EQ(w.lblStatus->text(), QStringLiteral("Record: 1"));
    EXPECT_EQ(box(w, "付款人单位"), QStringLiteral("甲厂"));
    EXPECT_EQ(box(w, "委托号码"), QStringLiteral("123"));
    EXPECT_EQ(box(w, "千"), QStringLiteral("1"));
    EXPECT_EQ(box(w, "分"), QStringLiteral("0"));
    EXPECT_EQ(box(w, "委托密码"), w.ListView1->topLevelItem(0)->text(frmWt::Password));
    EXPECT_TRUE(w.txtFields[0]->isReadOnly());

    w.cmdPrevious_Click();
    EXPECT_EQ(ui::testing::beeps(), beeps + 1);
    EXPECT_EQ(w.lblStatus->text(), QStringLiteral("Record: 1"));
    w.cmdNext_Click();
    EXPECT_EQ(w.lblStatus->text(), QStringLiteral("Record: 2"));
    EXPECT_EQ(box(w, "付款人单位"), QStringLiteral("乙厂"));
    w.cmdNext_Click();
    EXPECT_EQ(ui::testing::beeps(), beeps + 2);
    EXPECT_EQ(w.lblStatus->text(), QStringLiteral("Record: 2"));
    EXPECT_EQ(box(w, "付款人单位"), QStringLiteral("乙厂"));
    w.cmdFirst_Click();
    EXPECT_EQ(box(w, "付款人单位"), QStringLiteral("甲厂"));
    w.cmdLast_Click();
    EXPECT_EQ(w.lblStatus->text(), QStringLiteral("Record: 2"));
    EXPECT_TRUE(ui::testing::shownTexts().isEmpty()) << ui::testing::shownTexts().join('\n').toStdString();

    w.Toolbar1_ButtonClick(QStringLiteral("tc"));
    EXPECT_FALSE(w.isVisible());
}

TEST(InvoiceNumberRule, DigitsOnlyAndAtMostEight)
{
    EXPECT_TRUE(collection::invoiceNumberProblem(QStringLiteral("1")).isEmpty());
    EXPECT_TRUE(collection::invoiceNumberProblem(QStringLiteral("00012345")).isEmpty());
    EXPECT_FALSE(collection::invoiceNumberProblem(QStringLiteral("123456789")).isEmpty());
    EXPECT_FALSE(collection::invoiceNumberProblem(QStringLiteral("")).isEmpty());
    EXPECT_FALSE(collection::invoiceNumberProblem(QStringLiteral(" 123")).isEmpty());
    EXPECT_FALSE(collection::invoiceNumberProblem(QStringLiteral("１２３")).isEmpty()) << "full-width digits";
    EXPECT_FALSE(collection::invoiceNumberProblem(QStringLiteral("-12")).isEmpty());
}

} // namespace
