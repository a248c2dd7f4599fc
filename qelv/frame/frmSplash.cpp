#include "qelv/frame/frmSplash.h"

#include "platform/ui/controls.h"
#include "platform/ui/dialogs.h"
#include "platform/ui/twips.h"
#include "qelv/core/Module1.h"
#include "qelv/core/compaction.h"
#include "qelv/core/data_files.h"
#include "qelv/core/version.h"

#include <QCoreApplication>
#include <QFont>
#include <QFrame>
#include <QLabel>
#include <QTimer>

namespace {

QLabel* label(QWidget* parent, const char* name, const QString& text, double pt, bool bold, double l, double t,
              double w, double h)
{
    auto* lbl = ui::control<QLabel>(parent, name, l, t, w, h, text);
    QFont f(QStringLiteral("宋体"));
    f.setPointSizeF(pt);
    f.setBold(bold);
    lbl->setFont(f);
    lbl->setWordWrap(true);
    return lbl;
}

} // namespace

frmSplash::frmSplash(QWidget* owner)
    : QDialog(owner, Qt::SplashScreen | Qt::FramelessWindowHint)
{
    setObjectName(QStringLiteral("frmSplash"));
    setAttribute(Qt::WA_DeleteOnClose);
    ui::clientSizeTwips(this, 7455, 4605);
    setFixedSize(size());

    fraMainFrame = new QFrame(this);
    fraMainFrame->setObjectName(QStringLiteral("fraMainFrame"));
    fraMainFrame->setFrameShape(QFrame::Box);
    ui::placeTwips(fraMainFrame, 60, 60, 7335, 4485);

    lblProductName = label(fraMainFrame, "lblProductName", QStringLiteral("产品"), 32.25, true, 2400, 1000, 4700, 780);
    lblVersion = label(fraMainFrame, "lblVersion", QStringLiteral("版本"), 12, true, 4600, 2000, 2500, 300);
    lblCompanyProduct =
        label(fraMainFrame, "lblCompanyProduct", QStringLiteral("公司产品"), 18, true, 2400, 400, 4700, 450);
    lblPlatform = label(fraMainFrame, "lblPlatform", QStringLiteral("平台"), 15.75, true, 4600, 1650, 2500, 380);
    lblCompany = label(fraMainFrame, "lblCompany", QStringLiteral("公司"), 8.25, false, 4600, 3400, 2500, 255);
    lblCopyright = label(fraMainFrame, "lblCopyright", QStringLiteral("版权所有"), 8.25, false, 4600, 3150, 2500, 255);
    lblWarning =
        label(fraMainFrame, "lblWarning",
              QStringLiteral("警告：本程序受著作权法保护。未经许可复制或传播本程序的全部或部分，将承担法律责任。"),
              8.25, false, 150, 3750, 6900, 560);

    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(2000);
    connect(Timer1, &QTimer::timeout, this, &frmSplash::Timer1_Timer);
    Timer1->start();
    ui::centreOnScreen(this);
}

void frmSplash::Form_Load()
{
    try {
        lblProductName->setText(QString::fromUtf8(ui::appTitle));
        lblVersion->setText(QStringLiteral("版本 ") + version::text());
        lblCompany->setText(QStringLiteral("公司 Harnwick"));
    } catch (const std::exception& e) {
        ui::showError(e, this);
        return;
    }
    CompactAllDatabases();
}

void frmSplash::CompactAllDatabases()
{
    for (const QString& name : dataFiles::compactedAtStartup(Module1::gWorkMonth)) {
        try {
            compaction::compactDataFile(name, QString::fromLatin1(dataFiles::compactionTransient), this);
        } catch (const std::exception& e) {
            ui::showError(e, this);
            return;
        }
    }
}

void frmSplash::startupDone()
{
    startupDone_ = true;
}

void frmSplash::Timer1_Timer()
{
    // A tick can come while a compaction message is open, before start-up has finished; the window
    // waits for the main window to be shown.
    if (startupDone_)
        close();
}
