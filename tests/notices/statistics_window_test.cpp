// The statistics window: its buttons and their enabling, the build, the query through the condition
// dialog into tjk and the grid, a cancelled dialog, two queries, and conditions refused or failing.
#include "qelv/notices/frmBaoBiao.h"

#include "platform/db/recordset.h"
#include "platform/ui/data_grid.h"
#include "platform/ui/dialogs.h"
#include "platform/ui/twips.h"
#include "qelv/notices/frmCXTJ.h"
#include "qelv/notices/statistics_tables.h"
#include "tests/fixtures/modal.h"
#include "tests/fixtures/sqlite_probe.h"
#include "tests/notices/statistics_fixture.h"

#include <QComboBox>
#include <QPushButton>
#include <array>
#include <gtest/gtest.h>

namespace {

// The texts of the condition dialog's fifteen boxes, Combo1 first.
using Boxes = std::array<const char*, 15>;

class StatisticsWindow : public fixtures::StatisticsYear {
protected:
    void SetUp() override
    {
        StatisticsYear::SetUp();
        enterprise("0001", "甲厂", "化工", "一中队");
        billingRow("0001", {{"M1M", 1234.5}, {"M1", 1}, {"M1N", 1}});
        enterprise("0002", "乙'厂", "冶金", "二中队");
        billingRow("0002", {{"M2M", 800}, {"M2", 1}, {"M2N", 3}});
        enterprise("0003", "丙厂", "化工", "二中队");
        billingRow("0003", {{"M3M", 100}});
        enterprise("0004", "丁厂", "冶金", "一中队");
        billingRow("0004", {{"M4M", 5000.4}, {"M4", 1}, {"M4N", 2}, {"M5", 1}, {"M5N", 1}});
    }

    // Answers the next condition dialog with the boxes' texts, then "确    定" (or "取   消", or the
    // close box).
    enum class Leave { Ok, Cancel, CloseBox };
    static void answer(const Boxes& boxes, Leave leave = Leave::Ok)
    {
        fixtures::whenShown<frmCXTJ>(QStringLiteral("frmCXTJ"), [boxes, leave](frmCXTJ* d) {
            for (int n = 1; n <= 15; ++n)
                d->findChild<QComboBox*>(QStringLiteral("Combo%1").arg(n))
                    ->setEditText(QString::fromUtf8(boxes[n - 1]));
            if (leave == Leave::Ok) {
                d->OKButton->click();
                // A refused condition leaves the dialog open: the test then leaves it.
                if (d->isVisible())
                    d->CancelButton->click();
            } else if (leave == Leave::Cancel) {
                d->CancelButton->click();
            } else {
                d->close();
            }
        });
    }
    static Boxes row(const char* field, const char* op, const char* value)
    {
        return {field, op, value, "", "", "", "", "", "", "", "", "", "", "", ""};
    }

