#include "qelv/startup.h"

#include "platform/db/super_journals.h"
#include "platform/files/files.h"
#include "platform/ui/dialogs.h"
#include "qelv/core/Module1.h"
#include "qelv/core/error_sink.h"
#include "qelv/core/paper_record.h"
#include "qelv/frame/frmLogin.h"
#include "qelv/frame/frmMain.h"
#include "qelv/frame/frmSplash.h"

namespace Module1 {

bool Main()
{
    try {
        setStartupDefaults();
        // Before any file is opened: a commit over several files killed half way may have left a
        // super-journal that SQLite no longer needs and never removes.
        db::removeStaleSuperJournals(files::dataFolder());
        // A print the program did not finish may have left a printer on its paper.
        paperRecord::restoreAll(messageBoxSink());

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

        auto* mainForm = new frmMain();
        gMainForm = mainForm;
        mainForm->Form_Load();

        splash->raise();
        mainForm->show();
        splash->raise();
        splash->startupDone();
        return true;
    } catch (const std::exception& e) {
        ui::showError(e);
        return false;
    }
}

} // namespace Module1
