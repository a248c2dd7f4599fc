// Renumbering and deleting an enterprise: every file that changes, every one that does not, the
// flag, the questions and the refusals.
#include "platform/db/recordset.h"
#include "platform/settings/settings.h"
#include "platform/ui/dialogs.h"
#include "qelv/core/Module1.h"
#include "qelv/frame/frmXGDWWBH.h"
#include "tests/fixtures/program_folder.h"
#include "tests/fixtures/sqlite_probe.h"

#include <QFile>
#include <QLabel>

namespace {

class RenumberingTest : public fixtures::ProgramFolderTest {
protected:
    void SetUp() override
    {
        ProgramFolderTest::SetUp();
        Module1::setStartupDefaults();
        Module1::gWorkMonth = QDate(2026, 3, 1);
        fixtures::exec(
            dw(),
            QStringLiteral(
                "insert into dw (DanWeiBianHao, DanWeiQuangCheng) values ('001', '甲'), ('002', '乙'), ('0a1', '丙');"
                "insert into dwwrw (DanWeiBianHao, WuRanWuBianHao, PaiWuKou) values ('001', 'W3', 1), "
                "('002', 'W3', 1), ('001', 'N1', 2), ('0a1', 'W3', 1);"));
        for (int year : {2025, 2026}) {
            folder->copyShipped(QStringLiteral("QELVKZTMP.MDB"), QStringLiteral("qelvkz%1.mdb").arg(year));
            fixtures::exec(billing(year),
                           QStringLiteral("insert into KPKZK (DanWeiBianHao, M3) values ('001', 1), ('002', 0), "
                                          "('0a1', 1)"));
        }
        fixtures::exec(ledgers(),
                       ledgerSql(QStringLiteral("ZNJ001")) + ledgerSql(QStringLiteral("ZNJ0a1")) +
                           QStringLiteral("insert into ZNJ001 (FaPiaoBianHao, FaPiaoJinE) values ('17', 120.5);"
                                          "insert into ZNJ0a1 (FaPiaoBianHao) values ('9');"));
        folder->copyShipped(QStringLiteral("qelvdwwrwtemp.mdb"), QStringLiteral("qelvdata2026_3.mdb"));
        fixtures::exec(folder->data(QStringLiteral("qelvdata2026_3.mdb")),
                       QStringLiteral("create table WRW001W31 (x CURRENCY)"));
        settings::save(QStringLiteral("ModifyDataDWWRW"), QStringLiteral("0"));
    }

    static QString ledgerSql(const QString& name)
    {
        return QStringLiteral(
                   "CREATE TABLE \"%1\" (KaiPiaoRiQi DATETIME, FaPiaoBianHao TEXT(50) COLLATE NOCASE, "
                   "FaPiaoJinE CURRENCY, ShouFeiJinE CURRENCY, DaoZhangQingKuang BYTE, DaoZhangRiQi DATETIME, "
                   "PiaoJuLeiXing BYTE, ZNJYiShou BYTE);")
            .arg(name);
    }
    QString dw() const { return folder->data(QStringLiteral("qelvdw.mdb")); }
    QString billing(int year) const { return folder->data(QStringLiteral("qelvkz%1.mdb").arg(year)); }
    QString ledgers() const { return folder->data(QStringLiteral("qelvdwznj.mdb")); }