    QStringList tjk() { return column("tjk", "DanWeiBianHao"); }
    QStringList column(const char* table, const char* field)
    {
        QStringList out;
        auto rs =
            billing->openRecordset(QStringLiteral("select %1 from %2").arg(field, table), {}, db::LockType::ReadOnly);
        for (; !rs->isEOF(); rs->moveNext())
            out << rs->value(0).toString();
        return out;
    }
    static QStringList gridColumn(const frmBaoBiao& w, int c)
    {
        QStringList out;
        QAbstractItemModel* m = w.DataGrid1->model();
        for (int r = 0; r < m->rowCount(); ++r)
            out << m->index(r, c).data().toString();
        return out;
    }
};

TEST_F(StatisticsWindow, OpensWithItsButtonsAndAnEmptyGridOfSeventyEightColumns)
{
    frmBaoBiao w;
    EXPECT_EQ(w.objectName(), QStringLiteral("frmBaoBiao"));
    EXPECT_EQ(w.windowTitle(), QStringLiteral("报表"));
    EXPECT_FALSE(w.isModal());
    EXPECT_EQ(w.size(), QSize(ui::px(10170), ui::px(6600)));
    EXPECT_EQ(w.DataGrid1->geometry(), ui::rectTwips(30, 30, 8385, 6465));
    const struct {
        QPushButton* button;
        const char* caption;
        double top;
        bool enabled;
    } buttons[] = {{w.Command1, "生成统计数据库", 90, true},
                   {w.Command2, "查 询", 1040, false},
                   {w.Command3, "打印报表", 1990, false},
                   {w.Command4, "退 出", 2940, true}};
    for (const auto& b : buttons) {
        SCOPED_TRACE(b.caption);
        EXPECT_EQ(b.button->text(), QString::fromUtf8(b.caption));
        EXPECT_EQ(b.button->geometry(), ui::rectTwips(8460, b.top, 1635, 825));
        EXPECT_EQ(b.button->isEnabled(), b.enabled);
    }
    EXPECT_EQ(w.findChild<QPushButton*>("Command3"), w.Command3);

    QAbstractItemModel* m = w.DataGrid1->model();
    ASSERT_EQ(m->columnCount(), 78);
    EXPECT_EQ(m->rowCount(), 0);
    QStringList captions;
    for (int c = 0; c < m->columnCount(); ++c)
        captions << m->headerData(c, Qt::Horizontal).toString();
    QStringList expected{"单位编号", "月数"};
    for (int i = 1; i <= 12; ++i)
        expected << QStringLiteral("M%1").arg(i) << QStringLiteral("M%1B").arg(i) << QStringLiteral("M%1N").arg(i);
    for (const char* suffix : {"P", "M", "CM"})
        for (int i = 1; i <= 12; ++i)
            expected << QStringLiteral("M%1%2").arg(i).arg(QLatin1String(suffix));
    expected << "单位名称"
             << "行业类型"
             << "所属中队"
             << "金额";
    EXPECT_EQ(captions, expected);
    EXPECT_EQ(w.DataGrid1->font().family(), QStringLiteral("宋体"));

    w.show();
    w.Command4->click();
    EXPECT_FALSE(w.isVisible());
}

TEST_F(StatisticsWindow, ACompleteBuildEnablesTheQueryAndAFailedOneDoesNot)
{
    frmBaoBiao w;
    billing.reset();
    const QString year = folder->data(dataFiles::billing(2003));
    ASSERT_TRUE(QFile::rename(year, year + ".away"));
    w.Command1->click();
    ASSERT_EQ(messages().size(), 1);
    EXPECT_TRUE(messages()[0].contains("qelvkz2003.mdb")) << messages()[0].toStdString();
    EXPECT_FALSE(w.Command2->isEnabled());

    ASSERT_TRUE(QFile::rename(year + ".away", year));
    billing = std::make_unique<db::Connection>(db::DataFile{dataFiles::billing(2003)});
    ui::testing::clearShown();
    w.Command1->click();
    EXPECT_TRUE(messages().isEmpty()) << messages().join('\n').toStdString();
    EXPECT_TRUE(w.Command2->isEnabled());
    EXPECT_FALSE(w.Command3->isEnabled());
    EXPECT_EQ(statisticsRows(),
              (QStringList{"0001|甲厂|化工|一中队|1234.5|1", "0002|乙'厂|冶金|二中队|800|3",
                           "0003|丙厂|化工|二中队|100|0", "0004|丁厂|冶金|一中队|5000.4|3"}));
    EXPECT_EQ(w.DataGrid1->model()->rowCount(), 0) << "the build shows nothing";
}

TEST_F(StatisticsWindow, AQueryPutsTheSameRowsIntoTjkAndTheGrid)
{
    frmBaoBiao w;
    w.show();
    w.Command1->click();
    answer({"行业类型", "=", "化工", "OR", "年收费金额", ">=", "5000", "", "", "", "", "", "", "", ""});
    w.Command2->click();
    EXPECT_TRUE(messages().isEmpty()) << messages().join('\n').toStdString();
    EXPECT_EQ(tjk(), (QStringList{"0001", "0003", "0004"}));
    EXPECT_EQ(gridColumn(w, 0), tjk());
    EXPECT_EQ(gridColumn(w, 1), (QStringList{"1", "0", "3"}));
    EXPECT_EQ(gridColumn(w, 74), (QStringList{"甲厂", "丙厂", "丁厂"}));
    EXPECT_EQ(gridColumn(w, 77), (QStringList{"￥1,235", "￥100", "￥5,000"}));
    EXPECT_EQ(gridColumn(w, 50), (QStringList{"1234.5", "0", "0"})) << "M1M as it is stored";
    EXPECT_EQ(w.conditionText(), QStringLiteral("行业类型=化工 OR 年收费金额>=5000 "));
    EXPECT_TRUE(w.Command3->isEnabled());
    // Every column of tjktmp reached tjk.
    EXPECT_EQ(column("tjk", "JinE"), (QStringList{"1234.5", "100", "5000.4"}));
    EXPECT_EQ(column("tjk", "M4N"), (QStringList{"0", "0", "2"}));

    // The second query replaces the first: a name with a quote matches itself.
    answer(row("单位名称", "=", "乙'厂"));
    w.Command2->click();
    EXPECT_TRUE(messages().isEmpty()) << messages().join('\n').toStdString();
    EXPECT_EQ(tjk(), QStringList{"0002"});
    EXPECT_EQ(gridColumn(w, 0), tjk());
    EXPECT_EQ(w.conditionText(), QStringLiteral("单位名称=乙'厂 "));

    // A condition that matches nothing: tjk and the grid empty, the print still offered.
    answer(row("所属中队", "=", "三中队"));
    w.Command2->click();
    EXPECT_EQ(tjk(), QStringList{});
    EXPECT_EQ(w.DataGrid1->model()->rowCount(), 0);
    EXPECT_TRUE(w.Command3->isEnabled());
    EXPECT_EQ(w.conditionText(), QStringLiteral("所属中队=三中队 "));

    // After the payment report's build, without a new build here, the month count is of months billed.
    ASSERT_TRUE(statistics::BuildStatisticsTable(2003, statistics::MonthCount::Billed, {}));
    answer(row("单位编号", "=", "0004"));
    w.Command2->click();
    EXPECT_EQ(gridColumn(w, 1), QStringList{"2"});
}

TEST_F(StatisticsWindow, ACancelledDialogKeepsTheFirstQuery)
{
    frmBaoBiao w;
    w.show();
    w.Command1->click();
    answer(row("所属中队", "=", "二中队"));
    w.Command2->click();
    const QStringList first{"0002", "0003"};
    ASSERT_EQ(tjk(), first);
    for (const Leave leave : {Leave::Cancel, Leave::CloseBox}) {
        answer(row("单位编号", "=", "0001"), leave);
        w.Command2->click();
        EXPECT_EQ(tjk(), first);
        EXPECT_EQ(gridColumn(w, 0), first);
        EXPECT_EQ(w.conditionText(), QStringLiteral("所属中队=二中队 "));
        EXPECT_TRUE(w.Command3->isEnabled());
    }
    EXPECT_TRUE(messages().isEmpty()) << messages().join('\n').toStdString();
}

TEST_F(StatisticsWindow, ARefusedOrFailingConditionLeavesEverythingAsItWas)
{
    frmBaoBiao w;
    w.show();
    w.Command1->click();
    // Refused before the first query: the print stays disabled.
    answer(row("", "", ""));
    w.Command2->click();
    ASSERT_EQ(messages().size(), 1);
    EXPECT_TRUE(messages()[0].contains("为空")) << messages()[0].toStdString();
    EXPECT_EQ(ui::testing::shown()[0].icon, ui::Icon::Information);
    EXPECT_FALSE(w.Command3->isEnabled());
    EXPECT_EQ(tjk(), QStringList{});

    answer(row("行业类型", "=", "冶金"));
    w.Command2->click();
    const QStringList first{"0002", "0004"};
    ASSERT_EQ(tjk(), first);

    struct Case {
        const char* what;
        Boxes boxes;
        const char* message;
    };
    const Case cases[] = {
        {"ending in a conjunction",
         {"行业类型", "=", "化工", "OR", "", "", "", "", "", "", "", "", "", "", ""},
         "结尾"},
        {"beginning with a conjunction",
         {"单位代码", "=", "1", "And", "单位编号", "=", "0001", "", "", "", "", "", "", "", ""},
         "开头"},
        {"two conjunctions in a row",
         {"单位编号", "=", "1", "OR", "", "", "", "And", "单位编号", "=", "3", "", "", "", ""},
         "之间"},
        {"refused by the database half-way through the copy", row("单位编号", ">", "0001"), "refused by the test"},
    };
    fixtures::exec(folder->data(dataFiles::billing(2003)),
                   "CREATE TRIGGER refuse BEFORE INSERT ON tjk WHEN new.DanWeiBianHao = '0003' "
                   "BEGIN SELECT RAISE(ABORT, 'refused by the test'); END");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ui::testing::clearShown();
        answer(c.boxes);
        w.Command2->click();
        ASSERT_EQ(messages().size(), 1);
        EXPECT_TRUE(messages()[0].contains(QString::fromUtf8(c.message))) << messages()[0].toStdString();
        EXPECT_EQ(tjk(), first);
        EXPECT_EQ(gridColumn(w, 0), first);
        EXPECT_EQ(w.conditionText(), QStringLiteral("行业类型=冶金 "));
        EXPECT_TRUE(w.Command3->isEnabled());
    }
}

} // namespace
