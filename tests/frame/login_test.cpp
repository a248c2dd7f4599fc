#include "platform/ui/dialogs.h"
#include "qelv/core/Module1.h"
#include "qelv/frame/frmLogin.h"
#include "tests/fixtures/program_folder.h"
#include "tests/fixtures/sqlite_probe.h"

#include <QLineEdit>
#include <gtest/gtest.h>

using namespace Module1;

struct ProposedCase {
    QDate today;
    const char* invoiceDate;
    const char* workMonth;
};

class LoginProposal : public ::testing::TestWithParam<ProposedCase> { };

TEST_P(LoginProposal, ProposesTodayAndThePreviousMonth)
{
    const ProposedCase& c = GetParam();
    EXPECT_EQ(frmLogin::proposedInvoiceDate(c.today), QString::fromLatin1(c.invoiceDate));
    EXPECT_EQ(frmLogin::proposedWorkMonth(c.today), QString::fromLatin1(c.workMonth));
}

INSTANTIATE_TEST_SUITE_P(Dates, LoginProposal,
                         ::testing::Values(ProposedCase{QDate(2003, 5, 15), "2003-05-15", "2003-4"},
                                           ProposedCase{QDate(2004, 1, 10), "2004-01-10", "2003-12"},
                                           ProposedCase{QDate(2003, 3, 31), "2003-03-31", "2003-2"},
                                           ProposedCase{QDate(2003, 11, 1), "2003-11-01", "2003-10"}),
                         [](const ::testing::TestParamInfo<ProposedCase>& info) {
                             return info.param.today.toString(QStringLiteral("yyyyMMdd")).toStdString();
                         });

class LoginTest : public fixtures::ProgramFolderTest {
protected:
    void SetUp() override
    {
        ProgramFolderTest::SetUp();
        setStartupDefaults();
        fixtures::exec(folder->data(QStringLiteral("qelvSetUp.mdb")),
                       QStringLiteral("INSERT INTO hbj VALUES ('县环保局', '农行城关分理处', '1234567890', 'ID01');"));
    }

    void typeAndOk(frmLogin& login, const QString& user, const QString& password,
                   const QString& invoiceDate = QStringLiteral("2003-05-20"),
                   const QString& month = QStringLiteral("2003-4"))
    {
        login.txtUserName->setText(user);
        login.txtPassword->setText(password);
        login.Text1->setText(invoiceDate);
        login.Text2->setText(month);
        login.show();
        login.cmdOK_Click();
    }
};

TEST_F(LoginTest, OpensWithTodayAndThePreviousMonth)
{
    frmLogin login;
    EXPECT_EQ(login.windowTitle(), QStringLiteral("登录"));
    EXPECT_EQ(login.Text1->text(), frmLogin::proposedInvoiceDate(QDate::currentDate()));
    EXPECT_EQ(login.Text2->text(), frmLogin::proposedWorkMonth(QDate::currentDate()));
    EXPECT_EQ(login.txtPassword->echoMode(), QLineEdit::Password);
    EXPECT_FALSE(login.LoginAccepted);
}

TEST_F(LoginTest, AcceptedLoginWritesTheSharedState)
{
    frmLogin login;
    typeAndOk(login, QStringLiteral("ADMIN"), QStringLiteral("Admin"), QStringLiteral("2003-05-20"),
              QStringLiteral("2003-7"));
    EXPECT_TRUE(login.LoginAccepted);
    EXPECT_FALSE(login.isVisible());
    EXPECT_EQ(gUserName, QStringLiteral("admin")) << "the name as stored, not as typed";
    EXPECT_EQ(gWorkMonth, QDate(2003, 7, 1));
    EXPECT_EQ(gInvoiceDate, QDate(2003, 5, 20));
    EXPECT_EQ(gPayeeName, QStringLiteral("县环保局"));
    EXPECT_EQ(gPayeeBank, QStringLiteral("农行城关分理处"));
    EXPECT_EQ(gPayeeAccount, QStringLiteral("1234567890"));
    EXPECT_EQ(gCollectionId, QStringLiteral("ID01"));
    EXPECT_TRUE(ui::testing::shown().empty());
}

