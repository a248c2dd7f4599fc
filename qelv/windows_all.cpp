#include "qelv/windows_all.h"

#include "qelv/assessment/frmWRWDYXG.h"
#include "qelv/assessment/frmWRWGL.h"
#include "qelv/frame/frmDL.h"
#include "qelv/frame/frmDW.h"
#include "qelv/frame/frmDWFQ.h"
#include "qelv/frame/frmHBJ.h"
#include "qelv/frame/frmHangYeLeiXing.h"
#include "qelv/frame/frmTZJCNR.h"
#include "qelv/frame/frmUser.h"
#include "qelv/frame/frmZNJ.h"
#include "qelv/frame/windows.h"

namespace qelv {

void registerAllWindows()
{
    windows::registerWindow(QStringLiteral("frmUser"), [](QWidget* owner) -> QDialog* { return new frmUser(owner); });
    windows::registerWindow(QStringLiteral("frmHBJ"), [](QWidget* owner) -> QDialog* { return new frmHBJ(owner); });
    windows::registerWindow(QStringLiteral("frmHangYeLeiXing"), [](QWidget* owner) -> QDialog* { return new frmHangYeLeiXing(owner); });
    windows::registerWindow(QStringLiteral("frmDWFQ"), [](QWidget* owner) -> QDialog* { return new frmDWFQ(owner); });
    windows::registerWindow(QStringLiteral("frmTZJCNR"), [](QWidget* owner) -> QDialog* { return new frmTZJCNR(owner); });
    windows::registerWindow(QStringLiteral("frmDW"), [](QWidget* owner) -> QDialog* { return new frmDW(owner); });
    windows::registerWindow(QStringLiteral("frmDL"), [](QWidget* owner) -> QDialog* { return new frmDL(owner); });
    windows::registerWindow(QStringLiteral("frmZNJ"), [](QWidget* owner) -> QDialog* { return new frmZNJ(owner); });
    windows::registerWindow(QStringLiteral("frmWRWGL"), [](QWidget* owner) -> QDialog* { return new frmWRWGL(owner); });
    windows::registerWindow(QStringLiteral("frmWRWDYXG"), [](QWidget* owner) -> QDialog* { return new frmWRWDYXG(owner); });
}

} // namespace qelv
