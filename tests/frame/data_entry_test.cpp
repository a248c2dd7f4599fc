// The single-record data-entry windows: the pattern's states, buttons, keys and errors, and what
// each of the five windows adds.
#include "platform/db/error.h"
#include "platform/ui/dialogs.h"
#include "platform/ui/twips.h"
#include "qelv/core/Module1.h"
#include "qelv/frame/frmDWFQ.h"
#include "qelv/frame/frmHBJ.h"
#include "qelv/frame/frmHangYeLeiXing.h"
#include "qelv/frame/frmTZJCNR.h"
#include "qelv/frame/frmUser.h"
#include "tests/fixtures/logged_warnings.h"
#include "tests/fixtures/program_folder.h"
#include "tests/fixtures/sqlite_probe.h"

#include <QApplication>
#include <QFile>
#include <QInputMethodEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <functional>
#include <gtest/gtest.h>

using namespace Module1;

// Texts in failure messages as text.
static void PrintTo(const QString& s, std::ostream* os)
{
    *os << '"' << s.toStdString() << '"';
}

namespace {

QString noCurrentRecord()
{
    return QString::fromUtf8(db::messages::noCurrentRecord);
}

// Types into a box as the operator does, replacing what a one-line box held; Chinese text comes
// as an input method's commit, as it does from a Chinese keyboard.
void type(QWidget* box, const QString& text)
{
    if (auto* line = qobject_cast<QLineEdit*>(box)) {
        line->selectAll();
        QTest::keyClick(line, Qt::Key_Delete);
    }
    bool ascii = true;
    for (QChar c : text)
        ascii = ascii && c.unicode() < 128;
    if (ascii) {
        QTest::keyClicks(box, text);
        return;
    }
    QInputMethodEvent commit;
    commit.setCommitString(text);
    QApplication::sendEvent(box, &commit);
}

class DataEntryTest : public fixtures::ProgramFolderTest {
protected:
    void SetUp() override
    {
        ProgramFolderTest::SetUp();
        setStartupDefaults();
    }
    QString dw() const { return folder->data(QStringLiteral("qelvdw.mdb")); }
    QString setUp() const { return folder->data(QStringLiteral("qelvSetUp.mdb")); }
    // Five industry types, stored out of order: the window shows them sorted.
    void fiveTypes() const
    {
        fixtures::exec(dw(), QStringLiteral("INSERT INTO HangYeLeiXing VALUES ('C'),('A'),('E'),('B'),('D');"));
    }
    static int position(DataEntryForm& w) { return w.recordset()->absolutePosition(); }
    static QString shown(DataEntryForm& w) { return qobject_cast<QLineEdit*>(w.txtFields[0])->text(); }
    static bool browsingButtons(DataEntryForm& w)
    {
        const bool shown = w.cmdAdd->isVisibleTo(&w) && w.cmdEdit->isVisibleTo(&w) && w.cmdDelete->isVisibleTo(&w) &&
            w.cmdRefresh->isVisibleTo(&w) && w.cmdClose->isVisibleTo(&w);
        const bool hidden = !w.cmdAdd->isVisibleTo(&w) && !w.cmdEdit->isVisibleTo(&w) &&
            !w.cmdDelete->isVisibleTo(&w) && !w.cmdRefresh->isVisibleTo(&w) && !w.cmdClose->isVisibleTo(&w);
        const bool navigation =
            w.cmdFirst->isEnabled() && w.cmdPrevious->isEnabled() && w.cmdNext->isEnabled() && w.cmdLast->isEnabled();
        const bool noNavigation = !w.cmdFirst->isEnabled() && !w.cmdPrevious->isEnabled() && !w.cmdNext->isEnabled() &&
            !w.cmdLast->isEnabled();
        const bool editButtons = w.cmdUpdate->isVisibleTo(&w) && w.cmdCancel->isVisibleTo(&w);
        const bool noEditButtons = !w.cmdUpdate->isVisibleTo(&w) && !w.cmdCancel->isVisibleTo(&w);
        if (shown && navigation && noEditButtons)
            return true;
        EXPECT_TRUE(hidden && noNavigation && editButtons) << "buttons are in neither state";
        return false;
    }
};

} // namespace

