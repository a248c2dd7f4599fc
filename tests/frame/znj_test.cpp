// The late-fee settings window, and the reference-table commands of the main window.
#include "platform/db/error.h"
#include "platform/ui/dialogs.h"
#include "platform/ui/twips.h"
#include "qelv/core/Module1.h"
#include "qelv/core/window_registry.h"
#include "qelv/frame/frmMain.h"
#include "qelv/frame/frmZNJ.h"
#include "qelv/windows_all.h"
#include "tests/fixtures/modal.h"
#include "tests/fixtures/program_folder.h"
#include "tests/fixtures/sqlite_probe.h"

#include <QAction>
#include <QCheckBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

using namespace Module1;

static void PrintTo(const QString& s, std::ostream* os)
{
    *os << '"' << s.toStdString() << '"';
}

namespace {

class LateFeeTest : public fixtures::ProgramFolderTest {
protected:
    void SetUp() override
    {
        ProgramFolderTest::SetUp();
        setStartupDefaults();
        gLateFeeOn = false;
        gLateFeeStartDays = 0;
        gLateFeeRate = 0.0f;
    }
    QString file() const { return folder->data(QStringLiteral("qelvSetUp.mdb")); }
    QString row() const
    {
        return fixtures::probe(file(),
                               QStringLiteral("select ZhiNaJinXiTong || '/' || QiShiTianShu || '/' || BiLi from znj"))
            .toString();
    }
    static void type(QLineEdit* box, const QString& text)
    {
        box->selectAll();
        QTest::keyClick(box, Qt::Key_Delete);
        QTest::keyClicks(box, text);
    }
};

} // namespace

TEST_F(LateFeeTest, ShowsTheShippedRowWithTheRateAsAPercentage)
{
    frmZNJ w;
    EXPECT_EQ(w.windowTitle(), QStringLiteral("设置"));
    EXPECT_EQ(w.size(), QSize(ui::px(3855), ui::px(2775)));
    EXPECT_EQ(w.Frame1->title(), QStringLiteral("滞纳金"));
    EXPECT_EQ(w.Check1->text(), QStringLiteral("是否启用滞纳金系统"));
    EXPECT_EQ(w.Command1->text(), QStringLiteral("关 闭(&C)"));
    EXPECT_FALSE(w.Check1->isChecked());
    EXPECT_EQ(w.Text1->text(), QStringLiteral("0"));
    EXPECT_EQ(w.Text2->text(), QStringLiteral("0.00%"));
    EXPECT_TRUE(ui::testing::shown().empty());
}

TEST_F(LateFeeTest, AStoredRateOfTwoThousandthsShowsAsAFifthOfAPercent)
{
    fixtures::exec(file(), QStringLiteral("UPDATE znj SET ZhiNaJinXiTong = 1, QiShiTianShu = 30, BiLi = 0.002;"));
    frmZNJ w;
    EXPECT_TRUE(w.Check1->isChecked());
    EXPECT_EQ(w.Text1->text(), QStringLiteral("30"));
    EXPECT_EQ(w.Text2->text(), QStringLiteral("0.20%"));
}

TEST_F(LateFeeTest, ClosingSavesTheRowAndUpdatesTheVariablesAtOnce)
{
    frmZNJ w;
    w.show();
    w.Check1->click();
    type(w.Text1, QStringLiteral("5"));
    type(w.Text2, QStringLiteral("0.25%"));
    w.Command1->click();
    EXPECT_FALSE(w.isVisible());
    EXPECT_TRUE(ui::testing::shown().empty()) << ui::testing::shownTexts().join(QLatin1Char('|')).toStdString();
    EXPECT_EQ(row(), QStringLiteral("1/5/0.0025"));
    EXPECT_TRUE(gLateFeeOn);
    EXPECT_EQ(gLateFeeStartDays, 5);
    EXPECT_FLOAT_EQ(gLateFeeRate, 0.0025f);

    // Switching it off again takes effect at once as well.
    frmZNJ again;
    EXPECT_EQ(again.Text2->text(), QStringLiteral("0.25%"));
    again.Check1->click();
    again.close();
    EXPECT_FALSE(gLateFeeOn);
    EXPECT_EQ(gLateFeeStartDays, 5);
}

