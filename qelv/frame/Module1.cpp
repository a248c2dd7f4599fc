#include "qelv/frame/Module1.h"

#include "platform/files/files.h"
#include "platform/ui/dialogs.h"
#include "qelv/frame/frmLogin.h"
#include "qelv/frame/frmMain.h"
#include "qelv/frame/frmSplash.h"

#include <memory>

namespace Module1 {

void setStartupDefaults()
{
    gConnPrefix = QString::fromLatin1(connPrefixHead) + files::dataFolder() + QLatin1Char('/');
    gNonContinuousPrint = false;
    gWorkMonth = QDate::currentDate();
    gInvoiceDate = QDate::currentDate();
    gUserName.clear();
    gPayeeName.clear();
    gPayeeAccount.clear();
    gCollectionId.clear();
    gPayeeBank = QStringLiteral("农行");
    gOrgName.clear();
    gLateFeeOn = false;
    gLateFeeStartDays = 0;
    gLateFeeRate = 0.0f;
}

QString connectionText(const QString& fileName)
{
    return gConnPrefix + fileName;
}

bool Main()
{
    try {
        setStartupDefaults();

        bool accepted = false;
        {
            frmLogin login;
            login.exec();
            accepted = login.LoginAccepted;
        }
        if (!accepted)
            return false;

        auto* splash = new frmSplash();
        splash->Form_Load();
        splash->show();
        splash->repaint();

        gMainForm = new frmMain();
        gMainForm->Form_Load();

        splash->raise();
        gMainForm->show();
        splash->raise();
        splash->startupDone();
        return true;
    } catch (const std::exception& e) {
        ui::showError(e);
        return false;
    }
}

} // namespace Module1
