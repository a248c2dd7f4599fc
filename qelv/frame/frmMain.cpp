#include "qelv/frame/frmMain.h"

#include "platform/convert/convert.h"
#include "platform/db/connection.h"
#include "platform/db/recordset.h"
#include "platform/help/help.h"
#include "platform/settings/settings.h"
#include "platform/ui/dialogs.h"
#include "platform/ui/twips.h"
#include "qelv/core/Module1.h"
#include "qelv/core/data_files.h"
#include "qelv/core/status_panels.h"
#include "qelv/core/window_registry.h"
#include "qelv/frame/frmAbout.h"
#include "qelv/frame/frmLogin.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDialog>
#include <QLabel>
#include <QMenuBar>
#include <QMouseEvent>
#include <QStatusBar>
#include <QStyle>
#include <QTime>
#include <QTimer>
#include <QToolBar>

using namespace Module1;

namespace {

struct MenuItem {
    const char* name;
    const char* caption; // "-" is a separator
};

struct TopMenu {
    const char* name;
    const char* caption;
    QList<MenuItem> items;
};

const QList<TopMenu>& menuBarLayout()
{
    static const QList<TopMenu> layout = {
        {"mnuFile", "文件(&F)", {{"mnuFileExit", "退出(&X)"}}},
        {"mnuY",
         "业务操作(&C)",
         {{"mnuPWSJLR", "排污数据录入(&L)"},
          {"mmmm", "-"},
          {"mnuCSSFTZ", "测算与收费通知"},
          {"mnusp98", "-"},
          {"mnuFPSC", "发票(&S)"},
          {"mnuWTSC", "委托(&W)"},
          {"spn111", "-"},
          {"mnuDZ", "到账(&D)"},
          {"mnupldz", "批量到账"}}},
        {"mnu_XingTong",
         "系统管理(&S)",
         {{"mnuHangYe", "行业管理(&H)"},
          {"mnuzdgl", "中队管理(&Z)"},
          {"mnusp10", "-"},
          {"mnuDWML", "单位目录(&D)"},
          {"mnuXGDWBH", "修改单位编号"},
          {"mnusp23", "-"},
          {"mnuWrwgl", "定义污染物(&W)"},
          {"mnuxgwrw", "修改污染物定义(&X)"},
          {"mnudl", "特殊当量值(&Z)"},
          {"msp1", "-"},
          {"mnuDWWRWGL", "单位污染物管理"},
          {"MNSP2", "-"},
          {"mnuUser", "用户管理(U)"},
          {"mnuBDWQK", "委托收款单位情况(&b)"},
          {"mnuZNJXT", "系统设置(&S)"},
          {"mnusp5", "-"},
          {"mnufpgs", "发票打印格式(&F)"},
          {"mnuTS", "托收打印格式(&T)"},
          {"mnuTZJBNR", "通知的基本内容"},
          {"sp112", "-"},
          {"mnufpzf", "发票作废(&E)"}}},
        {"mnur", "报表(R)", {{"mnuYDZBB", "月到账报表"}, {"mnuTJ", "统计(&T)"}}},
        {"mnuHelp", "帮助(&H)", {{"mnuHelpContents", "目录(&C)"}, {"mnuHelpBar0", "-"}, {"mnuHelpAbout", "关于(&A) "}}},
    };
    return layout;
}

// Each button runs a command of the menu: the same window, opened the same way.
struct ToolButton {
    const char* caption; // null: separator
    const char* key;
    const char* tooltip;
    int image;
    const char* menuName;
};

const QList<ToolButton>& toolbarLayout()
{
    static const QList<ToolButton> layout = {
        {"排污数据", "pwsj", "输入排污数据", 1, "mnuPWSJLR"},
        {nullptr, nullptr, nullptr, 0, nullptr},
        {"测算通知", "cstz", "测算与通知", 2, "mnuCSSFTZ"},
        {nullptr, nullptr, nullptr, 0, nullptr},
        {"开  票", "kp", "开票", 3, "mnuFPSC"},
        {"委托单据", "wtdj", "开委托单据", 4, "mnuWTSC"},
        {nullptr, nullptr, nullptr, 0, nullptr},
        {"到  账", "DaoZhang", "到账登记", 6, "mnuDZ"},
        {"批量到账", "PLDZ", "批量到账登记", 7, "mnupldz"},
        {nullptr, nullptr, nullptr, 0, nullptr},
        {"年  报", "nzbb", "年终报表", 5, "mnuTJ"},
    };
    return layout;
}

// The pictures of the toolbar's image list, by image number.
QIcon toolbarImage(QStyle* style, int image)
{
    static const QStyle::StandardPixmap pictures[] = {
        QStyle::SP_FileDialogDetailedView, QStyle::SP_FileDialogContentsView, QStyle::SP_FileIcon,
        QStyle::SP_DriveNetIcon,           QStyle::SP_FileDialogListView,     QStyle::SP_DialogApplyButton,
        QStyle::SP_DialogYesButton,
    };
    return style->standardIcon(pictures[(image - 1) % 7]);
}

const int panelWidths[] = {2540, 3528, 3528, 3528, 2540};

} // namespace

