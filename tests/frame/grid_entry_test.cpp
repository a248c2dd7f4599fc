// The grid data-entry windows: the enterprise register with its drop-down lists, and the special
// equivalent values.
#include "platform/db/error.h"
#include "platform/ui/dialogs.h"
#include "platform/ui/twips.h"
#include "qelv/core/Module1.h"
#include "qelv/frame/frmDL.h"
#include "qelv/frame/frmDW.h"
#include "tests/fixtures/program_folder.h"
#include "tests/fixtures/sqlite_probe.h"

#include <QApplication>
#include <QFile>
#include <QHeaderView>
#include <QInputMethodEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

using namespace Module1;

// Texts in failure messages as text.
static void PrintTo(const QString& s, std::ostream* os)
{
    *os << '"' << s.toStdString() << '"';
}

namespace {

constexpr int industry = 6, squad = 7;

class GridEntryTest : public fixtures::ProgramFolderTest {
protected:
    void SetUp() override
    {
        ProgramFolderTest::SetUp();
        setStartupDefaults();
    }
    QString dw() const { return folder->data(QStringLiteral("qelvdw.mdb")); }
    void twoFirms() const
    {
        fixtures::exec(dw(),
                       QStringLiteral("INSERT INTO dw (DanWeiBianHao, DanWeiQuangCheng, LowLever, HangYeLeiXing) "
                                      "VALUES ('0012', '乙厂', 0, '造纸');"
                                      "INSERT INTO dw (DanWeiBianHao, DanWeiQuangCheng, LowLever, HangYeLeiXing) "
                                      "VALUES ('0003', '甲厂', 120.5, '化工');"));
    }
    void lists() const
    {
        fixtures::exec(dw(),
                       QStringLiteral("INSERT INTO HangYeLeiXing VALUES ('造纸'), ('化工'), ('电力');"
                                      "INSERT INTO DanWeiFenQu VALUES ('二中队'), ('一中队');"));
    }
    QString stored(const QString& sql) const { return fixtures::probe(dw(), sql).toString(); }

    // Types into a cell through the grid's own editor, which stays open.
    static void typeCell(GridEntryForm& w, int row, int column, const QString& text)
    {
        const QModelIndex cell = w.gridModel->index(row, column);
        w.grdDataGrid->setCurrentIndex(cell);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        w.grdDataGrid->edit(cell);
        auto* editor = w.grdDataGrid->viewport()->findChild<QLineEdit*>();
        ASSERT_NE(editor, nullptr);
        editor->selectAll();
        QInputMethodEvent commit;
        commit.setCommitString(text);
        QApplication::sendEvent(editor, &commit);
    }
    static QString cell(GridEntryForm& w, int row, int column)
    {
        return w.gridModel->index(row, column).data().toString();
    }
};

} // namespace

TEST_F(GridEntryTest, TheRegisterInNumberOrderWithItsColumns)
{
    twoFirms();
    frmDW w;
    w.show();
    EXPECT_EQ(w.windowTitle(), QStringLiteral("单位目录"));
    EXPECT_EQ(w.size(), QSize(ui::px(11625), ui::px(7170)));
    const QStringList captions = {"单位编号",     "单位全称", "开户银行", "账号", "委托协议号",
                                  "最低收费标准", "行业类型", "所属区域", "备注"};
    const int widths[] = {915, 2445, 990, 1935, 1095, 735, 1125, 1140, 495};
    ASSERT_EQ(w.gridModel->columnCount(), 9);
    for (int c = 0; c < 9; ++c) {
        EXPECT_EQ(w.gridModel->headerData(c, Qt::Horizontal).toString(), captions[c]);
        EXPECT_EQ(w.grdDataGrid->columnWidth(c), ui::px(widths[c])) << c;
    }
    EXPECT_EQ(cell(w, 0, 0), QStringLiteral("0003")) << "the number keeps its leading zeros";
    EXPECT_EQ(cell(w, 0, 5), QStringLiteral("120.5"));
    EXPECT_EQ(cell(w, 1, 1), QStringLiteral("乙厂"));
    // The register's status text is left alone, except by Edit.
    w.cmdNext->click();
    EXPECT_EQ(w.lblStatus->text(), QString());
    w.cmdEdit->click();
    w.cmdCancel->click();
    w.cmdNext->click();
    EXPECT_EQ(w.lblStatus->text(), QStringLiteral("编辑记录"));
    EXPECT_TRUE(ui::testing::shown().empty());
}