TEST_F(DataEntryTest, StatesButtonsAndStatusTextsThroughASession)
{
    fiveTypes();
    frmHangYeLeiXing w;
    w.show();
    struct Step {
        const char* action; // a button, or "type:<text>"
        bool adding, editing;
        int position;
        const char* status;
        const char* box;
    };
    const Step steps[] = {
        {"", false, false, 1, "Record: 1", "A"},
        {"cmdNext", false, false, 2, "Record: 2", "B"},
        {"cmdAdd", true, false, 6, "添加记录", ""},
        {"cmdCancel", false, false, 2, "Record: 2", "B"},
        {"cmdEdit", false, true, 2, "编辑记录", "B"},
        {"type:BB", false, true, 2, "编辑记录", "BB"},
        {"cmdUpdate", false, false, 2, "编辑记录", "BB"}, // Update shows no new text
        {"cmdNext", false, false, 3, "Record: 3", "C"},
        {"cmdAdd", true, false, 6, "添加记录", ""},
        {"type:AB", true, false, 6, "添加记录", "AB"},
        {"cmdUpdate", false, false, 6, "Record: 6", "AB"}, // the added row stands last until Refresh
        {"cmdRefresh", false, false, 1, "Record: 1", "A"},
        {"cmdLast", false, false, 6, "Record: 6", "E"},
        {"cmdFirst", false, false, 1, "Record: 1", "A"},
    };
    for (const Step& s : steps) {
        const QString action = QString::fromLatin1(s.action);
        SCOPED_TRACE(action.toStdString());
        if (action.startsWith(QLatin1String("type:"))) {
            type(w.txtFields[0], action.mid(5));
        } else if (!action.isEmpty()) {
            auto* b = w.findChild<QPushButton*>(action);
            ASSERT_TRUE(b && b->isVisibleTo(&w) && b->isEnabled());
            b->click();
        }
        EXPECT_EQ(w.mbAddNewFlag, s.adding);
        EXPECT_EQ(w.mbEditFlag, s.editing);
        EXPECT_EQ(browsingButtons(w), !s.adding && !s.editing);
        EXPECT_EQ(position(w), s.position);
        EXPECT_EQ(w.lblStatus->text(), QString::fromUtf8(s.status));
        EXPECT_EQ(shown(w), QString::fromUtf8(s.box));
    }
    EXPECT_TRUE(ui::testing::shown().empty()) << ui::testing::shownTexts().join(QLatin1Char('|')).toStdString();
    EXPECT_EQ(
        fixtures::probe(dw(), QStringLiteral("select count(*) from HangYeLeiXing where HangYeLeiXing in ('AB','BB')"))
            .toInt(),
        2);
}