const QList<frmMain::Command>& frmMain::windowCommands()
{
    static const QList<Command> commands = {
        {"mnuPWSJLR", "frmKaiPiao", false},
        {"mnuCSSFTZ", "frmCSTZ", false},
        {"mnuFPSC", "frmPJSCDY", false},
        {"mnuWTSC", "frmWt", false},
        {"mnuDZ", "frmDaoZhang", true},
        {"mnupldz", "frmPLDZDJ", true},
        {"mnuHangYe", "frmHangYeLeiXing", true},
        {"mnuzdgl", "frmDWFQ", true},
        {"mnuDWML", "frmDW", true},
        {"mnuXGDWBH", "frmXGDWWBH", true},
        {"mnuWrwgl", "frmWRWGL", true},
        {"mnuxgwrw", "frmWRWDYXG", false},
        {"mnudl", "frmDL", true},
        {"mnuDWWRWGL", "frmDWWRW", true},
        {"mnuUser", "frmUser", true},
        {"mnuBDWQK", "frmHBJ", true},
        {"mnuZNJXT", "frmZNJ", true},
        {"mnufpgs", "frmFPSetUp", true},
        {"mnuTS", "frmWTPintSet", true},
        {"mnuTZJBNR", "frmTZJCNR", true},
        {"mnufpzf", "frmFPZF", true},
        {"mnuYDZBB", "frmYDZQKBB", false},
        {"mnuTJ", "frmBaoBiao", false},
    };
    return commands;
}

const frmMain::Command& frmMain::command(const char* menuName)
{
    for (const Command& c : windowCommands())
        if (qstrcmp(c.menuName, menuName) == 0)
            return c;
    throw std::logic_error(std::string("no window command ") + menuName);
}

frmMain::frmMain(QWidget* parent)
    : QMainWindow(parent)
{
    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(QString::fromUtf8(ui::appTitle));
    setAttribute(Qt::WA_DeleteOnClose);
    buildMenu();
    buildToolbar();
    buildStatusBar();
}

