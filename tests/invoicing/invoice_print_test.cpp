// Printing the generated invoices from the invoice run window through the private CUPS scheduler, with
// the paper control registered: the numbers each invoice gets, what KPKZK and the late-fee ledgers
// record, the list, the pages that reach the printer, and the printer's paper during and after a run.
#include "platform/ui/dialogs.h"
#include "qelv/core/frmMsgBox.h"
#include "qelv/core/print_run.h"
#include "qelv/invoicing/frmPJSCDY.h"
#include "tests/fixtures/cups/printing_test.h"
#include "tests/fixtures/sqlite_probe.h"
#include "tests/invoicing/month_fixture.h"

#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QProcess>
#include <QPushButton>
#include <QTimer>
#include <QToolBar>
#include <QTreeWidget>
#include <gtest/gtest.h>
#include <optional>

static void PrintTo(const QString& s, std::ostream* os)
{
    *os << '"' << s.toStdString() << '"';
}

namespace {

using fixtures::CupsScheduler;

// The shipped layout's paper, 241 by 140 mm, and a size without a paper code the printer starts on.
const QString kInvoicePaper = QStringLiteral("custom_241x140mm_241x140mm");
const QString kSaved = QStringLiteral("custom_297x210mm_297x210mm");

using fixtures::progressShown;

// What a run showed and left.
struct Printed {
    std::optional<CupsScheduler::Defaults> during; // the printer while the run waited for its job
    bool toolbarEnabled = true, closeRefused = false, progress = false, singleSheets = false;
    bool secondPrintRefused = false;
    QString status; // status panel 1
    std::vector<int> jobs;
    QStringList pages; // the text of each page of the last job, as pdftotext reads its spool file
    QStringList shown; // message and input boxes, in order, but for the refusals during the wait
};

class InvoicePrinting : public fixtures::PrintingTest<fixtures::InvoiceMonth> {
protected:
    void SetUp() override
    {
        PrintingTest::SetUp();
        if (!ready())
            return;
        usePrinter(kSaved, "landscape", folder->path());
        Module1::gInvoiceDate = QDate(2003, 5, 9);
        Module1::gLateFeeOn = true;
    }
    void TearDown() override
    {
        window.reset();
        PrintingTest::TearDown();
    }

    // Enterprises in the register in the order given, each with one fee of its number in yuan, and
    // their invoices generated from the run window.
    frmPJSCDY& generate(const QStringList& numbers)
    {
        for (const QString& n : numbers) {
            enterprise(n, QStringLiteral("厂") + n);
            assign(n, QStringLiteral("W1"), QStringLiteral("甲"), 1, 1, QStringLiteral("废水"),
                   n.toLatin1().constData());
        }
        window = std::make_unique<frmPJSCDY>();
        window->show();
        window->Toolbar1_ButtonClick(QStringLiteral("syfp"));
        ui::testing::clearShown();
        return *window;
    }

    // Presses a print button with the typed numbers and the answers to its questions queued, looking at
    // the window and the printer once the run waits for its job.
    Printed press(const char* key, const QStringList& typed, const std::vector<ui::Answer>& answers = {})
    {
        for (const QString& t : typed)
            ui::testing::answerInput(t);
        for (ui::Answer a : answers)
            ui::testing::answer(a);
        ui::testing::clearShown();
        Printed run;
        const std::vector<int> before = scheduler->jobIds("qcustom");
        QTimer poll;
        QObject::connect(&poll, &QTimer::timeout, [&] {
            if (!printRun::running() || run.during)
                return;
            poll.stop();
            run.during = defaults();
            run.toolbarEnabled = window->Toolbar1->isEnabled() && window->Command1->isEnabled();
            run.progress = progressShown();
            run.singleSheets = Module1::gNonContinuousPrint;
            run.status = window->panels[0]->text();
            run.closeRefused = !window->close();
            // Another print or a generation, from this window or another, is refused meanwhile.
            frmPJSCDY other;
            const std::size_t shownBefore = ui::testing::shown().size();
            other.Toolbar1_ButtonClick(QStringLiteral("syfp"));
            window->GenerateInvoices(false);
            run.secondPrintRefused = ui::testing::shown().size() == shownBefore + 2 &&
                ui::testing::shown().back().text == printRun::busyText();
        });
        poll.start(0);
        window->Toolbar1_ButtonClick(QString::fromLatin1(key));
        for (int id : scheduler->jobIds("qcustom"))
            if (std::find(before.begin(), before.end(), id) == before.end())
                run.jobs.push_back(id);
        if (!run.jobs.empty())
            run.pages = spooledPages(run.jobs.back());
        run.shown = ui::testing::shownTexts();
        // The refusals the look during the wait brought about are counted there.
        if (run.secondPrintRefused)
            run.shown.removeAll(printRun::busyText());
        return run;
    }

