#include "platform/ui/dialogs.h"
#include "qelv/core/Module1.h"
#include "qelv/frame/frmLogin.h"
#include "qelv/frame/frmMain.h"
#include "qelv/startup.h"
#include "tests/fixtures/modal.h"
#include "tests/fixtures/program_folder.h"
#include "tests/fixtures/sqlite_probe.h"

#include <QCoreApplication>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <gtest/gtest.h>

using namespace Module1;

class StartupTest : public fixtures::ProgramFolderTest { };

TEST_F(StartupTest, CancelEndsTheProgramBeforeAnyCompaction)
{
    fixtures::makeFileWithFreePages(folder->data(QStringLiteral("qelvdw.mdb")));
    fixtures::whenShown<frmLogin>(QStringLiteral("frmLogin"), [](frmLogin* login) { login->cmdCancel->click(); });
    EXPECT_FALSE(Main());
    EXPECT_GT(fixtures::freePages(folder->data(QStringLiteral("qelvdw.mdb"))), 0);
    EXPECT_EQ(fixtures::visibleWindow(QStringLiteral("frmSplash")), nullptr);
    EXPECT_EQ(gMainForm, nullptr);
}

// A commit over several files killed after SQLite made its super-journal and before any journal named it
// leaves the super-journal for good; the program removes it when it starts, before anything is opened.
TEST_F(StartupTest, AStaleSuperJournalIsRemovedBeforeTheLogin)
{
    const QString stale = folder->data(QStringLiteral("qelvdw.mdb-mj1A2B3C9D4"));
    {
        QFile f(stale);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(QFile::encodeName(folder->data(QStringLiteral("qelvdw.mdb-journal"))) + '\0');
    }
    fixtures::whenShown<frmLogin>(QStringLiteral("frmLogin"), [&](frmLogin* login) {
        EXPECT_FALSE(QFile::exists(stale));
        login->cmdCancel->click();
    });
    EXPECT_FALSE(Main());
    EXPECT_FALSE(QFile::exists(stale));
}

TEST_F(StartupTest, ALoginShowsSplashThenMainWindowWithTheTypedMonth)
{
    fixtures::makeFileWithFreePages(folder->data(QStringLiteral("qelvdw.mdb")));
    fixtures::whenShown<frmLogin>(QStringLiteral("frmLogin"), [](frmLogin* login) {
        login->txtUserName->setText(QStringLiteral("admin"));
        login->txtPassword->setText(QStringLiteral("admin"));
        login->Text1->setText(QStringLiteral("2003-06-02"));
        login->Text2->setText(QStringLiteral("2003-5"));
        login->cmdOK->click();
    });
    ASSERT_TRUE(Main());
    EXPECT_EQ(gWorkMonth, QDate(2003, 5, 1));
    EXPECT_EQ(gInvoiceDate, QDate(2003, 6, 2));
    EXPECT_EQ(fixtures::freePages(folder->data(QStringLiteral("qelvdw.mdb"))), 0);
    ASSERT_NE(gMainForm, nullptr);
    EXPECT_TRUE(gMainForm->isVisible());
    QWidget* splash = fixtures::visibleWindow(QStringLiteral("frmSplash"));
    EXPECT_NE(splash, nullptr);
    EXPECT_EQ(gPayeeBank, QStringLiteral("农行")) << "no payee row shipped: start-up value stays";
    EXPECT_EQ(ui::testing::shownTexts(), QStringList(QStringLiteral("委托收款单位内容不存在！请填写。")));
    // Both windows delete themselves on closing; the splash would at its first tick.
    if (splash)
        splash->close();
    gMainForm->close();
    gMainForm = nullptr;
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}
