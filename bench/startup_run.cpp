#include "bench/startup_run.h"

#include "qelv/core/Module1.h"
#include "qelv/frame/frmLogin.h"
#include "qelv/frame/frmMain.h"
#include "qelv/startup.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <stdexcept>

namespace bench {

namespace {

QElapsedTimer sinceOk;

// Types into the login as the operator does and presses OK once it is up.
void answerLogin()
{
    QTimer::singleShot(0, [] {
        auto* login = qobject_cast<frmLogin*>(QApplication::activeModalWidget());
        if (!login) {
            answerLogin();
            return;
        }
        login->txtUserName->setText(QStringLiteral("admin"));
        login->txtPassword->setText(QStringLiteral("admin"));
        login->Text1->setText(QStringLiteral("2003-06-02"));
        login->Text2->setText(QStringLiteral("2003-5"));
        sinceOk.start();
        login->cmdOK->click();
    });
}

} // namespace

double startUp()
{
    answerLogin();
    if (!Module1::Main())
        throw std::runtime_error("the start-up did not reach the main window");
    QCoreApplication::sendPostedEvents();
    Module1::gMainForm->repaint();
    const double ms = sinceOk.nsecsElapsed() / 1e6;
    for (QWidget* w : QApplication::topLevelWidgets())
        w->deleteLater();
    Module1::gMainForm = nullptr;
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    return ms;
}

} // namespace bench