void frmMain::buildMenu()
{
    for (const TopMenu& top : menuBarLayout()) {
        QMenu* menu = menuBar()->addMenu(QString::fromUtf8(top.caption));
        menu->setObjectName(QString::fromLatin1(top.name));
        menu->menuAction()->setObjectName(QString::fromLatin1(top.name));
        for (const MenuItem& item : top.items) {
            QAction* action = QString::fromUtf8(item.caption) == QLatin1String("-")
                ? menu->addSeparator()
                : menu->addAction(QString::fromUtf8(item.caption));
            action->setObjectName(QString::fromLatin1(item.name));
            action->setParent(this);
        }
    }
    for (const Command& c : windowCommands()) {
        QAction* action = findChild<QAction*>(QString::fromLatin1(c.menuName));
        const QString form = QString::fromLatin1(c.formName);
        const bool modal = c.modal;
        action->setEnabled(windows::isRegistered(form));
        connect(action, &QAction::triggered, this, [this, form, modal] { openWindow(form, modal); });
    }
    connect(findChild<QAction*>(QStringLiteral("mnuFileExit")), &QAction::triggered, this, &frmMain::mnuFileExit_Click);
    connect(findChild<QAction*>(QStringLiteral("mnuHelpContents")), &QAction::triggered, this,
            &frmMain::mnuHelpContents_Click);
    connect(findChild<QAction*>(QStringLiteral("mnuHelpAbout")), &QAction::triggered, this,
            &frmMain::mnuHelpAbout_Click);
}

void frmMain::buildToolbar()
{
    Toolbar1 = addToolBar(QStringLiteral("Toolbar1"));
    Toolbar1->setObjectName(QStringLiteral("Toolbar1"));
    Toolbar1->setMovable(false);
    Toolbar1->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    for (const ToolButton& b : toolbarLayout()) {
        if (!b.caption) {
            Toolbar1->addSeparator();
            continue;
        }
        QAction* action = Toolbar1->addAction(toolbarImage(style(), b.image), QString::fromUtf8(b.caption));
        const QString key = QString::fromLatin1(b.key);
        action->setObjectName(key);
        action->setToolTip(QString::fromUtf8(b.tooltip));
        action->setEnabled(windows::isRegistered(QString::fromLatin1(command(b.menuName).formName)));
        connect(action, &QAction::triggered, this, [this, key] { Toolbar1_ButtonClick(key); });
    }
}

void frmMain::buildStatusBar()
{
    sbStatusBar = statusBar();
    sbStatusBar->setObjectName(QStringLiteral("sbStatusBar"));
    sbStatusBar->setSizeGripEnabled(true);
    // The panels keep their widths and lie side by side; a narrow window cuts off the last ones
    // instead of squeezing them over each other.
    auto* strip = new QWidget(sbStatusBar);
    strip->setObjectName(QStringLiteral("panels"));
    strip->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    int left = 0;
    for (int i = 0; i < 5; ++i) {
        auto* panel = new QLabel(strip);
        panel->setObjectName(QStringLiteral("panel%1").arg(i + 1));
        panel->setFrameShape(QFrame::Panel);
        panel->setFrameShadow(QFrame::Sunken);
        panel->setGeometry(left, 0, ui::px(panelWidths[i]), panel->sizeHint().height());
        left += ui::px(panelWidths[i]);
        panel->installEventFilter(this);
        panels << panel;
    }
    strip->setMinimumHeight(panels[0]->height());
    sbStatusBar->addWidget(strip, 1);
    panels[0]->setText(QStringLiteral("状态"));
    panels[1]->setProperty("key", QStringLiteral("User"));
    auto* clock = new QTimer(this);
    auto tick = [this] { panels[4]->setText(QTime::currentTime().toString(QStringLiteral("HH:mm"))); };
    connect(clock, &QTimer::timeout, this, tick);
    clock->start(1000);
    tick();
}

void frmMain::Toolbar1_ButtonClick(const QString& key)
{
    for (const ToolButton& b : toolbarLayout()) {
        if (b.key && key == QLatin1String(b.key)) {
            const Command& c = command(b.menuName);
            openWindow(QString::fromLatin1(c.formName), c.modal);
            return;
        }
    }
}

QDialog* frmMain::openWindow(const QString& formName, bool modal)
{
    const windows::Factory make = windows::factory(formName);
    if (!make)
        return nullptr;
    try {
        QDialog* window = make(this);
        if (!window)
            return nullptr;
        window->setAttribute(Qt::WA_DeleteOnClose);
        opened_ << window;
        if (modal) {
            window->exec();
            return nullptr;
        }
        window->show();
        return window;
    } catch (const std::exception& e) {
        ui::showError(e, this);
        return nullptr;
    }
}

