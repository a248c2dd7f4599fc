#include "qelv/core/Module1.h"

namespace Module1 {

void setStartupDefaults()
{
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

} // namespace Module1
