#include "platform/settings/settings.h"
#include "platform/ui/dialogs.h"
#include "qelv/core/Module1.h"
#include "qelv/core/window_registry.h"
#include "qelv/frame/frmLogin.h"
#include "qelv/frame/frmMain.h"
#include "qelv/windows_all.h"
#include "tests/fixtures/modal.h"
#include "tests/fixtures/program_folder.h"
#include "tests/fixtures/sqlite_probe.h"
#include <QCloseEvent>

#include <QAction>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QTest>
#include <QToolBar>
#include <gtest/gtest.h>

using namespace Module1;

namespace {

QStringList menuLine(QMenu* menu)
{
    QStringList out;
    for (QAction* a : menu->actions())
        out << (a->isSeparator() ? QStringLiteral("-") : a->objectName() + QLatin1Char('=') + a->text());
    return out;
}

} // namespace

class MainWindowTest : public fixtures::ProgramFolderTest {
protected:
    void SetUp() override
    {
        ProgramFolderTest::SetUp();
        setStartupDefaults();
        gUserName = QStringLiteral("admin");
        gWorkMonth = QDate(2003, 5, 1);
        gInvoiceDate = QDate(2003, 5, 20);
    }
    std::unique_ptr<frmMain> load()
    {
        auto w = std::make_unique<frmMain>();
        w->setAttribute(Qt::WA_DeleteOnClose, false);
        w->Form_Load();
        return w;
    }
};

TEST_F(MainWindowTest, MenusInOrderWithTheirCaptions)
{
    auto w = load();
    QStringList tops;
    for (QAction* a : w->menuBar()->actions())
        tops << a->text();
    EXPECT_EQ(tops, QStringList({"文件(&F)", "业务操作(&C)", "系统管理(&S)", "报表(R)", "帮助(&H)"}));
    EXPECT_EQ(menuLine(w->findChild<QMenu*>("mnuY")),
              QStringList({"mnuPWSJLR=排污数据录入(&L)", "-", "mnuCSSFTZ=测算与收费通知", "-", "mnuFPSC=发票(&S)",
                           "mnuWTSC=委托(&W)", "-", "mnuDZ=到账(&D)", "mnupldz=批量到账"}));
    EXPECT_EQ(menuLine(w->findChild<QMenu*>("mnu_XingTong")).size(), 21);
    EXPECT_EQ(menuLine(w->findChild<QMenu*>("mnu_XingTong")).first(), QStringLiteral("mnuHangYe=行业管理(&H)"));
    EXPECT_EQ(menuLine(w->findChild<QMenu*>("mnu_XingTong")).last(), QStringLiteral("mnufpzf=发票作废(&E)"));
    EXPECT_EQ(menuLine(w->findChild<QMenu*>("mnur")), QStringList({"mnuYDZBB=月到账报表", "mnuTJ=统计(&T)"}));
    EXPECT_EQ(menuLine(w->findChild<QMenu*>("mnuHelp")),
              QStringList({"mnuHelpContents=目录(&C)", "-", "mnuHelpAbout=关于(&A) "}));
    EXPECT_TRUE(w->findChild<QAction*>("mnuFileExit")->isEnabled());
}

TEST_F(MainWindowTest, CommandsOfWindowsNotRegisteredAreDisabledAndRegisteredOnesOpen)
{
    auto probe = std::make_shared<int>(0);
    windows::registerWindow(QStringLiteral("frmYDZQKBB"), [probe](QWidget* owner) {
        ++*probe;
        auto* d = new QDialog(owner);
        d->setObjectName(QStringLiteral("frmYDZQKBB"));
        return d;
    });
    auto w = load();
    EXPECT_FALSE(w->findChild<QAction*>("mnuFPSC")->isEnabled());
    EXPECT_FALSE(w->findChild<QAction*>("kp")->isEnabled());
    QAction* report = w->findChild<QAction*>("mnuYDZBB");
    ASSERT_TRUE(report->isEnabled());
    report->trigger();
    report->trigger();
    EXPECT_EQ(*probe, 2) << "a new instance each time";
    const auto opened = w->findChildren<QDialog*>("frmYDZQKBB");
    ASSERT_EQ(opened.size(), 2);
    EXPECT_TRUE(opened[0]->isVisible()) << "modeless, owned by the main window";
    w->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(w->findChildren<QDialog*>("frmYDZQKBB").isEmpty()) << "closing the main window unloads the others";
}