    static QString rows(const QString& file, const QString& query)
    {
        return fixtures::probe(file, QStringLiteral("select coalesce(group_concat(r, ';'), '') from (%1)").arg(query))
            .toString();
    }
    QString register_() const { return rows(dw(), QStringLiteral("select DanWeiBianHao as r from dw order by rowid")); }
    QString assignments() const
    {
        return rows(dw(), QStringLiteral("select DanWeiBianHao || '/' || WuRanWuBianHao as r from dwwrw order by ID"));
    }
    QString billingRows(int year) const
    {
        return rows(billing(year), QStringLiteral("select DanWeiBianHao || '/' || M3 as r from KPKZK order by rowid"));
    }
    QString ledgerTables() const
    {
        return rows(ledgers(),
                    QStringLiteral("select name as r from sqlite_master where type = 'table' order by name"));
    }
    QString ledgerRows(const QString& table) const
    {
        return rows(
            ledgers(),
            QStringLiteral("select FaPiaoBianHao || '/' || coalesce(FaPiaoJinE, '') as r from \"%1\"").arg(table));
    }
    // Everything the files hold that a renumbering or deletion could touch.
    QString everything() const
    {
        return QStringList({register_(), assignments(), billingRows(2025), billingRows(2026), ledgerTables(),
                            ledgerRows(QStringLiteral("ZNJ001")),
                            rows(folder->data(QStringLiteral("qelvdata2026_3.mdb")),
                                 QStringLiteral("select name as r from sqlite_master where type = 'table'"))})
            .join(QStringLiteral(" # "));
    }
    static QString flag() { return settings::get(QStringLiteral("ModifyDataDWWRW"), QStringLiteral("absent")); }

    static void select(frmXGDWWBH& w, const QString& number)
    {
        w.recordset()->moveFirst();
        ASSERT_TRUE(w.recordset()->find(QStringLiteral("DanWeiBianHao"), number));
    }
    void renumber(frmXGDWWBH& w, const QString& from, const QString& to) const
    {
        select(w, from);
        ui::testing::answerInput(to);
        w.Command1_Click();
    }
    static QStringList messages()
    {
        QStringList out;
        for (const auto& s : ui::testing::shown())
            if (s.kind == ui::testing::Shown::Message)
                out << s.text;
        return out;
    }
};

} // namespace

TEST_F(RenumberingTest, RenumberingChangesTheYearsFilesOnlyAndMovesTheLedger)
{
    frmXGDWWBH w;
    renumber(w, QStringLiteral("001"), QStringLiteral("101"));
    EXPECT_TRUE(messages().isEmpty()) << messages().join('/').toStdString();
    ASSERT_EQ(ui::testing::shown().size(), 1u);
    EXPECT_EQ(ui::testing::shown()[0].text, QStringLiteral("输入单位编号"));
    EXPECT_EQ(ui::testing::shown()[0].title, QStringLiteral("单位编号"));
    EXPECT_EQ(register_(), QStringLiteral("101;002;0a1"));
    EXPECT_EQ(assignments(), QStringLiteral("101/W3;002/W3;101/N1;0a1/W3"));
    EXPECT_EQ(billingRows(2026), QStringLiteral("101/1;002/0;0a1/1"));
    EXPECT_EQ(billingRows(2025), QStringLiteral("001/1;002/0;0a1/1")) << "another year's file keeps the old number";
    EXPECT_EQ(ledgerTables(), QStringLiteral("ZNJ0a1;ZNJ101"));
    EXPECT_EQ(ledgerRows(QStringLiteral("ZNJ101")), QStringLiteral("17/120.5"));
    EXPECT_EQ(rows(folder->data(QStringLiteral("qelvdata2026_3.mdb")),
                   QStringLiteral("select name as r from sqlite_master where type = 'table'")),
              QStringLiteral("WRW001W31"))
        << "the month files keep the old number";
    EXPECT_EQ(flag(), QStringLiteral("1"));
    EXPECT_EQ(w.recordset()->value(QStringLiteral("DanWeiBianHao")).toString(), QStringLiteral("101"));
}

TEST_F(RenumberingTest, TheSameNumberChangesNothingButSetsTheFlagAndCancelChangesNothing)
{
    frmXGDWWBH w;
    const QString before = everything();
    renumber(w, QStringLiteral("001"), QString());
    EXPECT_EQ(everything(), before);
    EXPECT_EQ(flag(), QStringLiteral("0"));
    renumber(w, QStringLiteral("001"), QStringLiteral("001"));
    EXPECT_EQ(everything(), before);
    EXPECT_EQ(flag(), QStringLiteral("1"));
    EXPECT_TRUE(messages().isEmpty());
}