TEST_F(GridEntryTest, AddOnAnEmptyRegisterStaysBrowsingAndUpdateWritesTheRow)
{
    frmDW w; // the shipped register is empty
    w.show();
    w.cmdAdd->click();
    EXPECT_TRUE(ui::testing::shown().empty()) << ui::testing::shownTexts().join(QLatin1Char('|')).toStdString();
    EXPECT_EQ(w.gridModel->rowCount(), 1);
    EXPECT_EQ(w.grdDataGrid->currentIndex().row(), 0);
    EXPECT_FALSE(w.mbAddNewFlag);
    EXPECT_TRUE(w.cmdAdd->isVisibleTo(&w));
    EXPECT_FALSE(w.cmdUpdate->isVisibleTo(&w));
    EXPECT_EQ(w.lblStatus->text(), QString());
    typeCell(w, 0, 0, QStringLiteral("0001"));
    typeCell(w, 0, 1, QStringLiteral("城关水泥厂"));
    typeCell(w, 0, 5, QStringLiteral("50")); // still open: Update takes it
    w.cmdUpdate->click();
    EXPECT_TRUE(ui::testing::shown().empty()) << ui::testing::shownTexts().join(QLatin1Char('|')).toStdString();
    EXPECT_EQ(stored(QStringLiteral("select DanWeiBianHao || '/' || DanWeiQuangCheng || '/' || LowLever from dw")),
              QStringLiteral("0001/城关水泥厂/50"));
}

TEST_F(GridEntryTest, AnEditedRowIsWrittenWhenTheGridLeavesItOrAKeyMovesOn)
{
    twoFirms();
    frmDW w;
    w.show();
    typeCell(w, 0, 2, QStringLiteral("农行"));
    w.grdDataGrid->setCurrentIndex(w.gridModel->index(1, 2));
    EXPECT_EQ(stored(QStringLiteral("select KaiHuYingHang from dw where DanWeiBianHao='0003'")),
              QStringLiteral("农行"));
    typeCell(w, 1, 3, QStringLiteral("622848"));
    QTest::keyClick(w.grdDataGrid, Qt::Key_Home);
    EXPECT_EQ(w.recordset()->absolutePosition(), 1);
    EXPECT_EQ(stored(QStringLiteral("select ZhangHao from dw where DanWeiBianHao='0012'")), QStringLiteral("622848"));
}

TEST_F(GridEntryTest, AKeyOnTheGridMovesOneRow)
{
    twoFirms();
    fixtures::exec(dw(), QStringLiteral("INSERT INTO dw (DanWeiBianHao) VALUES ('0020');"));
    frmDW w;
    w.show();
    w.grdDataGrid->setFocus();
    QTest::keyClick(w.grdDataGrid, Qt::Key_Down);
    EXPECT_EQ(w.recordset()->absolutePosition(), 2);
    EXPECT_EQ(w.grdDataGrid->currentIndex().row(), 1);
    QTest::keyClick(w.grdDataGrid, Qt::Key_Down, Qt::ControlModifier);
    EXPECT_EQ(w.grdDataGrid->currentIndex().row(), 2);
    QTest::keyClick(w.grdDataGrid, Qt::Key_Up);
    EXPECT_EQ(w.grdDataGrid->currentIndex().row(), 1);
}

TEST_F(GridEntryTest, RefreshPutsANewRowInItsPlace)
{
    twoFirms();
    frmDW w;
    w.cmdAdd->click();
    typeCell(w, 2, 0, QStringLiteral("0005"));
    w.cmdUpdate->click();
    EXPECT_EQ(cell(w, 2, 0), QStringLiteral("0005")) << "after the last row until Refresh";
    w.cmdRefresh->click();
    EXPECT_EQ(cell(w, 1, 0), QStringLiteral("0005"));
    EXPECT_EQ(w.grdDataGrid->currentIndex().row(), 0);
    EXPECT_EQ(w.grdDataGrid->columnWidth(1), ui::px(2445));
    EXPECT_TRUE(ui::testing::shown().empty());
}

