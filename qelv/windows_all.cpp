#include "qelv/windows_all.h"

#include "qelv/assessment/frmDWWRW.h"
#include "qelv/assessment/frmKaiPiao.h"
#include "qelv/assessment/frmWRWDYXG.h"
#include "qelv/assessment/frmWRWGL.h"
#include "qelv/collection/frmDaoZhang.h"
#include "qelv/collection/frmPLDZDJ.h"
#include "qelv/collection/frmWTPintSet.h"
#include "qelv/collection/frmWt.h"
#include "qelv/core/window_registry.h"
#include "qelv/frame/frmDL.h"
#include "qelv/frame/frmDW.h"
#include "qelv/frame/frmDWFQ.h"
#include "qelv/frame/frmHBJ.h"
#include "qelv/frame/frmHangYeLeiXing.h"
#include "qelv/frame/frmTZJCNR.h"
#include "qelv/frame/frmUser.h"
#include "qelv/frame/frmXGDWWBH.h"
#include "qelv/frame/frmZNJ.h"
#include "qelv/invoicing/frmFPSetUp.h"
#include "qelv/invoicing/frmFPZF.h"
#include "qelv/invoicing/frmPJSCDY.h"
#include "qelv/notices/frmBaoBiao.h"
#include "qelv/notices/frmCSTZ.h"
#include "qelv/notices/frmYDZQKBB.h"

namespace qelv {

void registerAllWindows()
{
    // Tests call this once per case, several cases to a process; the registry refuses a second
    // registration, so the windows are registered on the first call only.
    static bool registered = false;
    if (registered)
        return;
    registered = true;
    windows::registerWindow<frmUser>();
    windows::registerWindow<frmHBJ>();
    windows::registerWindow<frmHangYeLeiXing>();
    windows::registerWindow<frmDWFQ>();
    windows::registerWindow<frmTZJCNR>();
    windows::registerWindow<frmDW>();
    windows::registerWindow<frmDL>();
    windows::registerWindow<frmZNJ>();
    windows::registerWindow<frmWRWGL>();
    windows::registerWindow<frmWRWDYXG>();
    windows::registerWindow<frmDWWRW>();
    windows::registerWindow<frmXGDWWBH>();
    windows::registerWindow<frmKaiPiao>();
    windows::registerWindow<frmPJSCDY>();
    windows::registerWindow<frmFPSetUp>();
    windows::registerWindow<frmFPZF>();
    windows::registerWindow<frmDaoZhang>();
    windows::registerWindow<frmPLDZDJ>();
    windows::registerWindow<frmWTPintSet>();
    windows::registerWindow<frmCSTZ>();
    windows::registerWindow<frmWt>();
    windows::registerWindow<frmBaoBiao>();
    windows::registerWindow<frmYDZQKBB>();
}

} // namespace qelv
