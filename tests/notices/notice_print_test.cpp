// The notices and the detail sheets printed through the private CUPS scheduler with the paper control
// registered: A4 while they print, the printer's own paper afterwards, also when the report fails; and
// the page model of both reports.
#include "platform/report/report_output.h"
#include "platform/ui/dialogs.h"
#include "qelv/core/frmMsgBox.h"
#include "qelv/core/print_run.h"
#include "qelv/notices/frmCSTZ.h"
#include "qelv/notices/notice_reports.h"
#include "tests/fixtures/cups/printing_test.h"
#include "tests/fixtures/printed_lines.h"
#include "tests/fixtures/sqlite_probe.h"
#include "tests/notices/notice_fixture.h"

#include <QApplication>
#include <QFileInfo>
#include <QLabel>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>
#include <QToolBar>
#include <optional>

namespace {

using fixtures::CupsScheduler;

const QString kA4 = QStringLiteral("iso_a4_210x297mm");
const QString kSaved = QStringLiteral("custom_241x140mm_241x140mm"); // a size without a paper code

// The texts of a page, in the order laid out.
QStringList pageTexts(const report::Page& page)
{
    QStringList out;
    for (const report::TextItem& t : page.texts)
        out << t.text;
    return out;
}

using fixtures::progressShown;

class NoticeReports : public fixtures::NoticeMonth {
protected:
    void twoNotices()
    {
        enterprise(QStringLiteral("1002"), QStringLiteral("乙厂"));
        assign(QStringLiteral("1002"), QStringLiteral("W1"), QStringLiteral("COD"), 1, 2, QStringLiteral("废水"), "10");
        assign(QStringLiteral("1002"), QStringLiteral("W2"), QStringLiteral("SO2"), 1, 1, QStringLiteral("废气"), "5");
        enterprise(QStringLiteral("1001"), QStringLiteral("甲厂"));
        assign(QStringLiteral("1001"), QStringLiteral("W1"), QStringLiteral("COD"), 1, 1, QStringLiteral("废水"), "1");
        generateNotices({QStringLiteral("1002"), QStringLiteral("1001")});
    }
};

TEST_F(NoticeReports, EachNoticeIsAPageOfItsOwnInNumberOrder)
{
    twoNotices();
    const report::Document doc = notices::renderNotices(Module1::gWorkMonth);
    ASSERT_EQ(doc.pages.size(), 2u);
    const QStringList first = pageTexts(doc.pages[0]);
    EXPECT_TRUE(first.contains(QStringLiteral("厂1001"))) << first.join('|').toStdString();
    EXPECT_FALSE(first.contains(QStringLiteral("厂1002")));
    EXPECT_TRUE(first.contains(QStringLiteral("2003年05月应缴纳排污费人民币壹元整")));
    EXPECT_TRUE(first.contains(QStringLiteral("2003年05月份应缴纳排污费明细表　　　（单位：元）")));
    EXPECT_TRUE(first.contains(QStringLiteral("法规")));
    EXPECT_TRUE(first.contains(QStringLiteral("2003年05月31日")));
    EXPECT_TRUE(first.contains(QStringLiteral("张三")));
    EXPECT_TRUE(first.contains(QStringLiteral("李四")));
    const QStringList second = pageTexts(doc.pages[1]);
    // The lines in ID order: 废水, 废气, the total.
    const qsizetype water = second.indexOf(QStringLiteral("废水收费(2003年05月)"));
    const qsizetype air = second.indexOf(QStringLiteral("废气收费(2003年05月)"));
    const qsizetype total = second.indexOf(QStringLiteral("壹拾伍元整"));
    ASSERT_GE(water, 0) << second.join('|').toStdString();
    EXPECT_LT(water, air);
    EXPECT_LT(air, total);
    EXPECT_TRUE(second.contains(QStringLiteral("15.00")));
    EXPECT_TRUE(second.contains(QStringLiteral("合计")));
    EXPECT_EQ(doc.pages[0].size, QSizeF(11906, 16838));
}

TEST_F(NoticeReports, EachDetailSheetListsItsRowsByOutlet)
{
    twoNotices();
    const report::Document doc = notices::renderPollutantDetails(Module1::gWorkMonth);
    ASSERT_EQ(doc.pages.size(), 2u);
    const QStringList second = pageTexts(doc.pages[1]);
    EXPECT_TRUE(second.contains(QStringLiteral("2003年05月份排污情况明细表"))) << second.join('|').toStdString();
    EXPECT_TRUE(second.contains(QStringLiteral("厂1002")));
    const qsizetype so2 = second.indexOf(QStringLiteral("SO2"));
    const qsizetype cod = second.indexOf(QStringLiteral("COD"));
    ASSERT_GE(so2, 0);
    EXPECT_LT(so2, cod) << "outlet 1 before outlet 2";
    EXPECT_TRUE(second.contains(QStringLiteral("v1:0 ")));
}

TEST_F(NoticeReports, AnEmptyFileGivesAnEmptyReportAndAMissingOneAMessage)
{
    EXPECT_TRUE(notices::renderNotices(Module1::gWorkMonth).pages.size() <= 1);
    notices.reset();
    QFile::remove(folder->data(dataFiles::monthNotices(Module1::gWorkMonth)));
    EXPECT_THROW(notices::renderNotices(Module1::gWorkMonth), db::Error);
}

// A text of `lines` lines of the notice's notice texts (10.5 points, 8006 twips wide: 38 characters to
// a line), between markers of its own so that its first and its last characters can be found.
QString longText(const char* first, const char* last, int lines)
{
    return QString::fromUtf8(first) + QString(lines * 38 - 8, QChar(0x6C34)) + QString::fromUtf8(last);
}

// The notices and the detail sheets with long texts where they grow, written to PDF and read back: no
// line runs over another, and every text below the long ones is on the page, whole.
TEST_F(NoticeReports, LongTextsTakeTheirLinesAndPushWhatIsBelowThem)
{
    struct LongCase {
        const char* what;
        std::function<void(notices::NoticeTexts&)> lengthen;
        QStringList below; // what must be on the notice's page
    };
    const QStringList footer{QStringLiteral("开户银行："),    QStringLiteral("账号："), QStringLiteral("收款单位："),
                             QStringLiteral("联系电话："),    QStringLiteral("异议："), QStringLiteral("经办人："),
                             QStringLiteral("校对人："),      QStringLiteral("张三"),   QStringLiteral("李四"),
                             QStringLiteral("2003年05月31日")};
    const LongCase cases[] = {
        {"a 缴款期限 of three lines",
         [](notices::NoticeTexts& t) { t.JiaoKuanQiXian = longText("期限起", "期限止", 3); },
         footer +
             QStringList{QStringLiteral("期限起"), QStringLiteral("期限止"), QStringLiteral("银行"),
                         QStringLiteral("账号"), QStringLiteral("电话"), QStringLiteral("异议")}},
        {"every notice text that grows long, and a long item",
         [](notices::NoticeTexts& t) {
             t.FaLvFaGui = longText("法规起", "法规止", 3);
             t.JiaoKuanQiXian = longText("期限起", "期限止", 2);
             t.KaiHuYinHang = longText("银行起", "银行止", 2);
             t.YiYi = longText("异议起", "异议止", 4);
         },
         footer +
             QStringList{QStringLiteral("法规起"), QStringLiteral("法规止"), QStringLiteral("期限起"),
                         QStringLiteral("期限止"), QStringLiteral("银行起"), QStringLiteral("银行止"),
                         QStringLiteral("异议起"), QStringLiteral("异议止"), QStringLiteral("项目起"),
                         QStringLiteral("项目止"), QStringLiteral("合计")}},
    };
    enterprise(QStringLiteral("1001"), QStringLiteral("甲厂"));
    // a separate fee item is listed under its pollutant's name, a long one here
    assign(QStringLiteral("1001"), QStringLiteral("W9"), longText("项目起", "项目止", 1), 1, 1, QStringLiteral("废水"),
           "12", "0", "0", true);
    for (const LongCase& c : cases) {
        SCOPED_TRACE(c.what);
        c.lengthen(texts);
        generateNotices({QStringLiteral("1001")});

        for (const bool detailSheet : {false, true}) {
            SCOPED_TRACE(detailSheet ? "detail sheet" : "notice");
            const report::Document doc = detailSheet ? notices::renderPollutantDetails(Module1::gWorkMonth)
                                                     : notices::renderNotices(Module1::gWorkMonth);
            ASSERT_EQ(doc.pages.size(), 1u);
            EXPECT_EQ(fixtures::overlappingTexts(doc).join(u'\n').toStdString(), "");
            QTemporaryDir dir;
            const QString pdf = dir.filePath(QStringLiteral("notice.pdf"));
            report::writePdf(doc, pdf);
            const fixtures::PdfReadBack back = fixtures::readPdf(pdf);
            ASSERT_EQ(back.pages.size(), 1u);
            EXPECT_EQ(fixtures::overlappingLines(back).join(u'\n').toStdString(), "");
            QString all;
            for (const fixtures::PdfText& line : back.lines) {
                all += line.text;
                EXPECT_LE(line.box.bottom(), back.pages[0].height() - 1000) << line.text.toStdString();
            }
            const QStringList wanted = detailSheet
                ? QStringList{QStringLiteral("项目起"), QStringLiteral("项目止"), QStringLiteral("v1:0")}
                : c.below;
            for (const QString& text : wanted)
                EXPECT_TRUE(all.contains(text)) << text.toStdString() << " is not in the PDF";
        }
    }
}

class NoticePrint : public fixtures::PrintingTest<NoticeReports> {
protected:
    void SetUp() override
    {
        PrintingTest::SetUp();
        if (!ready())
            return;
        usePrinter(kSaved, "landscape", folder->path());
    }
};

TEST_F(NoticePrint, NoticesAndDetailSheetsPrintOnA4AndThePaperIsSetBack)
{
    twoNotices();
    frmCSTZ w;
    w.show();
    for (const char* key : {"dy", "dymx"}) {
        const std::vector<int> before = scheduler->jobIds("qcustom");
        std::optional<CupsScheduler::Defaults> during;
        bool toolbarEnabled = true, progress = false, refused = false;
        // Looked at once the run waits for its job.
        QTimer poll;
        QObject::connect(&poll, &QTimer::timeout, [&] {
            if (!printRun::running() || during)
                return;
            poll.stop();
            during = defaults();
            toolbarEnabled = w.Toolbar1->isEnabled();
            progress = progressShown();
            refused = !w.close();
            // A run or a second print is refused while this one waits.
            w.Toolbar1_ButtonClick(QStringLiteral("sytz"));
            w.Toolbar1_ButtonClick(QStringLiteral("dy"));
        });
        poll.start(0);
        w.Toolbar1_ButtonClick(QString::fromLatin1(key));
        EXPECT_EQ(ui::testing::shownTexts(), QStringList(2, printRun::busyText()));
        ui::testing::clearShown();
        EXPECT_EQ(noticeCount("tzdw"), 2) << "no run while printing";
        ASSERT_TRUE(during) << "the wait let no event through";
        EXPECT_EQ(during->media, kA4) << key;
        EXPECT_EQ(during->orientation, "portrait");
        EXPECT_FALSE(toolbarEnabled);
        EXPECT_TRUE(progress);
        EXPECT_TRUE(refused) << "the window closed while it printed";
        EXPECT_TRUE(w.isVisible());
        EXPECT_TRUE(w.Toolbar1->isEnabled());
        EXPECT_FALSE(progressShown());
        EXPECT_EQ(w.panels[0]->text(), QStringLiteral("状态"));
        EXPECT_EQ(defaults().media, kSaved);
        EXPECT_EQ(defaults().orientation, "landscape");
        const std::vector<int> after = scheduler->jobIds("qcustom");
        ASSERT_EQ(after.size(), before.size() + 1);
        const auto job = scheduler->job(after.back());
        ASSERT_TRUE(job);
        EXPECT_EQ(job->media, kA4);
    }
}

TEST_F(NoticePrint, AReportThatFailsSetsThePaperBackAndClosesTheProgress)
{
    twoNotices();
    notices.reset();
    fixtures::exec(folder->data(dataFiles::monthNotices(Module1::gWorkMonth)), QStringLiteral("DROP TABLE MX"));
    const std::vector<int> before = scheduler->jobIds("qcustom");
    frmCSTZ w;
    std::optional<CupsScheduler::Defaults> during;
    EXPECT_EQ(notices::PrintNotices(&w), printRun::Outcome::Failed);
    ASSERT_EQ(ui::testing::shownTexts().size(), 1);
    EXPECT_TRUE(ui::testing::shownTexts()[0].contains(QStringLiteral("MX")))
        << ui::testing::shownTexts()[0].toStdString();
    EXPECT_FALSE(progressShown());
    EXPECT_EQ(defaults().media, kSaved);
    EXPECT_EQ(defaults().orientation, "landscape");
    EXPECT_EQ(scheduler->jobIds("qcustom"), before);
    EXPECT_FALSE(printRun::running());
}

} // namespace