TEST_F(GridEntryTest, AnAddedRowLeftUntouchedIsDroppedWhenTheGridMovesOn)
{
    twoFirms();
    frmDW w;
    w.show();
    w.cmdAdd->click();
    ASSERT_EQ(w.gridModel->rowCount(), 3);
    w.grdDataGrid->setCurrentIndex(w.gridModel->index(0, 1));
    EXPECT_EQ(w.gridModel->rowCount(), 2);
    EXPECT_EQ(w.grdDataGrid->currentIndex().row(), 0);
    EXPECT_EQ(w.recordset()->absolutePosition(), 1);
    EXPECT_EQ(stored(QStringLiteral("select count(*) from dw")), QStringLiteral("2"));
    EXPECT_TRUE(ui::testing::shown().empty());
}

TEST_F(GridEntryTest, CancelAfterEditAlwaysGoesToTheFirstRow)
{
    twoFirms();
    frmDW w;
    w.cmdAdd->click(); // sets no bookmark here
    typeCell(w, 2, 0, QStringLiteral("0009"));
    w.cmdUpdate->click();
    w.cmdLast->click();
    w.cmdEdit->click();
    typeCell(w, 2, 1, QStringLiteral("不要"));
    w.cmdCancel->click();
    EXPECT_EQ(w.recordset()->absolutePosition(), 1);
    EXPECT_FALSE(w.grdDataGrid->isEditing());
    EXPECT_EQ(stored(QStringLiteral("select count(*) from dw where DanWeiQuangCheng='不要'")), QStringLiteral("0"));
}

TEST_F(GridEntryTest, ABadValueIsRefusedWithAMessage)
{
    twoFirms();
    frmDW w;
    w.show();
    typeCell(w, 0, 5, QStringLiteral("abc"));
    w.grdDataGrid->commitEdit();
    ASSERT_EQ(ui::testing::shown().size(), 1u);
    EXPECT_TRUE(ui::testing::shownTexts()[0].startsWith(QString::fromUtf8(db::messages::typeMismatch)))
        << ui::testing::shownTexts()[0].toStdString();
    EXPECT_EQ(cell(w, 0, 5), QStringLiteral("120.5"));
}

TEST_F(GridEntryTest, ADuplicateNumberIsRefusedAndTheRowKeptToCorrect)
{
    twoFirms();
    frmDW w;
    w.show();
    w.cmdAdd->click();
    typeCell(w, 2, 0, QStringLiteral("0003"));
    w.cmdUpdate->click();
    w.cmdFirst->click();
    ASSERT_EQ(ui::testing::shown().size(), 2u);
    for (const QString& text : ui::testing::shownTexts())
        EXPECT_TRUE(text.startsWith(QString::fromUtf8(db::messages::duplicateValue))) << text.toStdString();
    EXPECT_EQ(w.recordset()->absolutePosition(), 3) << "the refused row stays current";
    typeCell(w, 2, 0, QStringLiteral("0004"));
    w.cmdUpdate->click();
    EXPECT_EQ(ui::testing::shown().size(), 2u);
    EXPECT_EQ(stored(QStringLiteral("select count(*) from dw")), QStringLiteral("3"));
    // An empty number is refused as well: the number keys the enterprise's tables.
    w.cmdAdd->click();
    typeCell(w, 3, 1, QStringLiteral("无编号厂"));
    w.cmdUpdate->click();
    ASSERT_EQ(ui::testing::shown().size(), 3u);
    EXPECT_TRUE(ui::testing::shownTexts()[2].startsWith(QString::fromUtf8(db::messages::requiredField)));
}

// --- an enterprise's number and its pollutants -------------------------------------------------------

