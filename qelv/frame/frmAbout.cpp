#include "qelv/frame/frmAbout.h"

#include "platform/process/process.h"
#include "platform/settings/settings.h"
#include "platform/ui/controls.h"
#include "platform/ui/dialogs.h"
#include "platform/ui/fixed_dialog.h"
#include "platform/ui/twips.h"
#include "qelv/core/version.h"

#include <QApplication>
#include <QFrame>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QStyle>

namespace {

QPointer<frmAbout>& theInstance()
{
    static QPointer<frmAbout> p;
    return p;
}

const char* const unavailable = "此时系统信息不可用";

// System information tools of the usual desktops, in order of preference.
const char* const wellKnownTools[] = {"hardinfo", "kinfocenter", "gnome-system-monitor", "mate-system-monitor",
                                      "lshw-gtk"};

} // namespace

frmAbout* frmAbout::instance(QWidget* owner)
{
    QPointer<frmAbout>& p = theInstance();
    if (!p)
        p = new frmAbout(owner);
    p->Form_Load();
    return p;
}

void frmAbout::release()
{
    delete theInstance().data();
}

frmAbout::frmAbout(QWidget* owner)
    : QDialog(owner, ui::fixedDialogFlags)
{
    ui::setUpFixedDialog(this,
                         {.formName = "frmAbout",
                          .caption = QStringLiteral("关于 Tevrano"),
                          .clientWidth = 5865,
                          .clientHeight = 3840,
                          .setFlags = false});

    picIcon = new QLabel(this);
    picIcon->setObjectName(QStringLiteral("picIcon"));
    picIcon->setPixmap(style()->standardIcon(QStyle::SP_ComputerIcon).pixmap(32, 32));
    ui::placeTwips(picIcon, 240, 240, 540, 540);

    auto make = [this](const char* name, const QString& text, double l, double t, double w, double h) {
        auto* lbl = ui::control<QLabel>(this, name, l, t, w, h, text);
        lbl->setWordWrap(true);
        return lbl;
    };
    lblTitle = make("lblTitle", QStringLiteral("应用程序标题"), 1050, 240, 3885, 480);
    lblVersion = make("lblVersion", QStringLiteral("版本"), 1050, 780, 3885, 225);
    lblDescription = make(
        "lblDescription",
        QStringLiteral("本系统用于环境保护局征收排污费时的计算机开票：计算排污费，在票据上连续打印发票和委托收款单据，"
                       "并具有滞纳金系统和到账登记功能。"),
        1050, 1125, 3885, 1170);
    lblDisclaimer =
        make("lblDisclaimer", QStringLiteral("警告：本程序受著作权法保护，未经许可不得复制或传播。Harnwick"), 255, 2625,
             3870, 825);

    auto* line = new QFrame(this);
    line->setObjectName(QStringLiteral("Line1"));
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);
    ui::placeTwips(line, 225, 2430, 5415, 30);

    cmdOK = new QPushButton(QStringLiteral("确定"), this);
    cmdOK->setObjectName(QStringLiteral("cmdOK"));
    cmdOK->setDefault(true);
    ui::placeTwips(cmdOK, 4245, 2625, 1260, 345);
    cmdSysInfo = ui::control<QPushButton>(this, "cmdSysInfo", 4260, 3075, 1245, 345, QStringLiteral("系统信息(&S)..."));

    connect(cmdOK, &QPushButton::clicked, this, &frmAbout::cmdOK_Click);
    connect(cmdSysInfo, &QPushButton::clicked, this, &frmAbout::cmdSysInfo_Click);
}

void frmAbout::Form_Load()
{
    lblVersion->setText(QStringLiteral("版本 ") + version::text());
    lblTitle->setText(QString::fromUtf8(ui::appTitle));
    ui::centreOnOwner(this);
}

void frmAbout::cmdOK_Click()
{
    // Esc reaches reject(), the close box closeEvent: all three end the same way.
    accept();
}

void frmAbout::cmdSysInfo_Click()
{
    StartSysInfo();
}

QString frmAbout::sysInfoProgram()
{
    const QString configured = settings::get(QStringLiteral("SysInfoPath"), QString());
    if (!configured.isEmpty())
        return configured;
    for (const char* tool : wellKnownTools) {
        const QString found = process::findProgram(QString::fromLatin1(tool));
        if (!found.isEmpty())
            return found;
    }
    return QString();
}

void frmAbout::StartSysInfo()
{
    const QString program = sysInfoProgram();
    if (program.isEmpty() || !process::startDetached(program))
        ui::msgBox(QString::fromUtf8(unavailable), ui::Buttons::Ok, ui::Icon::None, QString::fromUtf8(ui::appTitle),
                   this);
}