    // The document the scheduler keeps for a job, page by page.
    QStringList spooledPages(int job)
    {
        const QString file =
            QStringLiteral("%1/spool/d%2-001").arg(scheduler->folder()).arg(job, 5, 10, QLatin1Char('0'));
        QProcess tool;
        tool.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), file, QStringLiteral("-")});
        if (!tool.waitForFinished(30000) || tool.exitCode() != 0) {
            ADD_FAILURE() << "pdftotext " << file.toStdString() << ": " << tool.readAllStandardError().toStdString();
            return {};
        }
        QStringList pages = QString::fromUtf8(tool.readAllStandardOutput()).split(QLatin1Char('\f'));
        if (!pages.isEmpty() && pages.last().trimmed().isEmpty())
            pages.removeLast();
        return pages;
    }

    QString billingValue(const QString& number, const char* column)
    {
        return billing
            ->scalar(QStringLiteral("select %1 from KPKZK where DanWeiBianHao = ?").arg(QString::fromLatin1(column)),
                     {number})
            .toString();
    }
    // The ledger's rows as "number date FaPiaoJinE ShouFeiJinE".
    QStringList ledgerRows(const QString& number)
    {
        QStringList out;
        auto rs = ledgers->openRecordset(QStringLiteral("select * from %1 order by KaiPiaoRiQi, FaPiaoBianHao")
                                             .arg(db::quoteIdentifier(lateFeeLedger::tableName(number))),
                                         {}, db::LockType::ReadOnly);
        for (; !rs->isEOF(); rs->moveNext())
            out << QStringLiteral("%1 %2 %3 %4")
                       .arg(rs->value("FaPiaoBianHao").toString(),
                            rs->value("KaiPiaoRiQi").toDate().toString(Qt::ISODate), rs->value("FaPiaoJinE").toString(),
                            rs->value("ShouFeiJinE").toString());
        return out;
    }
    QString listed(const QString& number)
    {
        for (int i = 0; i < window->ListView1->topLevelItemCount(); ++i)
            if (window->ListView1->topLevelItem(i)->text(0) == number)
                return window->ListView1->topLevelItem(i)->text(2);
        return QStringLiteral("<not listed>");
    }

    // Whatever way a run ends, the window is at rest and the printer has its own paper back.
    void expectAtRest()
    {
        EXPECT_FALSE(printRun::running());
        EXPECT_FALSE(Module1::gNonContinuousPrint);
        EXPECT_FALSE(progressShown());
        EXPECT_EQ(window->panels[0]->text(), QStringLiteral("状态"));
        EXPECT_TRUE(window->Toolbar1->isEnabled());
        EXPECT_TRUE(window->isVisible());
        EXPECT_EQ(defaults().media, kSaved);
        EXPECT_EQ(defaults().orientation, "landscape");
    }

    std::unique_ptr<frmPJSCDY> window;
};

// A run over a typed range: the enterprises generated in the order given; for each the number it gets
// (empty: none), in the order its pages print.
struct RangeCase {
    const char* name;
    QStringList typed;
    QStringList enterprises;
    QStringList numbered; // "enterprise number", in printing order
    const char* message; // part of the one message shown; nullptr for none
};
void PrintTo(const RangeCase& c, std::ostream* os)
{
    *os << c.name;
}

class InvoiceRanges : public InvoicePrinting, public ::testing::WithParamInterface<RangeCase> {
protected:
    static void SetUpTestSuite() { InvoicePrinting::SetUpTestSuite(); }
    static void TearDownTestSuite() { InvoicePrinting::TearDownTestSuite(); }
};