class RegisterNumberTest : public GridEntryTest {
protected:
    // 0003 has one pollutant, 0012 two; 0020 none.
    void SetUp() override
    {
        GridEntryTest::SetUp();
        twoFirms();
        fixtures::exec(dw(),
                       QStringLiteral("INSERT INTO dw (DanWeiBianHao, DanWeiQuangCheng) VALUES ('0020', '丙厂');"
                                      "INSERT INTO dwwrw (DanWeiBianHao, WuRanWuBianHao, PaiWuKou) VALUES ('0012', "
                                      "'W01', 1), ('0012', 'W02', 1), ('0003', 'W01', 2);"));
    }
    QString numbers() const
    {
        return stored(
            QStringLiteral("select group_concat(DanWeiBianHao, ',') from (select DanWeiBianHao from dw order by 1)"));
    }
    QString pollutants() const
    {
        return stored(QStringLiteral("select group_concat(DanWeiBianHao || ':' || n, ',') from "
                                     "(select DanWeiBianHao, count(*) n from dwwrw group by 1 order by 1)"));
    }
    static QLineEdit* editor(GridEntryForm& w) { return w.grdDataGrid->viewport()->findChild<QLineEdit*>(); }
    static bool pointsToRenumbering(const QString& text) { return text.contains(QStringLiteral("“修改单位编号”")); }
};

TEST_F(RegisterNumberTest, TheNumberOfAnEnterpriseWithPollutantsIsRefusedAndKept)
{
    frmDW w;
    w.show();
    typeCell(w, 1, 0, QStringLiteral("0013")); // 0012
    w.grdDataGrid->commitEdit();
    ASSERT_EQ(ui::testing::shown().size(), 1u);
    EXPECT_TRUE(pointsToRenumbering(ui::testing::shownTexts()[0])) << ui::testing::shownTexts()[0].toStdString();
    EXPECT_EQ(ui::testing::shown()[0].buttons, ui::Buttons::Ok);
    EXPECT_EQ(cell(w, 1, 0), QStringLiteral("0012"));
    // Update takes an open cell through the same check.
    typeCell(w, 0, 0, QStringLiteral("0004")); // 0003
    w.cmdUpdate->click();
    EXPECT_EQ(ui::testing::shown().size(), 2u);
    w.cmdLast->click();
    EXPECT_EQ(ui::testing::shown().size(), 2u) << "nothing pending is left to refuse";
    EXPECT_EQ(numbers(), QStringLiteral("0003,0012,0020"));
    EXPECT_EQ(pollutants(), QStringLiteral("0003:1,0012:2"));
    // The other cells of such a row stay editable.
    typeCell(w, 1, 1, QStringLiteral("乙厂新名"));
    w.cmdFirst->click();
    EXPECT_EQ(stored(QStringLiteral("select DanWeiQuangCheng from dw where DanWeiBianHao='0012'")),
              QStringLiteral("乙厂新名"));
    EXPECT_EQ(ui::testing::shown().size(), 2u);
}

TEST_F(RegisterNumberTest, AnEnterpriseWithoutPollutantsIsRenumberedAndATypingSlipCorrected)
{
    frmDW w;
    w.show();
    // 0020 typed first as the number of an enterprise that has pollutants, then corrected: the check
    // is of the number in the file, not of the one typed a moment ago.
    typeCell(w, 2, 0, QStringLiteral("0012"));
    w.grdDataGrid->commitEdit();
    typeCell(w, 2, 0, QStringLiteral("0021"));
    w.cmdFirst->click();
    EXPECT_TRUE(ui::testing::shown().empty()) << ui::testing::shownTexts().join(QLatin1Char('|')).toStdString();
    EXPECT_EQ(numbers(), QStringLiteral("0003,0012,0021"));
    // Written, 0021 is the file's number now, and still has no pollutants.
    typeCell(w, 2, 0, QStringLiteral("0022"));
    w.cmdUpdate->click();
    typeCell(w, 2, 0, QStringLiteral("0023"));
    w.cmdUpdate->click();
    EXPECT_TRUE(ui::testing::shown().empty()) << ui::testing::shownTexts().join(QLatin1Char('|')).toStdString();
    EXPECT_EQ(numbers(), QStringLiteral("0003,0012,0023"));
    // A new enterprise takes any free number.
    w.cmdAdd->click();
    typeCell(w, 3, 0, QStringLiteral("0030"));
    w.cmdUpdate->click();
    EXPECT_TRUE(ui::testing::shown().empty()) << ui::testing::shownTexts().join(QLatin1Char('|')).toStdString();
    EXPECT_EQ(numbers(), QStringLiteral("0003,0012,0023,0030"));
    EXPECT_EQ(pollutants(), QStringLiteral("0003:1,0012:2"));
}