TEST_F(DataEntryTest, NavigationKeysWhileBrowsing)
{
    fiveTypes();
    frmHangYeLeiXing w;
    w.show();
    struct Case {
        Qt::Key key;
        Qt::KeyboardModifiers shift;
        int expected; // from row 3 of 5
    };
    const Case cases[] = {
        {Qt::Key_Home, Qt::NoModifier, 1},
        {Qt::Key_End, Qt::NoModifier, 5},
        {Qt::Key_Up, Qt::NoModifier, 2},
        {Qt::Key_PageUp, Qt::NoModifier, 2},
        {Qt::Key_Up, Qt::ControlModifier, 1},
        {Qt::Key_PageUp, Qt::ControlModifier, 1},
        {Qt::Key_Up, Qt::ControlModifier | Qt::ShiftModifier, 2}, // not exactly Ctrl
        {Qt::Key_Up, Qt::ShiftModifier, 2},
        {Qt::Key_Down, Qt::NoModifier, 4},
        {Qt::Key_PageDown, Qt::NoModifier, 4},
        {Qt::Key_Down, Qt::ControlModifier, 5},
        {Qt::Key_PageDown, Qt::ControlModifier, 5},
        {Qt::Key_Down, Qt::ControlModifier | Qt::AltModifier, 4},
        {Qt::Key_Down, Qt::ControlModifier | Qt::KeypadModifier, 5}, // the keypad's arrows are the same keys
        {Qt::Key_A, Qt::ControlModifier, 3},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(QKeySequence(c.key | c.shift).toString().toStdString());
        w.recordset()->moveToIndex(2);
        QTest::keyClick(w.txtFields[0], c.key, c.shift);
        EXPECT_EQ(position(w), c.expected);
        EXPECT_EQ(w.lblStatus->text(), QStringLiteral("Record: %1").arg(c.expected));
    }
    EXPECT_EQ(ui::testing::beeps(), 0);
    // The key also reaches the box: Home after the move puts its cursor at the start.
    auto* box = qobject_cast<QLineEdit*>(w.txtFields[0]);
    w.recordset()->moveToIndex(2);
    QTest::keyClick(box, Qt::Key_Home);
    EXPECT_EQ(box->cursorPosition(), 0);
    // A key sent to the window itself acts once.
    w.recordset()->moveToIndex(2);
    QTest::keyClick(&w, Qt::Key_Down);
    EXPECT_EQ(position(w), 4);
}

TEST_F(DataEntryTest, KeysAreIgnoredWhileAddingOrEditingAndEscClosesWhileBrowsing)
{
    fiveTypes();
    for (const char* state : {"cmdEdit", "cmdAdd"}) {
        SCOPED_TRACE(state);
        frmHangYeLeiXing w;
        w.show();
        w.cmdNext->click();
        w.findChild<QPushButton*>(QString::fromLatin1(state))->click();
        const int before = position(w);
        for (Qt::Key k : {Qt::Key_Down, Qt::Key_Up, Qt::Key_Home, Qt::Key_End, Qt::Key_Escape})
            QTest::keyClick(w.txtFields[0], k);
        EXPECT_EQ(position(w), before);
        EXPECT_TRUE(w.isVisible()) << "Esc does not close while adding or editing";
        w.cmdCancel->click();
        QTest::keyClick(w.txtFields[0], Qt::Key_Escape);
        EXPECT_FALSE(w.isVisible());
    }
}

TEST_F(DataEntryTest, BeepsAndStaysAtEitherEnd)
{
    fiveTypes();
    frmHangYeLeiXing w;
    w.cmdPrevious->click();
    EXPECT_EQ(position(w), 1);
    EXPECT_EQ(ui::testing::beeps(), 1);
    w.cmdLast->click();
    w.cmdNext->click();
    EXPECT_EQ(position(w), 5);
    EXPECT_EQ(w.lblStatus->text(), QStringLiteral("Record: 5"));
    EXPECT_EQ(ui::testing::beeps(), 2);
    QTest::keyClick(w.txtFields[0], Qt::Key_PageDown);
    EXPECT_EQ(position(w), 5);
    EXPECT_EQ(ui::testing::beeps(), 3);
    EXPECT_TRUE(ui::testing::shown().empty());
}

TEST_F(DataEntryTest, AnEmptyTableOpensAndOnlyFirstAndLastReportThatThereIsNoRow)
{
    frmDWFQ w; // the shipped squad table is empty
    EXPECT_TRUE(ui::testing::shown().empty());
    EXPECT_EQ(w.lblStatus->text(), QStringLiteral("Record: "));
    w.cmdNext->click();
    w.cmdPrevious->click();
    EXPECT_EQ(ui::testing::beeps(), 0);
    EXPECT_TRUE(ui::testing::shown().empty());
    w.cmdFirst->click();
    w.cmdLast->click();
    EXPECT_EQ(ui::testing::shownTexts(), QStringList({noCurrentRecord(), noCurrentRecord()}));
    EXPECT_EQ(ui::testing::shown()[0].title, QStringLiteral("Tevrano"));
}

