#include "qelv/assessment/frmWRWGL.h"
#include "qelv/core/window_registry.h"
#include "qelv/windows_all.h"
#include "tests/assessment/pollutant_fixture.h"
#include "tests/fixtures/modal.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <memory>

namespace {

class NewPollutant : public PollutantFileTest {
protected:
    std::unique_ptr<frmWRWGL> open()
    {
        auto w = std::make_unique<frmWRWGL>();
        spy = std::make_unique<QSignalSpy>(w.get(), &QDialog::finished);
        return w;
    }
    void fill(frmWRWGL& w, const QString& number, const QString& name, const QString& category = QStringLiteral("1"),
              const QString& kind = QStringLiteral("废水"))
    {
        w.Text3->setText(number);
        w.Text2->setText(name);
        w.Combo1->setEditText(category);
        w.Combo2->setEditText(kind);
    }
    bool closed() const { return spy && spy->count() > 0; }
    std::unique_ptr<QSignalSpy> spy;
};

TEST_F(NewPollutant, OpensEmptyWithTheDesignedDefaults)
{
    sql(QStringLiteral("insert into wrwgsmb (MingCheng,BiaoJi,WuRanWuBianHao) values ('x',0,''),('+',2,'')"));
    auto w = open();
    EXPECT_TRUE(messages().isEmpty());
    EXPECT_EQ(count(QStringLiteral("select count(*) from wrwgsmb")), 0)
        << "a scratch table left by an earlier run is emptied";
    EXPECT_EQ(w->windowTitle(), QStringLiteral("污染物管理"));
    EXPECT_TRUE(w->Text1->text().isEmpty());
    EXPECT_TRUE(w->Text1->isReadOnly());
    EXPECT_EQ(w->Combo1->currentText(), QStringLiteral("1"));
    EXPECT_EQ(w->Combo1->count(), 10);
    EXPECT_EQ(w->Combo1->itemText(9), QStringLiteral("10"));
    EXPECT_EQ(w->Combo2->currentText(), QStringLiteral("废水"));
    EXPECT_EQ(w->Combo2->count(), 5);
    EXPECT_EQ(w->Command7->text(), QStringLiteral("取消上一步"));
    EXPECT_EQ(w->Command8->text(), QStringLiteral("|"));
    EXPECT_EQ(w->Command10->text(), QStringLiteral("取消"));
    EXPECT_EQ(w->Command9->text(), QStringLiteral("保存"));
}

struct KeyCase {
    const char* name;
    const char* keys;
    const char* display;
    int bars, openings, closings;
};

class Keypad : public NewPollutant, public ::testing::WithParamInterface<KeyCase> { };

TEST_P(Keypad, DisplayAndCounts)
{
    const KeyCase& c = GetParam();
    auto w = open();
    press(*w, QString::fromUtf8(c.keys));
    EXPECT_EQ(w->Text1->text(), QString::fromUtf8(c.display));
    EXPECT_EQ(w->formula().bars(), c.bars);
    EXPECT_EQ(w->formula().openings(), c.openings);
    EXPECT_EQ(w->formula().closings(), c.closings);
    EXPECT_EQ(w->formula().displayText(), w->Text1->text());
    EXPECT_EQ(count(QStringLiteral("select count(*) from wrwgsmb")), 0) << "the formula under edit is the window's own";
}

const KeyCase keyCases[] = {
    {"ConstantTimesVariable", "c:5 * v:排放量", " 5 * 排放量", 0, 0, 0},
    {"EveryOperatorKey", "+ - * / | ( )", " + - * / | ( )", 1, 1, 1},
    {"BarsAndBrackets", "| c:1 - v:a | / ( c:3 + v:b )", " | 1 - a | / ( 3 + b )", 2, 1, 1},
    {"ConstantIsNotTested", "c:abc", " abc", 0, 0, 0},
    {"CancelledInputsAddNothing", "c:5 c: v: *", " 5 *", 0, 0, 0},
    {"UndoOnEmptyDoesNothing", "undo undo", "", 0, 0, 0},
    {"UndoOfTheOnlyToken", "c:7 undo", "", 0, 0, 0},
    {"UndoRemovesTheLast", "c:1 + c:2 undo", " 1 +", 0, 0, 0},
    {"UndoOfABracketLowersItsCount", "( ( ) undo undo", " (", 0, 1, 0},
    {"UndoOfABar", "| c:1 | undo", " | 1", 1, 0, 0},
    {"KeysAfterUndo", "c:1 + undo - c:2", " 1 - 2", 0, 0, 0},
};

INSTANTIATE_TEST_SUITE_P(Sequences, Keypad, ::testing::ValuesIn(keyCases),
                         [](const ::testing::TestParamInfo<KeyCase>& info) { return std::string(info.param.name); });

TEST_F(NewPollutant, InputBoxesAskWithTheirOwnPromptAndTitle)
{
    auto w = open();
    ui::testing::answerInput(QStringLiteral("5"));
    w->Command1_Click();
    ui::testing::answerInput(QStringLiteral("排放量"));
    w->Command2_Click();
    const auto& shown = ui::testing::shown();
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_EQ(shown[0].kind, ui::testing::Shown::Input);
    EXPECT_EQ(shown[0].text, QStringLiteral("输入常量值,类型为数值型!"));
    EXPECT_EQ(shown[0].title, QStringLiteral("输入常量"));
    EXPECT_TRUE(shown[0].proposed.isEmpty());
    EXPECT_EQ(shown[1].text, QStringLiteral("输入变量值,类型为字值型或中文!"));
    EXPECT_EQ(shown[1].title, QStringLiteral("输入变量"));
    ASSERT_EQ(w->formula().tokens().size(), 2);
    EXPECT_EQ(w->formula().tokens()[0].kind, 0);
    EXPECT_EQ(w->formula().tokens()[1].kind, 1);
}

struct CheckCase {
    const char* name;
    const char* keys;
    const char* number;
    const char* pollutantName;
    const char* category;
    const char* message; // empty: the save is accepted
};

class SaveChecks : public NewPollutant, public ::testing::WithParamInterface<CheckCase> { };

TEST_P(SaveChecks, RefusedWithItsMessageOrSaved)
{
    const CheckCase& c = GetParam();
    auto w = open();
    press(*w, QString::fromUtf8(c.keys));
    fill(*w, QString::fromUtf8(c.number), QString::fromUtf8(c.pollutantName), QString::fromUtf8(c.category));
    const QString display = w->Text1->text();
    w->Command9_Click();
    const QString message = QString::fromUtf8(c.message);
    if (message.isEmpty()) {
        EXPECT_TRUE(messages().isEmpty()) << messagesText();
        EXPECT_TRUE(closed());
        EXPECT_EQ(count(QStringLiteral("select count(*) from wrw")), 1);
    } else {
        EXPECT_EQ(messages(), QStringList{message});
        ASSERT_FALSE(messages().isEmpty());
        EXPECT_EQ(messageBoxes()[0].icon, ui::Icon::Information);
        EXPECT_FALSE(closed());
        EXPECT_EQ(w->Text1->text(), display) << "the formula stays as it was";
        EXPECT_EQ(everything(), QStringLiteral(" // "));
        EXPECT_EQ(flag(), QStringLiteral("absent"));
    }
}

const char* const invalid = "污染物编号和名称为空或则公式不正确!";
const char* const notWhole = "计算类别必须是整数!";

const CheckCase checkCases[] = {
    {"Balanced", "( c:1 + c:2 ) * | c:3 |", "P1", "化学需氧量", "1", ""},
    {"TwoOpeningsOneClosing", "( ( c:1 )", "P1", "n", "1", invalid},
    {"ClosingBeforeOpeningOnlyCountsAreCompared", ") (", "P1", "n", "1", ""},
    {"ThreeBars", "| c:1 | |", "P1", "n", "1", invalid},
    {"TwoBars", "| c:1 |", "P1", "n", "1", ""},
    {"BracketUndoneLeavesNoBracket", "( undo", "P1", "n", "1", ""},
    {"EmptyFormula", "", "P1", "n", "1", ""},
    {"EmptyNumber", "c:1", "", "n", "1", invalid},
    {"EmptyNumberWhateverTheFormula", "( (", "", "n", "1", invalid},
    {"BlankNumber", "c:1", "  ", "n", "1", invalid},
    {"BlankAfterTheNumber", "c:1", "P1 ", "n", "1",
     "污染物编号“P1 ”的前后有空格：污染物编号前后不能有空格，请去掉空格后再输入。"},
    {"BlankBeforeTheNumber", "c:1", " P1", "n", "1",
     "污染物编号“ P1”的前后有空格：污染物编号前后不能有空格，请去掉空格后再输入。"},
    {"EmptyName", "c:1", "P1", "", "1", invalid},
    {"CategoryNotANumber", "c:1", "P1", "n", "abc", notWhole},
    {"CategoryNotWhole", "c:1", "P1", "n", "1.5", notWhole},
    {"CategoryEmpty", "c:1", "P1", "n", "", notWhole},
    {"CategoryBeyondSixteenBits", "c:1", "P1", "n", "40000", notWhole},
    {"CategoryTyped", "c:1", "P1", "n", "12", ""},
};

INSTANTIATE_TEST_SUITE_P(Cases, SaveChecks, ::testing::ValuesIn(checkCases),
                         [](const ::testing::TestParamInfo<CheckCase>& info) { return std::string(info.param.name); });

TEST_F(NewPollutant, DuplicateNumberIsRefusedBeforeAnyOtherCheck)
{
    addPollutant(QStringLiteral("P1"), QStringLiteral("旧"), 2, QStringLiteral("废气"), QStringLiteral("5:0"));
    const QString before = everything();
    for (const char* number : {"P1", "p1"}) {
        ui::testing::clearShown();
        auto w = open();
        press(*w, QStringLiteral("( c:1")); // unbalanced as well: the duplicate message comes first
        fill(*w, QString::fromLatin1(number), QStringLiteral("新"));
        w->Command9_Click();
        EXPECT_EQ(messages(), QStringList{QStringLiteral("污染物编号重复，污染物编号不能重复，请修改!")}) << number;
        EXPECT_EQ(messageBoxes()[0].icon, ui::Icon::Information);
        EXPECT_FALSE(closed());
        EXPECT_EQ(w->Text1->text(), QStringLiteral(" ( 1"));
        EXPECT_EQ(everything(), before);
    }
}

TEST_F(NewPollutant, SaveStoresTheRowAndTheTokensInOrderAndRaisesTheFlag)
{
    addPollutant(QStringLiteral("A0"), QStringLiteral("旧"), 2, QStringLiteral("废气"), QStringLiteral("5:0"), 40);
    auto w = open();
    press(*w, QStringLiteral("| v:排放量 - c:12.5 | * ( v:浓度 / c:3 ) undo )"));
    fill(*w, QStringLiteral("W01"), QStringLiteral("O'Brien's \"水\""), QStringLiteral("3"), QStringLiteral("自定义"));
    w->Command9_Click();
    EXPECT_TRUE(messages().isEmpty()) << messagesText();
    EXPECT_TRUE(closed());
    EXPECT_EQ(spy->at(0).at(0).toInt(), int(QDialog::Accepted));

    EXPECT_EQ(rowOf(QStringLiteral("W01")), QStringLiteral("W01|O'Brien's \"水\"|3|自定义"));
    EXPECT_EQ(probe(QStringLiteral("select typeof(LeiXing) from wrw where WuRanWuBianHao='W01'")).toString(),
              QStringLiteral("integer"));
    EXPECT_EQ(tokensOf(QStringLiteral("W01")),
              QStringLiteral("|:6 排放量:1 -:3 12.5:0 |:6 *:4 (:7 浓度:1 /:5 3:0 ):8"));
    // IDs grow along the formula, and no token lacks its pollutant.
    EXPECT_EQ(count(QStringLiteral("select count(*) from wrwgs a join wrwgs b on a.WuRanWuBianHao = b.WuRanWuBianHao "
                                   "and a.rowid < b.rowid and a.ID >= b.ID")),
              0);
    EXPECT_EQ(count(QStringLiteral("select count(*) from wrwgs where WuRanWuBianHao = 'W01'")), 11);
    EXPECT_EQ(count(QStringLiteral("select count(*) from wrwgs where coalesce(WuRanWuBianHao, '') = ''")), 0);
    EXPECT_EQ(tokensOf(QStringLiteral("A0")), QStringLiteral("5:0"));
    EXPECT_EQ(count(QStringLiteral("select count(*) from wrwgsmb")), 0);
    EXPECT_EQ(flag(), QStringLiteral("1"));
}

TEST_F(NewPollutant, EmptyFormulaSavesTheRowAlone)
{
    auto w = open();
    fill(*w, QStringLiteral("N1"), QStringLiteral("噪声源"), QStringLiteral("10"), QStringLiteral("噪声"));
    w->Command9_Click();
    EXPECT_TRUE(closed());
    EXPECT_EQ(rowOf(QStringLiteral("N1")), QStringLiteral("N1|噪声源|10|噪声"));
    EXPECT_EQ(count(QStringLiteral("select count(*) from wrwgs")), 0);
}

TEST_F(NewPollutant, FailedSaveLeavesTheFileAsItWasAndTheWindowUsable)
{
    addPollutant(QStringLiteral("A0"), QStringLiteral("旧"), 2, QStringLiteral("废气"), QStringLiteral("5:0 *:4 q:1"));
    settings::save(QStringLiteral("ModifyDataGS"), QStringLiteral("0"));
    const QString before = everything();
    const QString tooLong(51, QLatin1Char('x'));

    struct Fault {
        const char* what;
        QString keys, name, kind;
    } faults[] = {
        {"a token the table refuses", QStringLiteral("c:1 + c:") + tooLong, QStringLiteral("n"),
         QStringLiteral("废水")},
        {"a name the table refuses, after the tokens", QStringLiteral("c:1 + c:2"), tooLong, QStringLiteral("废水")},
        {"a category the table refuses", QStringLiteral("c:1 + c:2"), QStringLiteral("n"),
         QStringLiteral("一二三四五六七八九十一")},
    };
    for (const Fault& f : faults) {
        ui::testing::clearShown();
        auto w = open();
        press(*w, f.keys);
        fill(*w, QStringLiteral("P1"), f.name, QStringLiteral("1"), f.kind);
        const QString display = w->Text1->text();
        w->Command9_Click();
        EXPECT_EQ(messages().size(), 1) << f.what;
        EXPECT_FALSE(closed()) << f.what;
        EXPECT_EQ(everything(), before) << f.what;
        EXPECT_EQ(flag(), QStringLiteral("0")) << f.what;
        EXPECT_EQ(w->Text1->text(), display) << f.what;

        // Corrected, the same window saves.
        ui::testing::clearShown();
        if (f.keys.endsWith(tooLong))
            press(*w, QStringLiteral("undo c:2"));
        fill(*w, QStringLiteral("P1"), QStringLiteral("n"), QStringLiteral("1"), QStringLiteral("废水"));
        w->Command9_Click();
        EXPECT_TRUE(messages().isEmpty()) << f.what << ": " << messagesText();
        EXPECT_TRUE(closed()) << f.what;
        EXPECT_EQ(tokensOf(QStringLiteral("P1")), QStringLiteral("1:0 +:2 2:0")) << f.what;
        EXPECT_EQ(flag(), QStringLiteral("1"));

        sql(QStringLiteral("delete from wrw where WuRanWuBianHao='P1'; delete from wrwgs where WuRanWuBianHao='P1'"));
        settings::save(QStringLiteral("ModifyDataGS"), QStringLiteral("0"));
    }
}

TEST_F(NewPollutant, CancelSavesNothing)
{
    auto w = open();
    press(*w, QStringLiteral("c:1 + c:2"));
    fill(*w, QStringLiteral("P1"), QStringLiteral("n"));
    w->Command10_Click();
    EXPECT_TRUE(closed());
    EXPECT_EQ(spy->at(0).at(0).toInt(), int(QDialog::Rejected));
    EXPECT_EQ(everything(), QStringLiteral(" // "));
    EXPECT_EQ(flag(), QStringLiteral("absent"));
}

TEST_F(NewPollutant, ClosingCompactsThePollutantFile)
{
    fixtures::makeFileWithFreePages(file());
    addPollutant(QStringLiteral("A0"), QStringLiteral("旧"), 2, QStringLiteral("废气"), QStringLiteral("5:0"));
    ASSERT_GT(fixtures::freePages(file()), 0);
    {
        auto w = open();
        w->Command10_Click();
    }
    EXPECT_TRUE(messages().isEmpty()) << messagesText();
    EXPECT_EQ(fixtures::freePages(file()), 0);
    EXPECT_EQ(tokensOf(QStringLiteral("A0")), QStringLiteral("5:0"));
    EXPECT_FALSE(QFile::exists(folder->data(QStringLiteral("qelvwrw1.mdb"))));
}

TEST_F(NewPollutant, ClosingLeavesTheFileAloneWhileAnotherConnectionHasItOpen)
{
    fixtures::makeFileWithFreePages(file());
    db::Connection other(db::DataFile{QStringLiteral("qelvwrw.mdb")});
    {
        auto w = open();
        fill(*w, QStringLiteral("P1"), QStringLiteral("n"));
        press(*w, QStringLiteral("c:1"));
        w->Command9_Click();
        EXPECT_TRUE(closed());
    }
    EXPECT_TRUE(messages().isEmpty()) << messagesText();
    EXPECT_GT(fixtures::freePages(file()), 0) << "not compacted under an open connection";
    // The other connection's writes still reach the file.
    other.execute(QStringLiteral("insert into wrw (WuRanWuBianHao,MingCheng,LeiXing,FenLei) values (?,?,?,?)"),
                  {QStringLiteral("P2"), QStringLiteral("m"), 1, QStringLiteral("废水")});
    other.close();
    EXPECT_EQ(count(QStringLiteral("select count(*) from wrw")), 2);

    auto last = open();
    last->Command10_Click();
    EXPECT_EQ(fixtures::freePages(file()), 0) << "the last window to close compacts";
    EXPECT_EQ(count(QStringLiteral("select count(*) from wrw")), 2);
}

TEST_F(NewPollutant, TransientFileLeftByAnInterruptedRunIsKept)
{
    fixtures::makeFileWithFreePages(file());
    QFile leftover(folder->data(QStringLiteral("qelvwrw1.mdb")));
    ASSERT_TRUE(leftover.open(QIODevice::WriteOnly));
    leftover.write("only copy");
    leftover.close();
    {
        auto w = open();
        w->Command10_Click();
    }
    ASSERT_EQ(messages().size(), 1);
    EXPECT_TRUE(messageBoxes()[0].text.contains(QStringLiteral("qelvwrw1.mdb")));
    EXPECT_EQ(fixtures::freePages(file()), 0);
    QDir data(folder->data());
    EXPECT_EQ(data.entryList({QStringLiteral("qelvwrw1.mdb*.kept")}).size(), 1);
}

TEST_F(NewPollutant, OpenedModallyFromTheRegistry)
{
    qelv::registerAllWindows();
    ASSERT_TRUE(windows::isRegistered(QStringLiteral("frmWRWGL")));
    ASSERT_TRUE(windows::isRegistered(QStringLiteral("frmWRWDYXG")));
    QDialog* dialog = windows::factory(QStringLiteral("frmWRWGL"))(nullptr);
    std::unique_ptr<QDialog> owned(dialog);
    fixtures::whenShown<frmWRWGL>(QStringLiteral("frmWRWGL"), [this](frmWRWGL* w) {
        press(*w, QStringLiteral("c:2 * v:排放量"));
        fill(*w, QStringLiteral("M1"), QStringLiteral("模态"));
        w->Command9->click();
    });
    EXPECT_EQ(dialog->exec(), int(QDialog::Accepted));
    EXPECT_EQ(tokensOf(QStringLiteral("M1")), QStringLiteral("2:0 *:4 排放量:1"));
}

} // namespace
