#include "qelv/assessment/frmWRWDYXG.h"
#include "qelv/assessment/frmWRWGL.h"
#include "tests/assessment/pollutant_fixture.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <memory>

namespace {

class ModifyPollutant : public PollutantFileTest {
protected:
    void SetUp() override
    {
        PollutantFileTest::SetUp();
        // Stored order, not number order: P2 comes first.
        addPollutant(QStringLiteral("P2"), QStringLiteral("二氧化硫"), 2, QStringLiteral("废气"),
                     QStringLiteral("排放量:1 *:4 0.6:0"), 10);
        addPollutant(QStringLiteral("P1"), QStringLiteral("化学需氧量"), 1, QStringLiteral("废水"),
                     QStringLiteral("(:7 v:1 -:3 c:0 ):8 *:4 k:1"), 3);
        addPollutant(QStringLiteral("P3"), QStringLiteral("噪声"), 5, QStringLiteral("噪声"));
        settings::save(QStringLiteral("ModifyDataGS"), QStringLiteral("0"));
    }
    std::unique_ptr<frmWRWDYXG> open() { return std::make_unique<frmWRWDYXG>(); }

    static bool browsing(const frmWRWDYXG& w)
    {
        bool ok = !w.isEditing() && !w.Command9->isEnabled() && w.Command17->isEnabled() && w.Text3->isReadOnly() &&
            w.Text2->isReadOnly() && !w.Combo1->isEnabled() && !w.Combo2->isEnabled();
        for (QPushButton* b : {w.Command1, w.Command2, w.Command3, w.Command4, w.Command5, w.Command6, w.Command7,
                               w.Command8, w.Command11, w.Command12})
            ok = ok && !b->isEnabled();
        for (QPushButton* b : {w.Command13, w.Command14, w.Command15, w.Command16})
            ok = ok && b->isEnabled();
        return ok && w.Command10->isEnabled();
    }
    static bool editing(const frmWRWDYXG& w)
    {
        bool ok = w.isEditing() && w.Command9->isEnabled() && !w.Command17->isEnabled() && !w.Text3->isReadOnly() &&
            !w.Text2->isReadOnly() && w.Combo1->isEnabled() && w.Combo2->isEnabled();
        for (QPushButton* b : {w.Command1, w.Command2, w.Command3, w.Command4, w.Command5, w.Command6, w.Command7,
                               w.Command8, w.Command11, w.Command12})
            ok = ok && b->isEnabled();
        for (QPushButton* b : {w.Command13, w.Command14, w.Command15, w.Command16})
            ok = ok && !b->isEnabled();
        return ok && w.Command10->isEnabled();
    }
    static QString shown(const frmWRWDYXG& w)
    {
        return w.Text3->text() + QLatin1Char('|') + w.Text2->text() + QLatin1Char('|') + w.Combo1->currentText() +
            QLatin1Char('|') + w.Combo2->currentText() + QLatin1Char('|') + w.Text1->text();
    }
};

TEST_F(ModifyPollutant, OpensOnTheFirstStoredPollutantInBrowsingMode)
{
    auto w = open();
    EXPECT_TRUE(messages().isEmpty()) << messagesText();
    EXPECT_EQ(w->windowTitle(), QStringLiteral("修改污染物定义"));
    EXPECT_EQ(shown(*w), QStringLiteral("P2|二氧化硫|2|废气| 排放量 * 0.6"));
    EXPECT_TRUE(browsing(*w));
    EXPECT_EQ(w->Combo1->count(), 10);
    EXPECT_EQ(w->Command17->text(), QStringLiteral("编辑"));
    EXPECT_EQ(w->Command10->text(), QStringLiteral("关闭"));
}

TEST_F(ModifyPollutant, NavigationShowsEachFormulaAndBeepsAtTheEnds)
{
    auto w = open();
    w->Command14_Click();
    EXPECT_EQ(ui::testing::beeps(), 1);
    EXPECT_EQ(w->Text3->text(), QStringLiteral("P2"));
    w->Command15_Click();
    EXPECT_EQ(shown(*w), QStringLiteral("P1|化学需氧量|1|废水| ( v - c ) * k"));
    EXPECT_EQ(w->formula().openings(), 1);
    EXPECT_EQ(w->formula().closings(), 1);
    w->Command15_Click();
    EXPECT_EQ(shown(*w), QStringLiteral("P3|噪声|5|噪声|")) << "a pollutant without tokens shows an empty formula";
    EXPECT_EQ(w->formula().openings(), 0);
    EXPECT_EQ(ui::testing::beeps(), 1);
    w->Command15_Click();
    EXPECT_EQ(ui::testing::beeps(), 2);
    EXPECT_EQ(w->Text3->text(), QStringLiteral("P3"));
    w->Command13_Click();
    EXPECT_EQ(w->Text3->text(), QStringLiteral("P2"));
    w->Command16_Click();
    EXPECT_EQ(w->Text3->text(), QStringLiteral("P3"));
    EXPECT_EQ(ui::testing::beeps(), 2);
    EXPECT_TRUE(messages().isEmpty());
    EXPECT_TRUE(browsing(*w));
}

TEST_F(ModifyPollutant, SaveWithANewNumberMovesTheRowAndEveryToken)
{
    auto w = open();
    w->Command15_Click(); // P1
    w->Command17_Click();
    EXPECT_TRUE(editing(*w));
    press(*w, QStringLiteral("undo + c:2"));
    w->Text3->setText(QStringLiteral("P7"));
    w->Text2->setText(QStringLiteral("O'Neil的 COD"));
    w->Combo1->setEditText(QStringLiteral("4"));
    w->Combo2->setCurrentIndex(w->Combo2->findText(QStringLiteral("其它")));
    w->Command9_Click();
    EXPECT_TRUE(messages().isEmpty()) << messagesText();
    EXPECT_TRUE(browsing(*w));
    EXPECT_EQ(rowOf(QStringLiteral("P7")), QStringLiteral("P7|O'Neil的 COD|4|其它"));
    EXPECT_EQ(count(QStringLiteral("select count(*) from wrw where WuRanWuBianHao='P1'")), 0);
    EXPECT_EQ(count(QStringLiteral("select count(*) from wrwgs where WuRanWuBianHao='P1'")), 0);
    EXPECT_EQ(tokensOf(QStringLiteral("P7")), QStringLiteral("(:7 v:1 -:3 c:0 ):8 *:4 +:2 2:0"));
    // The tokens kept their IDs; those added after them come later.
    EXPECT_EQ(
        probe(QStringLiteral(
                  "select group_concat(ID, ',') from (select ID from wrwgs where WuRanWuBianHao='P7' order by ID)"))
            .toString(),
        QStringLiteral("3,4,5,6,7,8,9,10"));
    EXPECT_EQ(tokensOf(QStringLiteral("P2")), QStringLiteral("排放量:1 *:4 0.6:0"));
    EXPECT_EQ(flag(), QStringLiteral("2"));
    EXPECT_EQ(shown(*w), QStringLiteral("P7|O'Neil的 COD|4|其它| ( v - c ) * + 2"));
    EXPECT_EQ(count(QStringLiteral("select count(*) from wrw")), 3);

    // The catalogue recordset holds what was saved: moving away and back shows it.
    w->Command13_Click();
    w->Command15_Click();
    EXPECT_EQ(shown(*w), QStringLiteral("P7|O'Neil的 COD|4|其它| ( v - c ) * + 2"));
}

TEST_F(ModifyPollutant, UndoRightAfterEditShortensTheStoredFormula)
{
    auto w = open();
    w->Command17_Click();
    press(*w, QStringLiteral("undo"));
    EXPECT_EQ(w->Text1->text(), QStringLiteral(" 排放量 *"));
    w->Command9_Click();
    EXPECT_TRUE(messages().isEmpty());
    EXPECT_EQ(tokensOf(QStringLiteral("P2")), QStringLiteral("排放量:1 *:4"));
    EXPECT_EQ(rowOf(QStringLiteral("P2")), QStringLiteral("P2|二氧化硫|2|废气"));
}

TEST_F(ModifyPollutant, ANumberChangedOnlyInLetterCaseIsNoDuplicate)
{
    auto w = open();
    w->Command17_Click();
    w->Text3->setText(QStringLiteral("p2"));
    w->Command9_Click();
    EXPECT_TRUE(messages().isEmpty()) << messagesText();
    EXPECT_EQ(rowOf(QStringLiteral("p2")), QStringLiteral("p2|二氧化硫|2|废气"));
    EXPECT_EQ(probe(QStringLiteral("select group_concat(WuRanWuBianHao) from wrwgs where ID >= 10")).toString(),
              QStringLiteral("p2,p2,p2"));
}

TEST_F(ModifyPollutant, RefusedSavesWriteNothingAndStayInEditing)
{
    sql(QStringLiteral("insert into wrw values ('P4','括号',1,'废水');"
                       "insert into wrwgs values (1,'(',7,'P4'),(2,'(',7,'P4'),(3,'x',1,'P4'),(4,')',8,'P4')"));
    auto w = open();
    w->Command16_Click();
    EXPECT_EQ(w->Text3->text(), QStringLiteral("P4"));
    EXPECT_EQ(w->formula().openings(), 2);
    EXPECT_EQ(w->formula().closings(), 1);
    const QString before = everything();

    w->Command17_Click();
    w->Command9_Click();
    EXPECT_EQ(messages(), QStringList{QStringLiteral("污染物编号和名称为空或则公式不正确!")});
    EXPECT_TRUE(editing(*w));
    EXPECT_EQ(everything(), before);

    ui::testing::clearShown();
    press(*w, QStringLiteral(")"));
    w->Text3->setText(QStringLiteral("P1"));
    w->Command9_Click();
    EXPECT_EQ(messages(), QStringList{QStringLiteral("污染物编号重复，污染物编号不能重复，请修改!")});
    EXPECT_EQ(messageBoxes()[0].icon, ui::Icon::Information);
    EXPECT_TRUE(editing(*w));
    EXPECT_EQ(everything(), before);
    EXPECT_EQ(flag(), QStringLiteral("0"));

    ui::testing::clearShown();
    w->Text3->setText(QStringLiteral("P4 "));
    w->Command9_Click();
    EXPECT_EQ(
        messages(),
        QStringList{QStringLiteral("污染物编号“P4 ”的前后有空格：污染物编号前后不能有空格，请去掉空格后再输入。")});
    EXPECT_TRUE(editing(*w));
    EXPECT_EQ(everything(), before);

    // Corrected, it saves.
    ui::testing::clearShown();
    w->Text3->setText(QStringLiteral("P4"));
    w->Command9_Click();
    EXPECT_TRUE(messages().isEmpty());
    EXPECT_EQ(tokensOf(QStringLiteral("P4")), QStringLiteral("(:7 (:7 x:1 ):8 ):8"));
}

TEST_F(ModifyPollutant, FailedSaveKeepsTheOldFormulaAndTheOperatorsTyping)
{
    const QString before = everything();
    auto w = open();
    w->Command17_Click();
    press(*w, QStringLiteral("+ c:") + QString(51, QLatin1Char('9')));
    w->Text2->setText(QStringLiteral("改名"));
    w->Command9_Click();
    ASSERT_EQ(messages().size(), 1);
    EXPECT_EQ(everything(), before) << "the old tokens stay when the new ones cannot be written";
    EXPECT_EQ(flag(), QStringLiteral("0"));
    EXPECT_TRUE(editing(*w));
    EXPECT_EQ(w->Text2->text(), QStringLiteral("改名"));

    // A category the table refuses fails after the row was written: that is undone as well.
    ui::testing::clearShown();
    press(*w, QStringLiteral("undo undo"));
    w->Combo2->setEditText(QStringLiteral("一二三四五六七八九十一"));
    w->Command9_Click();
    ASSERT_EQ(messages().size(), 1);
    EXPECT_EQ(everything(), before);
    EXPECT_TRUE(editing(*w));

    ui::testing::clearShown();
    w->Combo2->setEditText(QStringLiteral("废气"));
    w->Command9_Click();
    EXPECT_TRUE(messages().isEmpty()) << messagesText();
    EXPECT_EQ(rowOf(QStringLiteral("P2")), QStringLiteral("P2|改名|2|废气"));
    EXPECT_EQ(tokensOf(QStringLiteral("P2")), QStringLiteral("排放量:1 *:4 0.6:0"));
    EXPECT_EQ(flag(), QStringLiteral("2"));
}

TEST_F(ModifyPollutant, ClosingDuringAnEditWritesNothing)
{
    const QString before = everything();
    {
        auto w = open();
        w->Command17_Click();
        press(*w, QStringLiteral("undo undo"));
        w->Text3->setText(QStringLiteral("X9"));
        QSignalSpy finished(w.get(), &QDialog::finished);
        w->Command10_Click();
        EXPECT_EQ(finished.count(), 1);
    }
    EXPECT_EQ(everything(), before);
    EXPECT_EQ(flag(), QStringLiteral("0"));
    EXPECT_TRUE(messages().isEmpty());
}

TEST_F(ModifyPollutant, EmptyCatalogueOffersOnlyClosing)
{
    sql(QStringLiteral("delete from wrw; delete from wrwgs"));
    auto w = open();
    EXPECT_TRUE(messages().isEmpty());
    EXPECT_TRUE(w->Text1->text().isEmpty());
    for (QPushButton* b :
         {w->Command1, w->Command7, w->Command9, w->Command13, w->Command14, w->Command15, w->Command16, w->Command17})
        EXPECT_FALSE(b->isEnabled()) << b->objectName().toStdString();
    EXPECT_TRUE(w->Command10->isEnabled());
    w->Command15_Click();
    w->Command17_Click();
    w->Command9_Click();
    EXPECT_TRUE(messages().isEmpty());
    EXPECT_EQ(ui::testing::beeps(), 0);
}

// --- several pollutant windows at once ------------------------------------------------------------

TEST_F(ModifyPollutant, OtherWindowsNeverTouchTheFormulaUnderEdit)
{
    auto a = open();
    a->Command17_Click();
    press(*a, QStringLiteral("undo / c:2"));
    const QString underEdit = a->Text1->text();
    ASSERT_EQ(underEdit, QStringLiteral(" 排放量 * / 2"));

    // A second modification window moving through the catalogue, a new-pollutant window saving and
    // closing: each of them used to empty or refill the one scratch table.
    auto b = open();
    b->Command15_Click();
    b->Command17_Click();
    press(*b, QStringLiteral("+ c:1"));
    {
        frmWRWGL n;
        press(n, QStringLiteral("c:9 - c:8"));
        n.Text3->setText(QStringLiteral("N1"));
        n.Text2->setText(QStringLiteral("新"));
        n.Command9_Click();
    }
    EXPECT_TRUE(messages().isEmpty()) << messagesText();
    EXPECT_EQ(a->Text1->text(), underEdit);
    EXPECT_EQ(a->formula().displayText(), underEdit);

    a->Command9_Click();
    b->Command9_Click();
    EXPECT_TRUE(messages().isEmpty()) << messagesText();
    EXPECT_EQ(tokensOf(QStringLiteral("P2")), QStringLiteral("排放量:1 *:4 /:5 2:0"));
    EXPECT_EQ(tokensOf(QStringLiteral("P1")), QStringLiteral("(:7 v:1 -:3 c:0 ):8 *:4 k:1 +:2 1:0"));
    EXPECT_EQ(tokensOf(QStringLiteral("N1")), QStringLiteral("9:0 -:3 8:0"));
    EXPECT_EQ(count(QStringLiteral("select count(*) from wrwgs")), 3 + 9 + 4);
}

TEST_F(ModifyPollutant, APollutantRenumberedInAnotherWindowIsNotWrittenOver)
{
    auto a = open();
    auto b = open();
    a->Command17_Click();
    b->Command17_Click();
    a->Text3->setText(QStringLiteral("P9"));
    a->Command9_Click();
    ASSERT_TRUE(messages().isEmpty());
    const QString afterA = everything();

    press(*b, QStringLiteral("+ c:1"));
    b->Command9_Click();
    EXPECT_EQ(messages().size(), 1);
    EXPECT_TRUE(b->isEditing());
    EXPECT_EQ(everything(), afterA);
    EXPECT_EQ(tokensOf(QStringLiteral("P9")), QStringLiteral("排放量:1 *:4 0.6:0"));
}

TEST_F(ModifyPollutant, OnlyTheLastPollutantWindowToCloseCompacts)
{
    fixtures::makeFileWithFreePages(file());
    auto a = open();
    auto b = open();
    a->Command10_Click();
    EXPECT_GT(fixtures::freePages(file()), 0);
    EXPECT_TRUE(messages().isEmpty());
    b->Command15_Click();
    EXPECT_EQ(b->Text3->text(), QStringLiteral("P1")) << "the window left open keeps working";
    b->Command10_Click();
    EXPECT_EQ(fixtures::freePages(file()), 0);
    EXPECT_TRUE(messages().isEmpty());
    EXPECT_EQ(count(QStringLiteral("select count(*) from wrwgs")), 10);
}

} // namespace
