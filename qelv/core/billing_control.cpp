#include "qelv/core/billing_control.h"

#include "platform/db/connection.h"
#include "platform/files/files.h"
#include "qelv/core/data_files.h"

namespace billingControl {

bool ensureYearFile(int year)
{
    const QString target = files::dataFile(dataFiles::billing(year));
    if (files::exists(target))
        return false;
    files::copy(files::dataFile(QString::fromLatin1(dataFiles::billingTemplate)), target);
    return true;
}

bool hasRow(db::Connection& billing, const QString& number)
{
    return !billing.scalar(QStringLiteral("select 1 from KPKZK where DanWeiBianHao = ?"), {number}).isNull();
}

bool ensureRow(db::Connection& billing, const QString& number)
{
    if (hasRow(billing, number))
        return false;
    billing.execute(QStringLiteral("Insert Into kpkzk (DanWeiBianHao) Values (?)"), {number});
    return true;
}

} // namespace billingControl