TEST_F(RenumberingTest, TheYearFileIsMadeBeforeTheQuestionEvenWhenItIsCancelled)
{
    Module1::gWorkMonth = QDate(2027, 1, 1);
    frmXGDWWBH w;
    ASSERT_FALSE(QFile::exists(billing(2027)));
    renumber(w, QStringLiteral("001"), QString());
    EXPECT_TRUE(QFile::exists(billing(2027)));
    QFile::remove(billing(2027));
    select(w, QStringLiteral("001"));
    ui::testing::answer(ui::Answer::No);
    w.Command3_Click();
    EXPECT_TRUE(QFile::exists(billing(2027)));
    EXPECT_EQ(register_(), QStringLiteral("001;002;0a1"));
}

TEST_F(RenumberingTest, ANumberThatIsTakenOrEmptyOrRefusedChangesNothing)
{
    fixtures::exec(billing(2026), QStringLiteral("insert into KPKZK (DanWeiBianHao) values ('777')"));
    fixtures::exec(ledgers(), ledgerSql(QStringLiteral("ZNJ888")));
    const struct {
        const char* number;
        const char* says;
    } cases[] = {
        {"002", "已被其他单位使用"},
        {"0A1", "已被其他单位使用"}, // another enterprise's number in other letters
        {"777", "收费记录"},
        {"888", "滞纳金表"},
        {"   ", "不能为空"},
        {"123456789012345678901", "没有修改任何文件"}, // longer than the register takes
        {"101 ", "单位编号“101 ”的前后有空格"},
        {" 101", "单位编号“ 101”的前后有空格"},
    };
    frmXGDWWBH w;
    const QString before = everything();
    for (const auto& c : cases) {
        ui::testing::clearShown();
        renumber(w, QStringLiteral("001"), QString::fromUtf8(c.number));
        ASSERT_EQ(messages().size(), 1) << c.number;
        EXPECT_TRUE(messages()[0].contains(QString::fromUtf8(c.says)))
            << c.number << ": " << messages()[0].toStdString();
        EXPECT_EQ(everything(), before) << c.number;
        EXPECT_EQ(flag(), QStringLiteral("0")) << c.number;
    }
}

TEST_F(RenumberingTest, AChangeOfLetterCaseKeepsTheRowsAndTheLedger)
{
    frmXGDWWBH w;
    renumber(w, QStringLiteral("0a1"), QStringLiteral("0A1"));
    EXPECT_TRUE(messages().isEmpty()) << messages().join('/').toStdString();
    EXPECT_EQ(register_(), QStringLiteral("001;002;0A1"));
    EXPECT_EQ(billingRows(2026), QStringLiteral("001/1;002/0;0A1/1"));
    EXPECT_EQ(assignments(), QStringLiteral("001/W3;002/W3;001/N1;0A1/W3"));
    EXPECT_EQ(ledgerTables(), QStringLiteral("ZNJ001;ZNJ0a1"));
    EXPECT_EQ(ledgerRows(QStringLiteral("ZNJ0a1")), QStringLiteral("9/"));
    EXPECT_EQ(flag(), QStringLiteral("1"));
}

TEST_F(RenumberingTest, AnEnterpriseWithoutALedgerIsRenumberedAndDeletedWithoutOne)
{
    frmXGDWWBH w;
    renumber(w, QStringLiteral("002"), QStringLiteral("202"));
    EXPECT_TRUE(messages().isEmpty()) << messages().join('/').toStdString();
    EXPECT_EQ(billingRows(2026), QStringLiteral("001/1;202/0;0a1/1"));
    EXPECT_EQ(ledgerTables(), QStringLiteral("ZNJ001;ZNJ0a1"));
    select(w, QStringLiteral("202"));
    ui::testing::answer(ui::Answer::Yes);
    w.Command3_Click();
    EXPECT_EQ(messages(), QStringList({"删除单位编号为 202 记录"}));
    EXPECT_EQ(billingRows(2026), QStringLiteral("001/1;0a1/1"));
    EXPECT_EQ(assignments(), QStringLiteral("001/W3;001/N1;0a1/W3"));
}