TEST_F(MainWindowTest, AWindowRefusingToCloseKeepsTheMainWindowOpen)
{
    // A window whose close is refused while it waits, as the printing windows' are.
    class Busy : public QDialog {
    public:
        using QDialog::QDialog;
        bool busy = true;

    protected:
        void closeEvent(QCloseEvent* e) override { busy ? e->ignore() : e->accept(); }
    };
    windows::registerWindow(QStringLiteral("frmYDZQKBB"), [](QWidget* owner) {
        auto* d = new Busy(owner);
        d->setObjectName(QStringLiteral("frmYDZQKBB"));
        return d;
    });
    auto w = load();
    w->show();
    w->findChild<QAction*>("mnuYDZBB")->trigger();
    auto* busy = static_cast<Busy*>(w->findChild<QDialog*>("frmYDZQKBB"));
    ASSERT_NE(busy, nullptr);
    EXPECT_FALSE(w->close());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(w->isVisible());
    ASSERT_EQ(w->findChild<QDialog*>("frmYDZQKBB"), busy) << "the waiting window is not destroyed";
    busy->busy = false;
    EXPECT_TRUE(w->close());
    EXPECT_FALSE(w->isVisible());
}

TEST_F(MainWindowTest, ToolbarButtonsKeysCaptionsAndTooltips)
{
    auto w = load();
    QStringList buttons;
    for (QAction* a : w->Toolbar1->actions())
        buttons << (a->isSeparator()
                        ? QStringLiteral("|")
                        : a->objectName() + QLatin1Char(':') + a->text() + QLatin1Char(':') + a->toolTip());
    EXPECT_EQ(buttons,
              QStringList({"pwsj:排污数据:输入排污数据", "|", "cstz:测算通知:测算与通知", "|", "kp:开  票:开票",
                           "wtdj:委托单据:开委托单据", "|", "DaoZhang:到  账:到账登记", "PLDZ:批量到账:批量到账登记",
                           "|", "nzbb:年  报:年终报表"}));
    w->Toolbar1_ButtonClick(QStringLiteral("separator")); // does nothing
}

TEST_F(MainWindowTest, StatusPanelsAndCaption)
{
    settings::save(QStringLiteral("DanWeiMingCheng"), QStringLiteral("某县环境保护局"));
    auto w = load();
    ASSERT_EQ(w->panels.size(), 5);
    EXPECT_EQ(w->panels[0]->text(), QStringLiteral("状态"));
    EXPECT_EQ(w->panels[1]->text(), QStringLiteral("用户:admin"));
    EXPECT_EQ(w->panels[2]->text(), QStringLiteral("开票日期:2003-05-20"));
    EXPECT_EQ(w->panels[3]->text(), QStringLiteral("操作月份:2003-05"));
    EXPECT_FALSE(w->panels[4]->text().isEmpty());
    EXPECT_EQ(w->windowTitle(), QStringLiteral("Tevrano   某县环境保护局"));
    EXPECT_EQ(gOrgName, QStringLiteral("某县环境保护局"));
}

TEST_F(MainWindowTest, PlacementDefaultsAndSaving)
{
    {
        auto w = load();
        EXPECT_EQ(w->pos(), QPoint(67, 67));
        EXPECT_EQ(w->size(), QSize(433, 433));
        w->close();
        EXPECT_EQ(settings::get(QStringLiteral("MainLeft"), QString()), QStringLiteral("1000"));
        EXPECT_EQ(settings::get(QStringLiteral("MainHeight"), QString()), QStringLiteral("6500"));
    }
    {
        auto w = load();
        w->move(200, 100);
        w->resize(600, 400);
        w->close();
        EXPECT_EQ(settings::get(QStringLiteral("MainLeft"), QString()), QStringLiteral("3000"));
        EXPECT_EQ(settings::get(QStringLiteral("MainTop"), QString()), QStringLiteral("1500"));
        EXPECT_EQ(settings::get(QStringLiteral("MainWidth"), QString()), QStringLiteral("9000"));
        EXPECT_EQ(settings::get(QStringLiteral("MainHeight"), QString()), QStringLiteral("6000"));
    }
    {
        auto w = load();
        EXPECT_EQ(w->pos(), QPoint(200, 100));
        w->show();
        w->showMinimized();
        w->move(10, 10);
        w->close();
        EXPECT_EQ(settings::get(QStringLiteral("MainLeft"), QString()), QStringLiteral("3000"))
            << "minimised: nothing saved";
    }
}

TEST_F(MainWindowTest, LateFeeSettingsAreReadFromTheSettingsFile)
{
    fixtures::exec(folder->data(QStringLiteral("qelvSetUp.mdb")),
                   QStringLiteral("UPDATE znj SET ZhiNaJinXiTong = 1, QiShiTianShu = 15, BiLi = 0.002;"));
    auto w = load();
    EXPECT_TRUE(gLateFeeOn);
    EXPECT_EQ(gLateFeeStartDays, 15);
    EXPECT_FLOAT_EQ(gLateFeeRate, 0.002f);
}

TEST_F(MainWindowTest, EmptyLateFeeTableLeavesTheSystemOff)
{
    fixtures::exec(folder->data(QStringLiteral("qelvSetUp.mdb")), QStringLiteral("DELETE FROM znj;"));
    auto w = load();
    EXPECT_FALSE(gLateFeeOn);
    EXPECT_EQ(gLateFeeStartDays, 0);
    EXPECT_EQ(gLateFeeRate, 0.0f);
    EXPECT_TRUE(ui::testing::shown().empty());
}