TEST_P(InvoiceRanges, NumbersRecordsListAndPagesInOneOrder)
{
    const RangeCase& c = GetParam();
    generate(c.enterprises);
    const Printed run = press("lxtd", c.typed);

    QStringList expectedPages, numberedEnterprises;
    for (const QString& pair : c.numbered) {
        const QString enterprise = pair.section(QLatin1Char(' '), 0, 0);
        const QString number = pair.section(QLatin1Char(' '), 1, 1);
        numberedEnterprises << enterprise;
        SCOPED_TRACE(enterprise.toStdString());
        EXPECT_EQ(billingValue(enterprise, "M5P"), number);
        EXPECT_EQ(billingValue(enterprise, "M5DATE"), QStringLiteral("2003-05-09"));
        EXPECT_EQ(billing->scalar("select M5M from KPKZK where DanWeiBianHao = ?", {enterprise}).toDouble(),
                  enterprise.toInt());
        EXPECT_EQ(billingValue(enterprise, "M5CM"),
                  print->scalar("select 大写合计 from KPDW where DanWeiBianHao = ?", {enterprise}).toString());
        EXPECT_EQ(ledgerRows(enterprise),
                  QStringList{QStringLiteral("%1 2003-05-09 %2 %2").arg(number, QString::number(enterprise.toInt()))});
        EXPECT_EQ(listed(enterprise), number);
    }
    for (const QString& enterprise : c.enterprises)
        if (!numberedEnterprises.contains(enterprise)) {
            SCOPED_TRACE(enterprise.toStdString());
            EXPECT_EQ(billingValue(enterprise, "M5P"), QString());
            EXPECT_TRUE(ledgerRows(enterprise).isEmpty());
            EXPECT_EQ(listed(enterprise), QString());
        }

    QStringList shownMessages = run.shown.mid(2); // after the two input boxes
    if (c.message) {
        ASSERT_EQ(shownMessages.size(), 1) << run.shown.join('|').toStdString();
        EXPECT_TRUE(shownMessages[0].contains(QString::fromUtf8(c.message))) << shownMessages[0].toStdString();
    } else {
        EXPECT_TRUE(shownMessages.isEmpty()) << shownMessages.join('|').toStdString();
    }
    if (c.numbered.isEmpty()) {
        EXPECT_TRUE(run.jobs.empty());
        EXPECT_FALSE(run.during) << "the paper was never touched";
    } else {
        ASSERT_EQ(run.jobs.size(), 1u);
        ASSERT_EQ(run.pages.size(), c.numbered.size()) << run.pages.join("\n----\n").toStdString();
        for (qsizetype i = 0; i < run.pages.size(); ++i)
            EXPECT_TRUE(run.pages[i].contains(QStringLiteral("厂") + numberedEnterprises[i]))
                << i << ": " << run.pages[i].toStdString();
        const auto job = scheduler->job(run.jobs.back());
        ASSERT_TRUE(job);
        EXPECT_EQ(job->media, kInvoicePaper);
        EXPECT_EQ(job->orientation, 3);
        ASSERT_TRUE(run.during);
        EXPECT_EQ(run.during->media, kInvoicePaper);
        EXPECT_EQ(run.during->orientation, "portrait");
        EXPECT_FALSE(run.toolbarEnabled);
        EXPECT_TRUE(run.progress);
        EXPECT_TRUE(run.closeRefused) << "the window closed while it printed";
        EXPECT_TRUE(run.secondPrintRefused);
        EXPECT_EQ(run.status, QStringLiteral("请等一会儿..."));
    }
    expectAtRest();
}