TEST_F(LateFeeTest, OpeningAndClosingWithoutAChangeReloadsTheSameValues)
{
    fixtures::exec(file(), QStringLiteral("UPDATE znj SET ZhiNaJinXiTong = 1, QiShiTianShu = 10, BiLi = 0.0005;"));
    frmZNJ w;
    w.close();
    EXPECT_EQ(row(), QStringLiteral("1/10/0.0005"));
    EXPECT_TRUE(gLateFeeOn);
    EXPECT_EQ(gLateFeeStartDays, 10);
    EXPECT_FLOAT_EQ(gLateFeeRate, 0.0005f);
}

TEST_F(LateFeeTest, AValueTheFieldCannotTakeIsShownTheWindowClosesAndNothingChanges)
{
    fixtures::exec(file(), QStringLiteral("UPDATE znj SET QiShiTianShu = 3;"));
    gLateFeeStartDays = 3;
    for (const char* days : {"abc", "40000"}) {
        SCOPED_TRACE(days);
        ui::testing::clearShown();
        frmZNJ w;
        w.show();
        w.Check1->click();
        type(w.Text1, QString::fromLatin1(days));
        w.close();
        EXPECT_FALSE(w.isVisible());
        ASSERT_EQ(ui::testing::shown().size(), 1u);
        EXPECT_EQ(ui::testing::shown()[0].buttons, ui::Buttons::Ok);
        EXPECT_EQ(row(), QStringLiteral("0/3/0"));
        EXPECT_FALSE(gLateFeeOn);
        EXPECT_EQ(gLateFeeStartDays, 3);
    }
    // A rate that is no number is refused the same way.
    ui::testing::clearShown();
    frmZNJ w;
    type(w.Text2, QStringLiteral("x%"));
    w.close();
    EXPECT_EQ(ui::testing::shown().size(), 1u);
    EXPECT_EQ(row(), QStringLiteral("0/3/0"));
}

TEST_F(LateFeeTest, AnEmptiedBoxOrANegativeValueIsRefusedNothingIsWrittenAndTheNextStartIsClean)
{
    struct Case {
        const char* days; // null: left as it is
        const char* rate;
        const char* refusal;
    };
    const Case cases[] = {
        {"", nullptr, "开始计算滞纳金的天数不能为空。设置没有保存。"},
        {"  ", nullptr, "开始计算滞纳金的天数不能为空。设置没有保存。"},
        {"-1", nullptr, "开始计算滞纳金的天数不能是负数。设置没有保存。"},
        {nullptr, "", "征收比例不能为空。设置没有保存。"},
        {nullptr, " ", "征收比例不能为空。设置没有保存。"},
        {nullptr, "-0.10%", "征收比例不能是负数。设置没有保存。"},
        {nullptr, "-0.001", "征收比例不能是负数。设置没有保存。"},
    };
    fixtures::exec(file(), QStringLiteral("UPDATE znj SET QiShiTianShu = 3, BiLi = 0.002;"));
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.days ? c.days : "") + "|" + (c.rate ? c.rate : ""));
        ui::testing::clearShown();
        gLateFeeOn = false;
        gLateFeeStartDays = 7;
        gLateFeeRate = 0.5f;
        {
            frmZNJ w;
            w.show();
            w.Check1->click(); // a good change typed with the bad one is not written either
            if (c.days)
                type(w.Text1, QString::fromUtf8(c.days));
            if (c.rate)
                type(w.Text2, QString::fromUtf8(c.rate));
            w.close();
            EXPECT_FALSE(w.isVisible());
        }
        ASSERT_EQ(ui::testing::shown().size(), 1u);
        EXPECT_EQ(ui::testing::shownTexts()[0], QString::fromUtf8(c.refusal));
        EXPECT_EQ(ui::testing::shown()[0].buttons, ui::Buttons::Ok);
        EXPECT_EQ(row(), QStringLiteral("0/3/0.002"));
        EXPECT_FALSE(gLateFeeOn);
        EXPECT_EQ(gLateFeeStartDays, 7);
        EXPECT_FLOAT_EQ(gLateFeeRate, 0.5f);

        // The next start reads the settings as they were, without a word.
        ui::testing::clearShown();
        {
            frmMain main;
            main.setAttribute(Qt::WA_DeleteOnClose, false);
            main.Form_Load();
        }
        EXPECT_TRUE(ui::testing::shown().empty()) << ui::testing::shownTexts().join(QLatin1Char('|')).toStdString();
        EXPECT_EQ(gLateFeeStartDays, 3);
        EXPECT_FLOAT_EQ(gLateFeeRate, 0.002f);
    }
    // Zero is the least of both and is saved.
    ui::testing::clearShown();
    frmZNJ w;
    type(w.Text1, QStringLiteral("0"));
    type(w.Text2, QStringLiteral("0.00%"));
    w.close();
    EXPECT_TRUE(ui::testing::shown().empty()) << ui::testing::shownTexts().join(QLatin1Char('|')).toStdString();
    EXPECT_EQ(row(), QStringLiteral("0/0/0"));
    EXPECT_EQ(gLateFeeStartDays, 0);
    EXPECT_FLOAT_EQ(gLateFeeRate, 0.0f);
}