TEST_F(DataEntryTest, CancelReturnsToTheRowOfTheLastAddElseToTheFirstRow)
{
    fiveTypes();
    {
        frmHangYeLeiXing w;
        w.recordset()->moveToIndex(2);
        w.cmdEdit->click();
        type(w.txtFields[0], QStringLiteral("dropped"));
        w.cmdCancel->click();
        EXPECT_EQ(position(w), 1) << "no Add yet: the first row";
        EXPECT_EQ(shown(w), QStringLiteral("A"));
    }
    {
        frmHangYeLeiXing w;
        w.cmdNext->click();
        w.cmdAdd->click();
        w.cmdCancel->click();
        EXPECT_EQ(position(w), 2);
        EXPECT_EQ(w.recordset()->recordCount(), 5) << "the added row is gone";
        w.recordset()->moveToIndex(3);
        w.cmdEdit->click();
        w.cmdCancel->click();
        EXPECT_EQ(position(w), 2) << "the bookmark of the last Add, also after an Edit";
    }
    EXPECT_EQ(fixtures::probe(dw(), QStringLiteral("select count(*) from HangYeLeiXing")).toInt(), 5);
    EXPECT_TRUE(ui::testing::shown().empty());
}

TEST_F(DataEntryTest, AFailedUpdateLeavesTheWindowInItsStateToCorrectOrCancel)
{
    frmUser w; // UserName is required
    w.cmdAdd->click();
    w.cmdUpdate->click();
    ASSERT_EQ(ui::testing::shown().size(), 1u);
    EXPECT_TRUE(ui::testing::shownTexts()[0].startsWith(QString::fromUtf8(db::messages::requiredField)))
        << ui::testing::shownTexts()[0].toStdString();
    EXPECT_TRUE(w.mbAddNewFlag);
    EXPECT_TRUE(w.cmdUpdate->isVisibleTo(&w));
    EXPECT_FALSE(w.cmdNext->isEnabled());
    type(w.txtFields[0], QStringLiteral("zhang"));
    type(w.txtFields[1], QStringLiteral("pw"));
    w.cmdUpdate->click();
    EXPECT_EQ(ui::testing::shown().size(), 1u);
    EXPECT_FALSE(w.mbAddNewFlag);
    EXPECT_EQ(position(w), 2);
    EXPECT_EQ(fixtures::probe(setUp(), QStringLiteral("select PassWord from [User] where UserName='zhang'")).toString(),
              QStringLiteral("pw"));
}

TEST_F(DataEntryTest, TextTypedWhileBrowsingIsWrittenOnTheNextMove)
{
    fiveTypes();
    frmHangYeLeiXing w;
    w.show();
    const QString first = QStringLiteral("select HangYeLeiXing from HangYeLeiXing where rowid = 2"); // 'A'
    type(w.txtFields[0], QStringLiteral("AA"));
    EXPECT_EQ(fixtures::probe(dw(), first).toString(), QStringLiteral("A"));
    QTest::keyClick(w.txtFields[0], Qt::Key_Down);
    EXPECT_EQ(fixtures::probe(dw(), first).toString(), QStringLiteral("AA"));
    EXPECT_EQ(shown(w), QStringLiteral("B"));
    // Closing without a move writes nothing.
    type(w.txtFields[0], QStringLiteral("BB"));
    w.close();
    EXPECT_EQ(
        fixtures::probe(dw(), QStringLiteral("select count(*) from HangYeLeiXing where HangYeLeiXing='BB'")).toInt(),
        0);
}