INSTANTIATE_TEST_SUITE_P(
    Typed, InvoiceRanges,
    ::testing::Values(
        RangeCase{"LeadingZerosDroppedNumbersInEnterpriseOrder",
                  {"00012345", "00012349"},
                  {"003", "001", "002"},
                  {"001 12345", "002 12346", "003 12347"},
                  nullptr},
        RangeCase{"ARangeShorterThanTheInvoicesSaysHowManyAreLeft",
                  {"100", "101"},
                  {"005", "004", "003", "002", "001"},
                  {"001 100", "002 101"},
                  "另有 3 张发票没有编号"},
        RangeCase{"BlanksAroundTheNumbersAreIgnored", {" 7 ", "\t8"}, {"002", "001"}, {"001 7", "002 8"}, nullptr},
        RangeCase{"ALastNumberBelowTheFirstPrintsNothing", {"5", "3"}, {"001"}, {}, "小于"},
        RangeCase{"LettersAreRefused", {"abc", "xyz"}, {"001"}, {}, "“abc”无效"},
        RangeCase{"ANumberOfSixteenDigitsIsRefused", {"1", "1234567890123456"}, {"001"}, {}, "最多 15 位"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(InvoicePrinting, ALateFeeEntersTheLedgerApartFromTheFeeAndTheDateIsStoredAsADate)
{
    generate({"001"});
    print->execute(QStringLiteral("update KPDW set 小写合计 = '1200.00', znj = '200' where DanWeiBianHao = '001'"));
    const Printed run = press("lxtd", {"9", "9"});
    EXPECT_EQ(run.jobs.size(), 1u) << run.shown.join('|').toStdString();
    EXPECT_EQ(ledgerRows("001"), QStringList{"9 2003-05-09 1200 1000"});
    EXPECT_EQ(billing->scalar("select M5M from KPKZK where DanWeiBianHao = '001'").toDouble(), 1200);
    EXPECT_EQ(billing->scalar("select M5MBZJ from KPKZK where DanWeiBianHao = '001'").toDouble(), 200);
    EXPECT_EQ(billing->scalar("select typeof(M5DATE) || ' ' || date(M5DATE) from KPKZK where DanWeiBianHao = '001'")
                  .toString(),
              QStringLiteral("text 2003-05-09"));
    expectAtRest();
}

TEST_F(InvoicePrinting, APrintedInvoiceKeepsTheLatePaymentItCarriedWhenTheMonthIsGeneratedAgain)
{
    // Each owes 1000.00 since 2003-04-01 and paid 2000.00 of 2003-03-01 on 2003-04-20: on 2003-05-09,
    // with 10 grace days at 0.0005 a day, 14.00 for the unpaid invoice and 40.00 for the late payment.
    Module1::gLateFeeStartDays = 10;
    Module1::gLateFeeRate = 0.0005f;
    for (const QString& n : {QStringLiteral("001"), QStringLiteral("002")}) {
        enterprise(n, QStringLiteral("厂") + n);
        assign(n, QStringLiteral("W1"), QStringLiteral("甲"), 1, 1, QStringLiteral("废水"), "100");
        ledgerRow(n, QDate(2003, 4, 1), "1000");
        ledgerRow(n, QDate(2003, 3, 1), "2000", QDate(2003, 4, 20));
    }
    window = std::make_unique<frmPJSCDY>();
    window->show();
    auto lateFees = [this] {
        window->Toolbar1_ButtonClick(QStringLiteral("syfp"));
        return print
            ->scalar(QStringLiteral("select group_concat(DanWeiBianHao || ':' || znj, ' ') from "
                                    "(select * from KPDW order by DanWeiBianHao)"))
            .toString();
    };
    EXPECT_EQ(lateFees(), QStringLiteral("001:54 002:54"));
    EXPECT_EQ(lateFees(), QStringLiteral("001:54 002:54")) << "generated again before printing";
    // Only 001's invoice printed: its late payment stays charged, 002's is charged again.
    const Printed run = press("lxtd", {"11", "11"});
    ASSERT_EQ(run.jobs.size(), 1u) << run.shown.join('|').toStdString();
    EXPECT_EQ(lateFees(), QStringLiteral("001:14 002:54"));
    EXPECT_EQ(ledgerRows("001"),
              (QStringList{"1 2003-03-01 2000 2000", "1 2003-04-01 1000 1000", "11 2003-05-09 154 100"}));
    expectAtRest();
}

TEST_F(InvoicePrinting, WithLateFeesOffNoLedgerRowIsWritten)
{
    Module1::gLateFeeOn = false;
    generate({"001"});
    const Printed run = press("lxtd", {"9", "9"});
    EXPECT_EQ(run.jobs.size(), 1u) << run.shown.join('|').toStdString();
    EXPECT_EQ(billingValue("001", "M5P"), QStringLiteral("9"));
    EXPECT_TRUE(ledgerRows("001").isEmpty());
}

TEST_F(InvoicePrinting, SingleSheetsPrintWithTheFlagSetAndClearedAfterwardsOnEveryWayOut)
{
    generate({"001"});
    const Printed printed = press("flxtd", {"9", "9"});
    EXPECT_TRUE(printed.singleSheets) << "the report was laid out for single sheets";
    EXPECT_EQ(printed.jobs.size(), 1u) << printed.shown.join('|').toStdString();
    expectAtRest();

    const Printed cancelled = press("flxtd", {""});
    EXPECT_TRUE(cancelled.jobs.empty());
    EXPECT_EQ(cancelled.shown.size(), 1) << "nothing but the first input box";
    expectAtRest();

    const Printed refused = press("flxtd", {"a", "b"});
    EXPECT_TRUE(refused.jobs.empty());
    expectAtRest();
}

TEST_F(InvoicePrinting, AReprintAsksFirstAndReplacesTheEarlierLedgerRows)
{
    generate({"002", "001"});
    // A row of another year with the number 11 stays whatever happens to this year's 11.
    ledgers->execute(QStringLiteral("insert into ZNJ001 values ('2002-05-09', '11', 5, 5, 1, '2002-06-01', 0, 1)"));
    ASSERT_EQ(press("lxtd", {"11", "12"}).jobs.size(), 1u);

    // Answered No: nothing changes and nothing prints.
    Printed declined = press("lxtd", {"21", "22"}, {ui::Answer::No});
    ASSERT_EQ(declined.shown.size(), 3) << declined.shown.join('|').toStdString();
    EXPECT_TRUE(declined.shown[2].contains(QStringLiteral("001 11"))) << declined.shown[2].toStdString();
    EXPECT_TRUE(declined.shown[2].contains(QStringLiteral("002 12")));
    EXPECT_TRUE(declined.jobs.empty());
    EXPECT_EQ(billingValue("001", "M5P"), QStringLiteral("11"));

    Printed again = press("lxtd", {"21", "22"}, {ui::Answer::Yes});
    EXPECT_EQ(again.jobs.size(), 1u) << again.shown.join('|').toStdString();
    EXPECT_EQ(billingValue("001", "M5P"), QStringLiteral("21"));
    EXPECT_EQ(billingValue("002", "M5P"), QStringLiteral("22"));
    EXPECT_EQ(ledgerRows("001"), (QStringList{"11 2002-05-09 5 5", "21 2003-05-09 1 1"}));
    EXPECT_EQ(ledgerRows("002"), QStringList{"22 2003-05-09 2 2"});
    EXPECT_EQ(listed("001"), QStringLiteral("21"));
    expectAtRest();
}

TEST_F(InvoicePrinting, APaidInvoiceIsNotRenumbered)
{
    generate({"001", "002"});
    ASSERT_EQ(press("lxtd", {"11", "12"}).jobs.size(), 1u);
    billing->execute(QStringLiteral("update KPKZK set M5MD = 1, M5DDATE = '2003-06-01' where DanWeiBianHao = '002'"));
    const int writes = scheduler->operationCount("CUPS-Add-Modify-Printer");
    const Printed run = press("lxtd", {"21", "22"}, {ui::Answer::Yes});
    ASSERT_EQ(run.shown.size(), 3) << run.shown.join('|').toStdString();
    EXPECT_TRUE(run.shown[2].contains(QStringLiteral("单位 002 的发票 12 已经到账"))) << run.shown[2].toStdString();
    EXPECT_TRUE(run.jobs.empty());
    EXPECT_EQ(scheduler->operationCount("CUPS-Add-Modify-Printer"), writes) << "the paper was never touched";
    EXPECT_EQ(billingValue("001", "M5P"), QStringLiteral("11")) << "the other invoice is not renumbered either";
    EXPECT_EQ(ledgerRows("001"), QStringList{"11 2003-05-09 1 1"});
    expectAtRest();
}

TEST_F(InvoicePrinting, AnInvoiceOnACollectionDocumentIsNotRenumbered)
{
    generate({"001"});
    ASSERT_EQ(press("lxtd", {"11", "11"}).jobs.size(), 1u);
    ledgers->execute(QStringLiteral("update ZNJ001 set PiaoJuLeiXing = 1"));
    const Printed run = press("lxtd", {"21", "21"}, {ui::Answer::Yes});
    ASSERT_EQ(run.shown.size(), 3) << run.shown.join('|').toStdString();
    EXPECT_TRUE(run.shown[2].contains(QStringLiteral("委托收款单据"))) << run.shown[2].toStdString();
    EXPECT_EQ(billingValue("001", "M5P"), QStringLiteral("11"));
}

TEST_F(InvoicePrinting, AnInvoiceOfAnEnterpriseNoLongerListedIsNumberedAllTheSame)
{
    generate({"001", "002"});
    delete window->ListView1->takeTopLevelItem(1); // as a filter would leave the list
    const Printed run = press("lxtd", {"11", "12"});
    EXPECT_EQ(run.shown.size(), 2) << run.shown.join('|').toStdString();
    EXPECT_EQ(run.pages.size(), 2);
    EXPECT_EQ(billingValue("002", "M5P"), QStringLiteral("12"));
    EXPECT_EQ(listed("001"), QStringLiteral("11"));
    EXPECT_EQ(listed("002"), QStringLiteral("<not listed>"));
}

TEST_F(InvoicePrinting, APrintRefusedAfterThePaperWasSetRecordsNothing)
{
    generate({"002", "001"});
    QProcess reject;
    reject.start(QStringLiteral("/usr/sbin/cupsreject"), {QStringLiteral("qcustom")});
    ASSERT_TRUE(reject.waitForFinished(30000) && reject.exitCode() == 0) << reject.readAllStandardError().toStdString();
    const Printed run = press("lxtd", {"11", "12"});
    QProcess accept;
    accept.start(QStringLiteral("/usr/sbin/cupsaccept"), {QStringLiteral("qcustom")});
    accept.waitForFinished(30000);
    ASSERT_TRUE(run.during) << run.shown.join('|').toStdString();
    EXPECT_EQ(run.during->media, kInvoicePaper);
    ASSERT_EQ(run.shown.size(), 3) << run.shown.join('|').toStdString();
    EXPECT_TRUE(run.shown[2].contains(QStringLiteral("拒绝"))) << run.shown[2].toStdString();
    for (const char* n : {"001", "002"}) {
        EXPECT_EQ(billingValue(n, "M5P"), QString()) << n;
        EXPECT_TRUE(ledgerRows(n).isEmpty()) << n;
        EXPECT_EQ(listed(n), QString()) << n;
    }
    expectAtRest();
}

TEST_F(InvoicePrinting, WhatTheRunNeedsIsCheckedBeforeAnythingIsWritten)
{
    struct Case {
        const char* what;
        const char* spoil;
        const char* mend;
        const char* message;
        int boxes; // boxes shown, the message last: without a layout the numbers are not asked for
    };
    const Case cases[] = {
        {"no paper row", "delete from fpPaperSize",
         "insert into fpPaperSize values (24100, 14000, 24104.780384547543, 13997.177632739462, 500)", "纸张尺寸", 1},
        {"an invoice with more lines than the form holds now", "update fpLine set FooterHeigth = 9600",
         "update fpLine set FooterHeigth = 10400", "多于发票格式的 7 行", 3},
        {"an invoice without its billing row", "update KPKZK set DanWeiBianHao = 'x002' where DanWeiBianHao = '002'",
         "update KPKZK set DanWeiBianHao = '002' where DanWeiBianHao = 'x002'",
         "单位 002 在 2003 年的开票控制表中没有记录", 3},
        {"with late fees on, an enterprise without its ledger", "alter table ZNJ002 rename to X002",
         "alter table X002 rename to ZNJ002", "单位 002 没有滞纳金表", 3},
        {"a total that is no number", "update KPDW set 小写合计 = 'x' where DanWeiBianHao = '001'",
         "update KPDW set 小写合计 = '1.00' where DanWeiBianHao = '001'", "金额“x”不是数字", 3},
    };
    db::Connection* files[] = {layout.get(), layout.get(), billing.get(), ledgers.get(), print.get()};
    generate({"001", "002"});
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        const Case& c = cases[i];
        SCOPED_TRACE(c.what);
        files[i]->execute(QString::fromUtf8(c.spoil));
        const int writes = scheduler->operationCount("CUPS-Add-Modify-Printer");
        const Printed run = press("lxtd", {"11", "12"});
        files[i]->execute(QString::fromUtf8(c.mend));
        ASSERT_EQ(run.shown.size(), c.boxes) << run.shown.join('|').toStdString();
        EXPECT_TRUE(run.shown.last().contains(QString::fromUtf8(c.message))) << run.shown.last().toStdString();
        EXPECT_TRUE(run.jobs.empty());
        EXPECT_EQ(scheduler->operationCount("CUPS-Add-Modify-Printer"), writes) << "the paper was never touched";
        EXPECT_EQ(billingValue("001", "M5P"), QString());
        EXPECT_TRUE(ledgerRows("001").isEmpty());
        expectAtRest();
    }
    // Mended, the same run prints.
    EXPECT_EQ(press("lxtd", {"11", "12"}).jobs.size(), 1u);
    EXPECT_EQ(billingValue("002", "M5P"), QStringLiteral("12"));
}

} // namespace