TEST_F(LateFeeTest, AMissingTableOrAnEmptyOneIsShownAndLeavesTheVariables)
{
    gLateFeeStartDays = 7;
    fixtures::exec(file(), QStringLiteral("DELETE FROM znj;"));
    {
        frmZNJ w;
        EXPECT_TRUE(ui::testing::shown().empty());
        w.close();
        EXPECT_EQ(ui::testing::shownTexts(), QStringList({QString::fromUtf8(db::messages::noCurrentRecord)}));
    }
    ui::testing::clearShown();
    fixtures::exec(file(), QStringLiteral("DROP TABLE znj;"));
    {
        frmZNJ w;
        EXPECT_EQ(ui::testing::shown().size(), 1u) << "the loading error";
        type(w.Text1, QStringLiteral("9"));
        w.close();
        EXPECT_EQ(ui::testing::shown().size(), 2u) << "and the closing one";
        EXPECT_FALSE(w.isVisible());
    }
    EXPECT_EQ(gLateFeeStartDays, 7);
}

// --- the main window's commands ------------------------------------------------------------------

TEST_F(LateFeeTest, TheMainWindowOpensTheReferenceWindowsFromItsMenu)
{
    qelv::registerAllWindows();
    frmMain main;
    main.setAttribute(Qt::WA_DeleteOnClose, false);
    const char* const commands[][2] = {
        {"mnuUser", "frmUser"}, {"mnuBDWQK", "frmHBJ"},     {"mnuHangYe", "frmHangYeLeiXing"},
        {"mnuzdgl", "frmDWFQ"}, {"mnuTZJBNR", "frmTZJCNR"}, {"mnuDWML", "frmDW"},
        {"mnudl", "frmDL"},     {"mnuZNJXT", "frmZNJ"},
    };
    for (const auto& c : commands) {
        SCOPED_TRACE(c[1]);
        QAction* action = main.findChild<QAction*>(QString::fromLatin1(c[0]));
        ASSERT_NE(action, nullptr);
        ASSERT_TRUE(action->isEnabled());
        bool seen = false;
        fixtures::whenShown<QDialog>(QString::fromLatin1(c[1]), [&](QDialog* d) {
            seen = d->isModal() && d->parentWidget() == &main;
            d->close();
        });
        action->trigger(); // modal: returns when the window has closed
        EXPECT_TRUE(seen);
    }
    EXPECT_TRUE(ui::testing::shown().empty()) << ui::testing::shownTexts().join(QLatin1Char('|')).toStdString();
    EXPECT_EQ(row(), QStringLiteral("0/0/0"));
}