TEST_F(DataEntryTest, DeleteGoesToTheNextRowAndDeletingTheOnlyRowReportsTheMoveAfterIt)
{
    fiveTypes();
    {
        frmHangYeLeiXing w;
        w.cmdNext->click();
        w.cmdDelete->click();
        EXPECT_EQ(shown(w), QStringLiteral("C"));
        w.cmdLast->click();
        w.cmdDelete->click();
        EXPECT_EQ(shown(w), QStringLiteral("D")) << "past the end: the last row";
        EXPECT_TRUE(ui::testing::shown().empty());
    }
    EXPECT_EQ(
        fixtures::probe(
            dw(),
            QStringLiteral("select group_concat(HangYeLeiXing, '') from (select * from HangYeLeiXing order by 1)"))
            .toString(),
        QStringLiteral("ACD"));

    fixtures::exec(dw(), QStringLiteral("DELETE FROM DanWeiFenQu; INSERT INTO DanWeiFenQu VALUES ('一中队');"));
    frmDWFQ only;
    only.cmdDelete->click();
    EXPECT_EQ(ui::testing::shownTexts(), QStringList({noCurrentRecord()}));
    EXPECT_EQ(fixtures::probe(dw(), QStringLiteral("select count(*) from DanWeiFenQu")).toInt(), 0);
}

TEST_F(DataEntryTest, TheLastOperatorIsNeverDeleted)
{
    const QString refusal = QStringLiteral("不能删除最后一个用户，否则将无人能够登录。");
    auto operators = [this] {
        return fixtures::probe(
                   setUp(),
                   QStringLiteral("select group_concat(UserName, ',') from (select UserName from [User] order by 1)"))
            .toString();
    };
    frmUser w; // the shipped admin only
    w.cmdDelete->click();
    EXPECT_EQ(ui::testing::shownTexts(), QStringList({refusal}));
    EXPECT_EQ(ui::testing::shown()[0].buttons, ui::Buttons::Ok);
    EXPECT_EQ(operators(), QStringLiteral("admin"));
    EXPECT_EQ(shown(w), QStringLiteral("admin")) << "and stays current";
    // With a second operator either one may go, but not both.
    w.cmdAdd->click();
    type(w.txtFields[0], QStringLiteral("zhang"));
    type(w.txtFields[1], QStringLiteral("pw"));
    w.cmdUpdate->click();
    w.cmdFirst->click();
    w.cmdDelete->click();
    EXPECT_EQ(ui::testing::shown().size(), 1u);
    EXPECT_EQ(operators(), QStringLiteral("zhang"));
    EXPECT_EQ(shown(w), QStringLiteral("zhang"));
    w.cmdDelete->click();
    EXPECT_EQ(ui::testing::shownTexts(), QStringList({refusal, refusal}));
    EXPECT_EQ(operators(), QStringLiteral("zhang"));
}

struct Breakage {
    const char* name;
    std::function<void(const fixtures::ProgramFolder&)> arrange;
};

class MissingPartTest : public DataEntryTest, public ::testing::WithParamInterface<Breakage> { };

TEST_P(MissingPartTest, TheWindowShowsTheErrorAndStaysUsable)
{
    GetParam().arrange(*folder);
    frmHangYeLeiXing w;
    ASSERT_EQ(ui::testing::shown().size(), 1u) << "the loading error";
    EXPECT_EQ(w.recordset(), nullptr);
    ui::testing::clearShown();
    w.show();
    w.cmdNext->click();
    w.cmdAdd->click();
    QTest::keyClick(w.txtFields[0], Qt::Key_End);
    EXPECT_EQ(ui::testing::shownTexts(), QStringList(3, QString::fromUtf8(db::messages::closed)));
    {
        // Cancelling passes over the steps it cannot do, silently for the operator but not in the log.
        fixtures::LoggedWarnings log;
        w.cmdCancel->click();
        EXPECT_EQ(ui::testing::shown().size(), 3u);
        const QString closed = QString::fromUtf8(db::messages::closed);
        EXPECT_EQ(log.list(),
                  (QStringList{
                      QStringLiteral("dropped: cancel: cancelling the recordset's update: ") + closed,
                      QStringLiteral("dropped: cancel: returning to the row before the edit: ") + closed,
                  }));
    }
    w.cmdClose->click();
    EXPECT_FALSE(w.isVisible());
}