TEST_F(RegisterNumberTest, AnEnterpriseWithPollutantsIsNotDeletedOneWithoutIs)
{
    frmDW w;
    w.show();
    w.cmdNext->click(); // 0012
    w.cmdDelete->click();
    ASSERT_EQ(ui::testing::shown().size(), 1u);
    EXPECT_TRUE(pointsToRenumbering(ui::testing::shownTexts()[0])) << ui::testing::shownTexts()[0].toStdString();
    EXPECT_TRUE(ui::testing::shownTexts()[0].contains(QStringLiteral("0012")));
    EXPECT_EQ(ui::testing::shown()[0].buttons, ui::Buttons::Ok);
    EXPECT_EQ(numbers(), QStringLiteral("0003,0012,0020"));
    EXPECT_EQ(pollutants(), QStringLiteral("0003:1,0012:2"));
    EXPECT_EQ(cell(w, 1, 0), QStringLiteral("0012")) << "the row stays in the grid";
    ui::testing::clearShown();

    w.cmdLast->click(); // 0020, without pollutants
    w.cmdDelete->click();
    EXPECT_TRUE(ui::testing::shown().empty()) << ui::testing::shownTexts().join(QLatin1Char('|')).toStdString();
    EXPECT_EQ(numbers(), QStringLiteral("0003,0012"));
    EXPECT_EQ(pollutants(), QStringLiteral("0003:1,0012:2"));
    // A row never written goes, whatever number was typed into it.
    w.cmdAdd->click();
    typeCell(w, 2, 0, QStringLiteral("0003"));
    w.grdDataGrid->commitEdit();
    w.cmdDelete->click();
    EXPECT_TRUE(ui::testing::shown().empty()) << ui::testing::shownTexts().join(QLatin1Char('|')).toStdString();
    EXPECT_EQ(numbers(), QStringLiteral("0003,0012"));
    EXPECT_EQ(pollutants(), QStringLiteral("0003:1,0012:2"));
}

TEST_F(RegisterNumberTest, ANumberNotYetWrittenDoesNotDecideTheDelete)
{
    frmDW w;
    w.show();
    // 0020 given the number of an enterprise with pollutants, not yet written: it has none in the file.
    typeCell(w, 2, 0, QStringLiteral("0003"));
    w.grdDataGrid->commitEdit();
    w.cmdDelete->click();
    EXPECT_TRUE(ui::testing::shown().empty()) << ui::testing::shownTexts().join(QLatin1Char('|')).toStdString();
    EXPECT_EQ(numbers(), QStringLiteral("0003,0012"));
    // A number typed into 0012's cell and left open goes with the delete, which 0012 refuses.
    typeCell(w, 1, 0, QStringLiteral("0099"));
    w.cmdDelete->click();
    ASSERT_EQ(ui::testing::shown().size(), 1u);
    EXPECT_TRUE(pointsToRenumbering(ui::testing::shownTexts()[0])) << ui::testing::shownTexts()[0].toStdString();
    EXPECT_EQ(numbers(), QStringLiteral("0003,0012"));
    EXPECT_EQ(pollutants(), QStringLiteral("0003:1,0012:2"));
}

TEST_F(RegisterNumberTest, ADeleteTheFileRefusesIsShownAndChangesNothing)
{
    fixtures::exec(dw(),
                   QStringLiteral("CREATE TRIGGER keep0020 BEFORE DELETE ON dw WHEN OLD.DanWeiBianHao = '0020' "
                                  "BEGIN SELECT RAISE(ABORT, 'kept'); END;"));
    frmDW w;
    w.show();
    w.cmdLast->click();
    w.cmdDelete->click();
    ASSERT_EQ(ui::testing::shown().size(), 1u);
    EXPECT_TRUE(ui::testing::shownTexts()[0].contains(QStringLiteral("kept")))
        << ui::testing::shownTexts()[0].toStdString();
    EXPECT_EQ(numbers(), QStringLiteral("0003,0012,0020"));
    EXPECT_EQ(pollutants(), QStringLiteral("0003:1,0012:2"));
}