TEST_F(MainWindowTest, ANonNumericPlacementStopsTheLoadWithItsMessage)
{
    settings::save(QStringLiteral("MainWidth"), QStringLiteral("wide"));
    settings::save(QStringLiteral("DanWeiMingCheng"), QStringLiteral("某县"));
    auto w = load();
    ASSERT_EQ(ui::testing::shown().size(), 1u);
    EXPECT_EQ(ui::testing::shown()[0].title, QStringLiteral("Tevrano"));
    EXPECT_EQ(w->panels[1]->text(), QString()) << "the later steps are not done";
    EXPECT_EQ(w->windowTitle(), QStringLiteral("Tevrano"));
}

TEST_F(MainWindowTest, ReLoginFromTheUserPanelRewritesThePanels)
{
    auto w = load();
    w->show();
    fixtures::whenShown<frmLogin>(QStringLiteral("frmLogin"), [](frmLogin* login) {
        login->txtUserName->setText(QStringLiteral("admin"));
        login->txtPassword->setText(QStringLiteral("admin"));
        login->Text1->setText(QStringLiteral("2003-08-05"));
        login->Text2->setText(QStringLiteral("2003-7"));
        login->cmdOK->click();
    });
    QTest::mouseClick(w->panels[1], Qt::LeftButton);
    EXPECT_EQ(w->panels[3]->text(), QStringLiteral("操作月份:2003-07"));
    EXPECT_EQ(w->panels[2]->text(), QStringLiteral("开票日期:2003-08-05"));
    EXPECT_EQ(gWorkMonth, QDate(2003, 7, 1));

    fixtures::whenShown<frmLogin>(QStringLiteral("frmLogin"), [](frmLogin* login) { login->cmdCancel->click(); });
    QTest::mouseClick(w->panels[1], Qt::LeftButton);
    EXPECT_EQ(w->panels[3]->text(), QStringLiteral("操作月份:2003-07")) << "Cancel changes nothing";

    QTest::mouseClick(w->panels[2], Qt::LeftButton); // another panel: no login window
    EXPECT_EQ(w->panels[1]->text(), QStringLiteral("用户:admin"));
}

TEST_F(MainWindowTest, HelpContentsOpensTheHelpWindowOrSaysWhy)
{
    auto w = load();
    w->findChild<QAction*>("mnuHelpContents")->trigger();
    bool shownHelp = false;
    for (QWidget* top : QApplication::topLevelWidgets())
        shownHelp |= top->objectName() == QLatin1String("frmHelp") && top->isVisible();
    EXPECT_TRUE(shownHelp);
    QDir(folder->path() + QStringLiteral("/help")).removeRecursively();
    for (QWidget* top : QApplication::topLevelWidgets())
        if (top->objectName() == QLatin1String("frmHelp"))
            top->close();
    w->findChild<QAction*>("mnuHelpContents")->trigger();
    EXPECT_EQ(ui::testing::shown().size(), 1u) << "missing pages give a message";
}

TEST_F(MainWindowTest, TheMaintenanceCommandsOpenTheirWindowsModally)
{
    qelv::registerAllWindows();
    auto w = load();
    w->show();
    const std::pair<const char*, const char*> commands[] = {
        {"mnuUser", "frmUser"}, {"mnuBDWQK", "frmHBJ"},     {"mnuHangYe", "frmHangYeLeiXing"},
        {"mnuzdgl", "frmDWFQ"}, {"mnuTZJBNR", "frmTZJCNR"}, {"mnuDWML", "frmDW"},
        {"mnudl", "frmDL"},     {"mnuZNJXT", "frmZNJ"},     {"mnuWrwgl", "frmWRWGL"}};
    for (const auto& [menu, form] : commands) {
        QAction* action = w->findChild<QAction*>(QString::fromLatin1(menu));
        ASSERT_TRUE(action->isEnabled()) << menu;
        bool seen = false;
        fixtures::whenShown<QDialog>(QString::fromLatin1(form), [&seen, w = w.get()](QDialog* d) {
            seen = d->isModal() && d->parentWidget() == w;
            d->close();
        });
        action->trigger();
        EXPECT_TRUE(seen) << form;
    }
}

TEST_F(MainWindowTest, ThePollutantModificationWindowOpensModelessAsOftenAsAsked)
{
    qelv::registerAllWindows();
    auto w = load();
    w->show();
    QAction* action = w->findChild<QAction*>(QStringLiteral("mnuxgwrw"));
    ASSERT_TRUE(action->isEnabled());
    action->trigger();
    action->trigger();
    const auto opened = w->findChildren<QDialog*>(QStringLiteral("frmWRWDYXG"));
    ASSERT_EQ(opened.size(), 2);
    for (QDialog* d : opened)
        EXPECT_TRUE(d->isVisible() && !d->isModal());
    w->close();
}