void frmMain::Form_Load()
{
    try {
        const double left = convert::toDouble(settings::get(QStringLiteral("MainLeft"), QStringLiteral("1000")));
        const double top = convert::toDouble(settings::get(QStringLiteral("MainTop"), QStringLiteral("1000")));
        const double w = convert::toDouble(settings::get(QStringLiteral("MainWidth"), QStringLiteral("6500")));
        const double h = convert::toDouble(settings::get(QStringLiteral("MainHeight"), QStringLiteral("6500")));
        move(ui::px(left), ui::px(top));
        resize(ui::px(w), ui::px(h));
        placement_ = {{x(), left}, {y(), top}, {width(), w}, {height(), h}};

        writeStatusPanels();

        gOrgName = settings::get(QStringLiteral("DanWeiMingCheng"), QString());
        setWindowTitle(gOrgName.isEmpty() ? QString::fromUtf8(ui::appTitle)
                                          : QString::fromUtf8(ui::appTitle) + QStringLiteral("   ") + gOrgName);

        db::Connection conn(db::DataFile{QString::fromLatin1(dataFiles::setUp)});
        auto rs = conn.openRecordset(QStringLiteral("Select * from znj"), {}, db::LockType::ReadOnly);
        if (!rs->isEOF()) {
            gLateFeeOn = rs->value(QStringLiteral("ZhiNaJinXiTong")).toBool();
            gLateFeeStartDays = convert::toInt16(convert::toDouble(rs->value(QStringLiteral("QiShiTianShu"))));
            gLateFeeRate = static_cast<float>(convert::toDouble(rs->value(QStringLiteral("BiLi"))));
        }
    } catch (const std::exception& e) {
        ui::showError(e, this);
    }
}

void frmMain::writeStatusPanels()
{
    statusPanels::showSession(panels[1], panels[2], panels[3]);
}

bool frmMain::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::MouseButtonPress) {
        if (auto* panel = qobject_cast<QLabel*>(watched); panel && panels.contains(panel)) {
            sbStatusBar_PanelClick(panel->property("key").toString());
            return true;
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

void frmMain::sbStatusBar_PanelClick(const QString& key)
{
    if (key != QLatin1String("User"))
        return;
    {
        frmLogin login(this);
        login.exec();
    }
    writeStatusPanels();
}

void frmMain::mnuHelpContents_Click()
{
    try {
        help::showContents(this);
    } catch (const std::exception& e) {
        ui::showError(e, this);
    }
}

void frmMain::mnuHelpAbout_Click()
{
    frmAbout::instance(this)->exec();
}

void frmMain::mnuFileExit_Click()
{
    close();
}

void frmMain::closeEvent(QCloseEvent* event)
{
    // A window that refuses to close (a run or a print waiting) keeps the program open: closing on
    // would destroy it in the middle of its wait.
    for (int i = opened_.size() - 1; i >= 0; --i) {
        QWidget* w = opened_[i].data();
        if (w && !w->close()) {
            opened_.removeAll(nullptr);
            event->ignore();
            return;
        }
    }
    opened_.removeAll(nullptr);
    if (!isMinimized()) {
        const int now[4] = {x(), y(), width(), height()};
        const char* const keys[4] = {"MainLeft", "MainTop", "MainWidth", "MainHeight"};
        for (int i = 0; i < 4; ++i) {
            // A value the window was not moved away from is saved as it was read, so the twips do not
            // drift by the rounding to whole pixels at every start.
            const bool unchanged = i < placement_.size() && placement_[i].first == now[i];
            const double value = unchanged ? placement_[i].second : ui::twips(now[i]);
            settings::save(QString::fromLatin1(keys[i]), convert::plainNumber(value));
        }
    }
    frmAbout::release();
    event->accept();
}