TEST_F(RegisterNumberTest, WithoutThePollutantsTableNumbersChangeAndRowsDelete)
{
    fixtures::exec(dw(), QStringLiteral("DROP TABLE dwwrw;"));
    frmDW w;
    w.show();
    typeCell(w, 1, 0, QStringLiteral("0013"));
    w.cmdFirst->click();
    w.cmdDelete->click();
    EXPECT_TRUE(ui::testing::shown().empty()) << ui::testing::shownTexts().join(QLatin1Char('|')).toStdString();
    EXPECT_EQ(numbers(), QStringLiteral("0013,0020"));
}

TEST_F(RegisterNumberTest, ANumberWithBlanksAroundItIsRefusedAndNothingIsWritten)
{
    for (const QString& typed : {QStringLiteral("A001 "), QStringLiteral(" A001"), QStringLiteral("A001\u3000")}) {
        SCOPED_TRACE(typed.toStdString());
        ui::testing::clearShown();
        frmDW w;
        w.show();
        typeCell(w, 2, 0, typed); // 0020
        w.grdDataGrid->commitEdit();
        ASSERT_EQ(ui::testing::shown().size(), 1u);
        EXPECT_TRUE(ui::testing::shownTexts()[0].startsWith(QStringLiteral("单位编号“%1”的前后有空格").arg(typed)))
            << ui::testing::shownTexts()[0].toStdString();
        EXPECT_EQ(cell(w, 2, 0), QStringLiteral("0020"));
        w.cmdFirst->click();
        EXPECT_EQ(ui::testing::shown().size(), 1u) << "nothing pending";
        // Nor is it the number of a new enterprise.
        w.cmdAdd->click();
        typeCell(w, 3, 0, typed);
        w.grdDataGrid->commitEdit();
        ASSERT_EQ(ui::testing::shown().size(), 2u);
        EXPECT_TRUE(ui::testing::shownTexts()[1].startsWith(QStringLiteral("单位编号“%1”").arg(typed)));
        typeCell(w, 3, 1, QStringLiteral("新厂"));
        w.cmdUpdate->click();
        EXPECT_EQ(numbers(), QStringLiteral("0003,0012,0020"));
        EXPECT_EQ(stored(QStringLiteral("select count(*) from dw")), QStringLiteral("3"));
    }
}

TEST_F(RegisterNumberTest, ANumberOfBlanksIsRefusedLikeAnEmptyOne)
{
    for (const QString& blanks : {QString(), QStringLiteral("   "), QStringLiteral("\u3000")}) {
        SCOPED_TRACE(blanks.toStdString());
        ui::testing::clearShown();
        frmDW w;
        w.show();
        typeCell(w, 2, 0, blanks); // 0020
        editor(w)->setText(blanks); // an empty commit leaves the editor's text alone
        w.cmdFirst->click();
        ASSERT_EQ(ui::testing::shown().size(), 1u);
        EXPECT_TRUE(ui::testing::shownTexts()[0].startsWith(QString::fromUtf8(db::messages::requiredField)))
            << ui::testing::shownTexts()[0].toStdString();
        EXPECT_EQ(w.recordset()->absolutePosition(), 3) << "the refused row stays current to correct";
        w.cmdEdit->click();
        w.cmdCancel->click();
        EXPECT_EQ(numbers(), QStringLiteral("0003,0012,0020"));
        // A new row with such a number is refused the same way.
        w.cmdAdd->click();
        typeCell(w, 3, 0, blanks);
        editor(w)->setText(blanks);
        typeCell(w, 3, 1, QStringLiteral("无编号厂"));
        w.cmdUpdate->click();
        ASSERT_EQ(ui::testing::shown().size(), 2u);
        EXPECT_TRUE(ui::testing::shownTexts()[1].startsWith(QString::fromUtf8(db::messages::requiredField)));
        EXPECT_EQ(stored(QStringLiteral("select count(*) from dw")), QStringLiteral("3"));
    }
}

