// The query-condition dialog: its boxes and lists, the condition built from the boxes' texts as SQL and
// as words, what it refuses, and the ways out of it.
#include "qelv/notices/frmCXTJ.h"

#include "platform/error/error.h"
#include "platform/ui/dialogs.h"
#include "platform/ui/twips.h"
#include "qelv/notices/statistics_condition.h"
#include "tests/fixtures/sqlite_probe.h"
#include "tests/notices/statistics_fixture.h"

#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <array>
#include <gtest/gtest.h>

namespace {

class ConditionDialog : public fixtures::StatisticsYear {
protected:
    void SetUp() override
    {
        StatisticsYear::SetUp();
        for (const char* v : {"化工", "冶金"})
            dw->execute("insert into HangYeLeiXing values (?)", {QString::fromUtf8(v)});
        for (const char* v : {"一中队", "二中队"})
            dw->execute("insert into DanWeiFenQu values (?)", {QString::fromUtf8(v)});
    }

    static QComboBox* combo(frmCXTJ& d, int n) { return d.findChild<QComboBox*>(QStringLiteral("Combo%1").arg(n)); }
    static QStringList items(QComboBox* c)
    {
        QStringList out;
        for (int i = 0; i < c->count(); ++i)
            out << c->itemText(i);
        return out;
    }
};

TEST_F(ConditionDialog, FifteenEmptyEditableBoxesFilledInOrder)
{
    frmCXTJ d;
    EXPECT_TRUE(messages().isEmpty()) << messages().join('\n').toStdString();
    EXPECT_EQ(d.objectName(), QStringLiteral("frmCXTJ"));
    EXPECT_EQ(d.windowTitle(), QStringLiteral("查询条件"));
    EXPECT_TRUE(d.isModal());
    EXPECT_EQ(d.size(), QSize(ui::px(7215), ui::px(3690)));
    EXPECT_FALSE(d.ConditionAccepted);
    EXPECT_EQ(d.Label1->text(), QStringLiteral("查询条件："));
    EXPECT_EQ(d.OKButton->text(), QStringLiteral("确    定"));
    EXPECT_EQ(d.CancelButton->text(), QStringLiteral("取   消"));
    EXPECT_FALSE(d.OKButton->icon().isNull());
    EXPECT_EQ(d.OKButton->geometry(), ui::rectTwips(1260, 2520, 1935, 855));
    EXPECT_EQ(d.CancelButton->geometry(), ui::rectTwips(4020, 2520, 1935, 855));

    const QStringList fields{"单位编号", "单位名称", "行业类型", "所属中队", "年收费金额"};
    const QStringList operators{"=", "<>", ">", "<", ">=", "<="};
    const QStringList values{"化工", "冶金", "一中队", "二中队"};
    const QStringList conjunctions{"OR", "And"};
    const double lefts[] = {360, 1560, 3360, 4560}, widths[] = {1095, 1695, 1095, 2295},
                 tops[] = {240, 720, 1200, 1680};
    for (int row = 0; row < 4; ++row) {
        SCOPED_TRACE(row + 1);
        const int first = row == 0 ? 1 : 4 * row; // the row's field box
        if (row > 0) {
            EXPECT_EQ(items(combo(d, first)), conjunctions);
            EXPECT_EQ(combo(d, first)->geometry(), ui::rectTwips(lefts[0], tops[row], widths[0], 300));
        }
        const int field = row == 0 ? 1 : first + 1;
        EXPECT_EQ(items(combo(d, field)), fields);
        EXPECT_EQ(items(combo(d, field + 1)), operators);
        EXPECT_EQ(items(combo(d, field + 2)), values);
        for (int column = 1; column < 4; ++column)
            EXPECT_EQ(combo(d, field + column - 1)->geometry(),
                      ui::rectTwips(lefts[column], tops[row], widths[column], 300));
    }
    for (int n = 1; n <= 15; ++n) {
        ASSERT_NE(combo(d, n), nullptr) << n;
        EXPECT_TRUE(combo(d, n)->isEditable()) << n;
        EXPECT_EQ(combo(d, n)->currentIndex(), -1) << n;
        EXPECT_EQ(combo(d, n)->currentText(), QString()) << n;
    }
}

TEST_F(ConditionDialog, AListThatCannotBeReadIsReportedAndTheDialogStillOpens)
{
    dw->execute("insert into DanWeiFenQu values (NULL)");
    dw->execute("insert into DanWeiFenQu values ('三中队')");
    frmCXTJ nulls;
    ASSERT_EQ(messages().size(), 1);
    EXPECT_TRUE(messages()[0].contains("Null")) << messages()[0].toStdString();
    EXPECT_EQ(items(combo(nulls, 3)), (QStringList{"化工", "冶金", "一中队", "二中队"}));
    EXPECT_EQ(items(combo(nulls, 1)).size(), 5);
    EXPECT_EQ(items(combo(nulls, 4)), QStringList{}) << "the conjunctions come after the values";

    ui::testing::clearShown();
    dw->execute("drop table HangYeLeiXing");
    frmCXTJ missing;
    ASSERT_EQ(messages().size(), 1);
    EXPECT_TRUE(messages()[0].contains("HangYeLeiXing")) << messages()[0].toStdString();
    EXPECT_EQ(items(combo(missing, 15)), QStringList{});
    EXPECT_EQ(items(combo(missing, 14)).size(), 6);
    // A conjunction is typed instead.
    missing.show();
    combo(missing, 1)->setEditText("单位编号");
    combo(missing, 2)->setEditText("=");
    combo(missing, 3)->setEditText("1");
    combo(missing, 4)->setEditText("OR");
    combo(missing, 5)->setEditText("单位编号");
    combo(missing, 6)->setEditText("=");
    combo(missing, 7)->setEditText("2");
    missing.OKButton->click();
    EXPECT_TRUE(missing.ConditionAccepted);
    EXPECT_EQ(missing.ConditionSql, QStringLiteral(" DanWeiBianHao='1'  OR  DanWeiBianHao='2' "));
}

// The texts of the fifteen boxes, Combo1 first.
using Boxes = std::array<const char*, 15>;

TEST_F(ConditionDialog, TheConditionFromTheBoxesAsATable)
{
    struct Case {
        const char* what;
        Boxes boxes;
        bool accepted;
        const char* sql;
        const char* text;
        const char* message; // part of the refusal; null when accepted
    };
    const Case cases[] = {
        {"the example",
         {"单位编号", "=", "001", "And", "年收费金额", ">=", "800", "", "", "", "", "", "", "", ""},
         true,
         " DanWeiBianHao='001'  And  JinE>=800 ",
         "单位编号=001 And 年收费金额>=800 ",
         nullptr},
        {"every box empty", {"", "", "", "", "", "", "", "", "", "", "", "", "", "", ""}, true, "", " ", nullptr},
        {"Combo4 empty: only row 1",
         {"行业类型", "<>", "化工", "", "单位名称", "=", "乙", "And", "所属中队", "=", "一中队", "OR", "单位编号", ">",
          "9"},
         true,
         " HangYeLeiXing<>'化工' ",
         "行业类型<>化工 ",
         nullptr},
        {"OR before an empty row",
         {"行业类型", "=", "化工", "OR", "", "", "", "", "", "", "", "", "", "", ""},
         true,
         " HangYeLeiXing='化工'  OR ",
         "行业类型=化工 OR  ",
         nullptr},
        {"row 1 empty, And, row 2",
         {"", "", "", "And", "所属中队", "=", "一中队", "", "", "", "", "", "", "", ""},
         true,
         " And  DanWeiFenQu='一中队' ",
         " And 所属中队=一中队 ",
         nullptr},
        {"a typed field name adds nothing to the SQL, its conjunction still does",
         {"单位代码", "=", "1", "OR", "单位名称", "<>", "甲厂", "", "", "", "", "", "", "", ""},
         true,
         " OR  DanWeiQuangCheng<>'甲厂' ",
         "单位代码=1 OR 单位名称<>甲厂 ",
         nullptr},
        {"four rows, the conjunctions in any letter case, written as typed",
         {"单位编号", ">", "0001", "and", "单位编号", "<=", "0009", "or", "年收费金额", "<", "-5.5", "OR", "行业类型",
          "=", "冶金"},
         true,
         " DanWeiBianHao>'0001'  and  DanWeiBianHao<='0009'  or  JinE<-5.5  OR  HangYeLeiXing='冶金' ",
         "单位编号>0001 and 单位编号<=0009 or 年收费金额<-5.5 OR 行业类型=冶金 ",
         nullptr},
        {"a quote in a value is doubled in the SQL and kept in the words",
         {"单位名称", "=", "甲'厂", "", "", "", "", "", "", "", "", "", "", "", ""},
         true,
         " DanWeiQuangCheng='甲''厂' ",
         "单位名称=甲'厂 ",
         nullptr},
        {"an empty value of a text field",
         {"单位名称", "=", "", "", "", "", "", "", "", "", "", "", "", "", ""},
         true,
         " DanWeiQuangCheng='' ",
         "单位名称= ",
         nullptr},
        {"thousands separators in the amount",
         {"年收费金额", ">=", "1,000", "", "", "", "", "", "", "", "", "", "", "", ""},
         true,
         " JinE>=1000 ",
         "年收费金额>=1,000 ",
         nullptr},
        {"an amount that is no number",
         {"年收费金额", ">", "800 or 1=1", "", "", "", "", "", "", "", "", "", "", "", ""},
         false,
         "",
         "",
         "第1行的年收费金额“800 or 1=1”不是数字"},
        {"an empty amount",
         {"单位编号", "=", "1", "And", "年收费金额", ">", "", "", "", "", "", "", "", "", ""},
         false,
         "",
         "",
         "第2行的年收费金额“”不是数字"},
        {"a typed operator",
         {"单位编号", "=", "1", "OR", "单位编号", "=1 or 1", "1", "", "", "", "", "", "", "", ""},
         false,
         "",
         "",
         "第2行的比较符“=1 or 1”无效"},
        {"an empty operator",
         {"所属中队", "", "一中队", "", "", "", "", "", "", "", "", "", "", "", ""},
         false,
         "",
         "",
         "第1行的比较符“”无效"},
        {"a typed conjunction",
         {"单位编号", "=", "1", "OR", "单位编号", "=", "2", "And Not", "单位编号", "=", "3", "", "", "", ""},
         false,
         "",
         "",
         "第3行前的连接词“And Not”无效"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ui::testing::clearShown();
        frmCXTJ d;
        d.show();
        for (int n = 1; n <= 15; ++n)
            combo(d, n)->setEditText(QString::fromUtf8(c.boxes[n - 1]));
        d.OKButton->click();
        EXPECT_EQ(d.ConditionAccepted, c.accepted);
        EXPECT_EQ(d.ConditionSql, QString::fromUtf8(c.sql)) << d.ConditionSql.toStdString();
        EXPECT_EQ(d.ConditionText, QString::fromUtf8(c.text)) << d.ConditionText.toStdString();
        if (c.message) {
            ASSERT_EQ(ui::testing::shown().size(), 1u);
            EXPECT_TRUE(ui::testing::shown()[0].text.contains(QString::fromUtf8(c.message)))
                << ui::testing::shown()[0].text.toStdString();
            EXPECT_EQ(ui::testing::shown()[0].icon, ui::Icon::Information);
            EXPECT_TRUE(d.isVisible()) << "the dialog stays open";
            EXPECT_EQ(d.result(), 0);
        } else {
            EXPECT_TRUE(messages().isEmpty()) << messages().join('\n').toStdString();
            EXPECT_FALSE(d.isVisible()) << "hidden by the confirmation";
            EXPECT_EQ(d.result(), QDialog::Accepted);
        }
    }
}

TEST_F(ConditionDialog, CancelAndTheCloseBoxLeaveNothingAccepted)
{
    for (const bool closeBox : {false, true}) {
        SCOPED_TRACE(closeBox ? "close box" : "取   消");
        frmCXTJ d;
        d.show();
        combo(d, 1)->setEditText("年收费金额");
        combo(d, 2)->setEditText(">");
        combo(d, 3)->setEditText("abc");
        d.OKButton->click(); // refused first
        combo(d, 3)->setEditText("5");
        if (closeBox)
            d.close();
        else
            d.CancelButton->click();
        EXPECT_FALSE(d.isVisible());
        EXPECT_FALSE(d.ConditionAccepted);
        EXPECT_EQ(d.ConditionSql, QString());
        EXPECT_EQ(d.ConditionText, QString());
    }
}

// A refusal reaches any handler of errors with the text the operator reads, as every error does.
TEST(StatisticsCondition, ARefusalCarriesTheTextShown)
{
    std::array<statistics::ConditionRow, 4> rows;
    rows[0] = {QStringLiteral("年收费金额"), QStringLiteral(">"), QStringLiteral("abc")};
    try {
        statistics::buildCondition(rows, {});
        ADD_FAILURE() << "accepted";
    } catch (const std::exception& e) {
        EXPECT_EQ(platform::describe(e), QStringLiteral("第1行的年收费金额“abc”不是数字！"));
        EXPECT_STREQ(e.what(), "第1行的年收费金额“abc”不是数字！");
    }
}

TEST(StatisticsCondition, WhatTheQueryRefuses)
{
    struct Case {
        const char* sql;
        const char* refusal; // part of the message; null when the condition can be tried
    };
    const Case cases[] = {
        {" DanWeiBianHao='001'  And  JinE>=800 ", nullptr},
        {" DanWeiQuangCheng='甲 and 乙' ", nullptr},
        {" DanWeiQuangCheng='or'  OR  DanWeiFenQu='and ''or' ", nullptr},
        {"", "为空"},
        {" ", "为空"},
        {" HangYeLeiXing='化工'  OR  ", "结尾"},
        {" And  DanWeiFenQu='一中队' ", "开头"},
        {" or  JinE>1 ", "开头"},
        {" JinE>1  OR  AND  JinE<5 ", "之间"},
        {" DanWeiQuangCheng='x''' and ", "结尾"},
    };
    for (const Case& c : cases) {
        const QString got = statistics::conditionRefusal(QString::fromUtf8(c.sql));
        if (c.refusal)
            EXPECT_TRUE(got.contains(QString::fromUtf8(c.refusal))) << c.sql << " -> " << got.toStdString();
        else
            EXPECT_TRUE(got.isEmpty()) << c.sql << " -> " << got.toStdString();
    }
}

} // namespace