INSTANTIATE_TEST_SUITE_P(
    Breakages, MissingPartTest,
    ::testing::Values(
        Breakage{"file", [](const fixtures::ProgramFolder& f) { QFile::remove(f.data(QStringLiteral("qelvdw.mdb"))); }},
        Breakage{"table",
                 [](const fixtures::ProgramFolder& f) {
                     fixtures::exec(f.data(QStringLiteral("qelvdw.mdb")), QStringLiteral("DROP TABLE HangYeLeiXing;"));
                 }},
        Breakage{"field",
                 [](const fixtures::ProgramFolder& f) {
                     fixtures::exec(
                         f.data(QStringLiteral("qelvdw.mdb")),
                         QStringLiteral("ALTER TABLE HangYeLeiXing RENAME COLUMN HangYeLeiXing TO LeiXing;"));
                 }}),
    [](const ::testing::TestParamInfo<Breakage>& info) { return std::string(info.param.name); });

// --- the payee window ----------------------------------------------------------------------------------

class PayeeTest : public DataEntryTest {
protected:
    void SetUp() override
    {
        DataEntryTest::SetUp();
        gPayeeName = QStringLiteral("旧名");
        gPayeeAccount = QStringLiteral("旧账号");
        gPayeeBank = QStringLiteral("旧银行");
        gCollectionId = QStringLiteral("旧ID");
    }
    QStringList payee() const { return {gPayeeName, gPayeeAccount, gPayeeBank, gCollectionId}; }
};

TEST_F(PayeeTest, ClosingCopiesTheFirstRowInNameOrderIntoThePayeeVariables)
{
    fixtures::exec(
        setUp(),
        QStringLiteral("INSERT INTO hbj VALUES ('B局', '工行', '222', 'IDB'), ('A局', '农行城关', '111', 'IDA');"));
    frmHBJ w;
    w.cmdLast->click();
    w.close();
    EXPECT_EQ(payee(), QStringList({"A局", "111", "农行城关", "IDA"}));
    EXPECT_TRUE(ui::testing::shown().empty());
}

TEST_F(PayeeTest, AChangedFirstRowIsInTheVariablesAtOnce)
{
    fixtures::exec(setUp(), QStringLiteral("INSERT INTO hbj VALUES ('A局', '农行', '111', 'IDA');"));
    frmHBJ w;
    w.cmdEdit->click();
    type(w.txtFields[2], QStringLiteral("999"));
    w.cmdUpdate->click();
    w.close();
    EXPECT_EQ(gPayeeAccount, QStringLiteral("999"));
    EXPECT_EQ(fixtures::probe(setUp(), QStringLiteral("select ZhangHao from hbj")).toString(), QStringLiteral("999"));
}

TEST_F(PayeeTest, NoRowOrAnEmptyFieldLeavesTheVariablesAsTheyWere)
{
    {
        frmHBJ w; // the shipped table has no row
        w.close();
        EXPECT_EQ(payee(), QStringList({"旧名", "旧账号", "旧银行", "旧ID"}));
    }
    fixtures::exec(setUp(), QStringLiteral("INSERT INTO hbj VALUES ('A局', NULL, '', 'IDA');"));
    {
        frmHBJ w;
        w.close();
        EXPECT_EQ(payee(), QStringList({"A局", "旧账号", "旧银行", "IDA"}));
    }
    fixtures::exec(setUp(), QStringLiteral("DROP TABLE hbj;"));
    {
        frmHBJ w;
        w.close();
        EXPECT_EQ(payee(), QStringList({"A局", "旧账号", "旧银行", "IDA"}));
    }
    EXPECT_EQ(ui::testing::shown().size(), 1u) << "only the loading error of the missing table";
}