TEST_F(GridEntryTest, TheDropDownListsOfferTheTablesValuesInTheirOwnOrderAndWriteTheChoice)
{
    twoFirms();
    lists();
    frmDW w;
    w.show();
    auto items = [](QListWidget* l) {
        QStringList out;
        for (int i = 0; i < l->count(); ++i)
            out << l->item(i)->text();
        return out;
    };
    EXPECT_EQ(items(w.List1), QStringList({"造纸", "化工", "电力"}));
    EXPECT_EQ(items(w.List2), QStringList({"二中队", "一中队"}));
    EXPECT_FALSE(w.List1->isVisible());
    EXPECT_EQ(w.List1->palette().color(QPalette::Base), QColor(192, 192, 255));

    w.grdDataGrid_ButtonClick(5);
    EXPECT_FALSE(w.List1->isVisible());
    EXPECT_FALSE(w.List2->isVisible());

    w.grdDataGrid->setCurrentIndex(w.gridModel->index(0, industry));
    w.grdDataGrid_ButtonClick(industry);
    ASSERT_TRUE(w.List1->isVisible());
    const QRect row =
        w.grdDataGrid->visualRect(w.gridModel->index(0, industry)).translated(w.grdDataGrid->viewport()->pos());
    EXPECT_EQ(w.List1->x(), row.x());
    EXPECT_EQ(w.List1->width(), w.grdDataGrid->columnWidth(industry));
    EXPECT_EQ(w.List1->height(), ui::px(1470));
    EXPECT_NEAR(w.List1->y(), row.bottom() + 1, 2) << "just below the current row";
    QTest::mouseClick(w.List1->viewport(), Qt::LeftButton, {}, w.List1->visualItemRect(w.List1->item(2)).center());
    EXPECT_FALSE(w.List1->isVisible());
    EXPECT_EQ(cell(w, 0, industry), QStringLiteral("电力"));

    w.grdDataGrid_ButtonClick(squad);
    ASSERT_TRUE(w.List2->isVisible());
    w.List2->setCurrentRow(1);
    w.List2_Click();
    EXPECT_EQ(cell(w, 0, squad), QStringLiteral("一中队"));
    w.grdDataGrid_ButtonClick(squad);
    w.List2_LostFocus();
    EXPECT_FALSE(w.List2->isVisible());
    EXPECT_EQ(cell(w, 0, squad), QStringLiteral("一中队")) << "leaving the list changes nothing";

    w.cmdNext->click();
    EXPECT_EQ(stored(QStringLiteral("select HangYeLeiXing || '/' || DanWeiFenQu from dw where DanWeiBianHao='0003'")),
              QStringLiteral("电力/一中队"));
    EXPECT_TRUE(ui::testing::shown().empty());
}

TEST_F(GridEntryTest, NearTheBottomTheListOpensAboveTheRowAndAMoveClosesIt)
{
    lists();
    for (int i = 1; i <= 30; ++i)
        fixtures::exec(dw(),
                       QStringLiteral("INSERT INTO dw (DanWeiBianHao) VALUES ('%1');").arg(i, 4, 10, QLatin1Char('0')));
    frmDW w;
    w.show();
    const int bottomRow = w.grdDataGrid->rowAt(w.grdDataGrid->viewport()->height() - 2);
    ASSERT_GT(bottomRow, 3);
    w.grdDataGrid->setCurrentIndex(w.gridModel->index(bottomRow, industry));
    w.grdDataGrid_ButtonClick(industry);
    const QRect row =
        w.grdDataGrid->visualRect(w.gridModel->index(bottomRow, industry)).translated(w.grdDataGrid->viewport()->pos());
    EXPECT_NEAR(w.List1->geometry().bottom() + 1, row.top(), 2) << "ends at the top of the current row";
    // The list belongs to its row: moving on closes it without a choice.
    w.cmdNext->click();
    EXPECT_FALSE(w.List1->isVisible());
    EXPECT_EQ(cell(w, bottomRow, industry), QString());
}

