#include "qelv/core/Module1.h"

#include "platform/files/files.h"

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

} // namespace Module1