// --- the other windows -----------------------------------------------------------------------------------

TEST_F(DataEntryTest, TheFiveWindowsTitlesSizesAndLabels)
{
    struct Case {
        std::function<DataEntryForm*()> make;
        const char* title;
        int width, height;
        QStringList labels;
    };
    const Case cases[] = {
        {[] { return new frmUser; }, "用户", 5775, 1545, {"用户名:", "密码:"}},
        {[] { return new frmHBJ; },
         "收款单位情况",
         5775,
         2055,
         {"委托收款单位名称:", "开户银行:", "账号:", "加密卡单位身份ID:"}},
        {[] { return new frmHangYeLeiXing; }, "行业管理", 5775, 1080, {"行业类型："}},
        {[] { return new frmDWFQ; }, "中队或大队", 5775, 1080, {"中队或大队:"}},
        {[] { return new frmTZJCNR; },
         "通知的基本内容",
         7350,
         4980,
         {"法律法规:", "交款期限:", "开户银行:", "账号:", "异议:", "电话:", "收款单位:", "校对人:"}},
    };
    for (const Case& c : cases) {
        std::unique_ptr<DataEntryForm> w(c.make());
        SCOPED_TRACE(w->objectName().toStdString());
        w->show();
        EXPECT_EQ(w->windowTitle(), QString::fromUtf8(c.title));
        EXPECT_EQ(w->size(), QSize(ui::px(c.width), ui::px(c.height)));
        QStringList labels;
        for (QLabel* l : w->lblLabels)
            labels << l->text();
        EXPECT_EQ(labels, c.labels);
        EXPECT_EQ(w->findChild<QWidget*>(QStringLiteral("txtFields0")), w->txtFields[0]);
        // The status bar stretches with the window: label 1500 twips short of its outer width.
        const double outer = ui::twips(w->frameGeometry().width());
        EXPECT_EQ(w->lblStatus->width(), ui::px(outer - 1500));
        EXPECT_EQ(w->cmdNext->x(), ui::px(outer - 1500 + 700));
        EXPECT_EQ(w->cmdLast->x(), ui::px(outer - 1500 + 700 + 340));
        EXPECT_EQ(w->picStatBox->geometry().bottom(), w->height() - 1);
        EXPECT_EQ(w->picButtons->geometry().bottom(), w->picStatBox->y() - 1);
    }
    EXPECT_TRUE(ui::testing::shown().empty()) << ui::testing::shownTexts().join(QLatin1Char('|')).toStdString();
}

TEST_F(DataEntryTest, ThePasswordShowsStarsAndTheNoticeTextsHaveTallBoxes)
{
    frmUser user;
    EXPECT_EQ(qobject_cast<QLineEdit*>(user.txtFields[1])->echoMode(), QLineEdit::Password);
    EXPECT_EQ(qobject_cast<QLineEdit*>(user.txtFields[0])->text(), QStringLiteral("admin"));

    frmTZJCNR notice;
    for (int i : {0, 1, 4})
        EXPECT_NE(qobject_cast<QPlainTextEdit*>(notice.txtFields[i]), nullptr) << i;
    EXPECT_EQ(notice.txtFields[0]->height(), ui::px(885));
    notice.cmdEdit->click();
    type(notice.txtFields[0], QStringLiteral("《排污费征收使用管理条例》"));
    type(notice.txtFields[5], QStringLiteral("1234567"));
    notice.cmdUpdate->click();
    EXPECT_EQ(fixtures::probe(setUp(), QStringLiteral("select FaLvFaGui || '/' || DianHua from tz")).toString(),
              QStringLiteral("《排污费征收使用管理条例》/1234567"));
    EXPECT_TRUE(ui::testing::shown().empty());
}