TEST_F(GridEntryTest, ResizingKeepsTheGridAboveTheBars)
{
    frmDW w;
    w.show();
    w.resize(700, 500);
    const double expected = ui::twips(500) - 30 - ui::twips(w.picButtons->height()) - ui::twips(w.picStatBox->height());
    EXPECT_EQ(w.grdDataGrid->height(), ui::px(expected));
    EXPECT_EQ(w.grdDataGrid->width(), 700);
    EXPECT_EQ(w.picStatBox->geometry().bottom(), 499);
    EXPECT_EQ(w.lblStatus->width(), ui::px(ui::twips(w.frameGeometry().width()) - 1500));
    const int before = w.grdDataGrid->height();
    w.resize(700, 30);
    EXPECT_EQ(w.grdDataGrid->height(), before) << "too small: the grid keeps its height";
    EXPECT_EQ(w.picStatBox->geometry().bottom(), 29);
}

TEST_F(GridEntryTest, AMissingFileOrListTableIsShownAndTheWindowOpensWithWhatWasLoaded)
{
    twoFirms();
    fixtures::exec(dw(), QStringLiteral("INSERT INTO DanWeiFenQu VALUES ('一中队'); DROP TABLE HangYeLeiXing;"));
    {
        frmDW w;
        ASSERT_EQ(ui::testing::shown().size(), 1u);
        EXPECT_EQ(w.gridModel->rowCount(), 2) << "the register loaded before the failing list";
        EXPECT_EQ(w.List1->count(), 0);
        EXPECT_EQ(w.List2->count(), 0) << "the steps after the failing one are not done";
        w.cmdNext->click();
        EXPECT_EQ(ui::testing::shown().size(), 1u);
    }
    ui::testing::clearShown();
    QFile::remove(dw());
    frmDW w;
    w.show();
    ASSERT_EQ(ui::testing::shown().size(), 1u);
    EXPECT_EQ(w.gridModel->rowCount(), 0);
    EXPECT_EQ(w.gridModel->columnCount(), 9) << "an empty grid with its columns";
    w.cmdAdd->click();
    w.cmdRefresh->click();
    EXPECT_EQ(ui::testing::shownTexts().mid(1), QStringList(2, QString::fromUtf8(db::messages::closed)));
    w.close();
    EXPECT_FALSE(w.isVisible());
}

TEST_F(GridEntryTest, TheSpecialEquivalentValues)
{
    fixtures::exec(
        folder->data(QStringLiteral("qelvDL.mdb")),
        QStringLiteral("INSERT INTO dl VALUES ('02', '氨氮', '一级', 0.8, '水'), ('01', '汞', '', 0.0005, '水');"));
    frmDL w;
    w.show();
    EXPECT_EQ(w.windowTitle(), QStringLiteral("特殊当量值"));
    EXPECT_EQ(w.size(), QSize(ui::px(9525), ui::px(5685)));
    QStringList captions;
    for (int c = 0; c < w.gridModel->columnCount(); ++c)
        captions << w.gridModel->headerData(c, Qt::Horizontal).toString();
    EXPECT_EQ(captions, QStringList({"编号", "当量名称", "当量级别", "当量", "当量类型"}));
    EXPECT_EQ(w.grdDataGrid->columnWidth(1), ui::px(3105));
    EXPECT_EQ(cell(w, 0, 1), QStringLiteral("汞"));
    EXPECT_EQ(cell(w, 0, 3), QStringLiteral("0.0005"));
    EXPECT_EQ(w.lblStatus->text(), QStringLiteral("Record: 1"));
    w.cmdNext->click();
    EXPECT_EQ(w.lblStatus->text(), QStringLiteral("Record: 2"));
    w.cmdAdd->click();
    EXPECT_EQ(w.lblStatus->text(), QStringLiteral("Record: 3"));
    typeCell(w, 2, 0, QStringLiteral("03"));
    typeCell(w, 2, 3, QStringLiteral("1.5"));
    w.cmdFirst->click();
    EXPECT_EQ(fixtures::probe(folder->data(QStringLiteral("qelvDL.mdb")),
                              QStringLiteral("select DangLiang from dl where BainHao='03'"))
                  .toDouble(),
              1.5);
    EXPECT_TRUE(ui::testing::shown().empty());
}