TEST_F(LoginTest, WrongPasswordAsksAgainAsOftenAsTried)
{
    frmLogin login;
    for (int attempt = 0; attempt < 3; ++attempt)
        typeAndOk(login, QStringLiteral("admin"), QStringLiteral("wrong"));
    ASSERT_EQ(ui::testing::shown().size(), 3u);
    for (const auto& shown : ui::testing::shown()) {
        EXPECT_EQ(shown.text, QStringLiteral("密码错误，再试一次！"));
        EXPECT_EQ(shown.title, QStringLiteral("登录"));
    }
    EXPECT_FALSE(login.LoginAccepted);
    EXPECT_TRUE(login.isVisible());
    EXPECT_EQ(login.txtPassword->selectedText(), QStringLiteral("wrong"));
    EXPECT_EQ(gWorkMonth, QDate::currentDate());
}

TEST_F(LoginTest, AQuoteCannotWidenTheMatch)
{
    frmLogin login;
    typeAndOk(login, QStringLiteral("admin"), QStringLiteral("' OR '1'='1"));
    EXPECT_FALSE(login.LoginAccepted);
    typeAndOk(login, QStringLiteral("' OR ''='"), QStringLiteral("' OR ''='"));
    EXPECT_FALSE(login.LoginAccepted);
    EXPECT_EQ(ui::testing::shownTexts(),
              QStringList({QStringLiteral("密码错误，再试一次！"), QStringLiteral("密码错误，再试一次！")}));
}

TEST_F(LoginTest, ADateThatDoesNotConvertKeepsTheWindowOpen)
{
    for (const auto& [invoice, month] : {std::pair{"2003-05-20", "2003-13"}, std::pair{"20030520", "2003-4"},
                                         std::pair{"2003-02-30", "2003-4"}, std::pair{"2003-05-20", ""}}) {
        ui::testing::clearShown();
        frmLogin login;
        typeAndOk(login, QStringLiteral("admin"), QStringLiteral("admin"), QString::fromLatin1(invoice),
                  QString::fromLatin1(month));
        EXPECT_FALSE(login.LoginAccepted) << invoice << " " << month;
        EXPECT_TRUE(login.isVisible());
        ASSERT_EQ(ui::testing::shown().size(), 1u);
        EXPECT_EQ(ui::testing::shown()[0].title, QStringLiteral("Tevrano"));
        EXPECT_EQ(gUserName, QString());
        EXPECT_EQ(gInvoiceDate, QDate::currentDate());
    }
}

TEST_F(LoginTest, EmptyPayeeTableStillLogsInAndKeepsThePayeeValues)
{
    fixtures::exec(folder->data(QStringLiteral("qelvSetUp.mdb")), QStringLiteral("DELETE FROM hbj;"));
    gPayeeName = QStringLiteral("原来的单位");
    frmLogin login;
    typeAndOk(login, QStringLiteral("admin"), QStringLiteral("admin"));
    EXPECT_TRUE(login.LoginAccepted);
    ASSERT_EQ(ui::testing::shown().size(), 1u);
    EXPECT_EQ(ui::testing::shown()[0].text, QStringLiteral("委托收款单位内容不存在！请填写。"));
    EXPECT_EQ(ui::testing::shown()[0].icon, ui::Icon::Information);
    EXPECT_EQ(gPayeeName, QStringLiteral("原来的单位"));
    EXPECT_EQ(gPayeeBank, QStringLiteral("农行"));
}

TEST_F(LoginTest, CancelChangesNothing)
{
    frmLogin login;
    login.show();
    login.txtUserName->setText(QStringLiteral("admin"));
    login.txtPassword->setText(QStringLiteral("admin"));
    login.cmdCancel_Click();
    EXPECT_FALSE(login.LoginAccepted);
    EXPECT_FALSE(login.isVisible());
    EXPECT_EQ(gUserName, QString());
    EXPECT_EQ(gWorkMonth, QDate::currentDate());
}

TEST_F(LoginTest, MissingSettingsFileIsReportedAndTheWindowStays)
{
    QFile::remove(folder->data(QStringLiteral("qelvSetUp.mdb")));
    frmLogin login;
    typeAndOk(login, QStringLiteral("admin"), QStringLiteral("admin"));
    EXPECT_FALSE(login.LoginAccepted);
    EXPECT_TRUE(login.isVisible());
    EXPECT_EQ(ui::testing::shown().size(), 1u);
}