TEST_F(RenumberingTest, DeletingAsksWithTheNumberAndRemovesTheYearsDataButNotTheRegisterRow)
{
    settings::save(QStringLiteral("ModifyDataDWWRW"), QStringLiteral("0"));
    frmXGDWWBH w;
    const QString before = everything();
    select(w, QStringLiteral("001"));
    ui::testing::answer(ui::Answer::No);
    w.Command3_Click();
    ASSERT_EQ(ui::testing::shown().size(), 1u);
    EXPECT_EQ(ui::testing::shown()[0].text, QStringLiteral("删除单位编号为 001 记录"));
    EXPECT_EQ(ui::testing::shown()[0].title, QStringLiteral("删除记录"));
    EXPECT_EQ(ui::testing::shown()[0].buttons, ui::Buttons::YesNo);
    EXPECT_EQ(everything(), before);

    ui::testing::answer(ui::Answer::Yes);
    w.Command3_Click();
    EXPECT_EQ(messages().size(), 2);
    EXPECT_EQ(register_(), QStringLiteral("001;002;0a1"));
    EXPECT_EQ(assignments(), QStringLiteral("002/W3;0a1/W3"));
    EXPECT_EQ(billingRows(2026), QStringLiteral("002/0;0a1/1"));
    EXPECT_EQ(billingRows(2025), QStringLiteral("001/1;002/0;0a1/1"));
    EXPECT_EQ(ledgerTables(), QStringLiteral("ZNJ0a1"));
    EXPECT_EQ(flag(), QStringLiteral("0"));
}

TEST_F(RenumberingTest, ClosingAlwaysAsksAndYesAddsTheReminder)
{
    {
        frmXGDWWBH w;
        ui::testing::answer(ui::Answer::No);
        w.Command2_Click();
        EXPECT_EQ(messages(), QStringList({"是否已经修改了单位编号？"}));
    }
    ui::testing::clearShown();
    frmXGDWWBH w;
    ui::testing::answer(ui::Answer::Yes);
    w.Command2_Click();
    EXPECT_EQ(messages(),
              QStringList({"是否已经修改了单位编号？", "请调用系统管理中的单位污染物管理菜单，重新创建数据库！"}));
}

TEST_F(RenumberingTest, KeysMoveThroughTheRegisterAndBeepAtItsEnds)
{
    frmXGDWWBH w;
    EXPECT_EQ(w.lblStatus->text(), QStringLiteral("Record: 1"));
    w.Form_KeyDown(Qt::Key_End, Qt::NoModifier);
    w.Form_KeyDown(Qt::Key_Down, Qt::NoModifier);
    EXPECT_EQ(ui::testing::beeps(), 1);
    EXPECT_EQ(w.lblStatus->text(), QStringLiteral("Record: 3"));
    w.Form_KeyDown(Qt::Key_Up, Qt::ControlModifier);
    EXPECT_EQ(w.lblStatus->text(), QStringLiteral("Record: 1"));
    EXPECT_FALSE(w.Form_KeyDown(Qt::Key_Escape, Qt::NoModifier)) << "Esc does nothing here";
}

TEST_F(RenumberingTest, AnEmptyRegisterFailsAtReadingTheNumberAfterTheYearFile)
{
    fixtures::exec(dw(), QStringLiteral("delete from dw"));
    QFile::remove(billing(2026));
    frmXGDWWBH w;
    w.Command3_Click();
    EXPECT_EQ(messages().size(), 1);
    EXPECT_TRUE(QFile::exists(billing(2026)));
}
