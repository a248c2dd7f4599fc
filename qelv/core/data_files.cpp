#include "qelv/core/data_files.h"

namespace dataFiles {

namespace {
QString monthScoped(const char* head, const QDate& month)
{
    return QStringLiteral("%1%2_%3.mdb").arg(QLatin1String(head)).arg(month.year()).arg(month.month());
}
} // namespace

QString billing(int year)
{
    return QStringLiteral("qelvkz%1.mdb").arg(year);
}
QString monthData(const QDate& month)
{
    return monthScoped("qelvdata", month);
}
QString monthFeeList(const QDate& month)
{
    return monthScoped("qelvdataPrint", month);
}
QString monthNotices(const QDate& month)
{
    return monthScoped("qelvtzPrint", month);
}
QString monthInvoices(const QDate& month)
{
    return monthScoped("qelvfpPrint", month);
}
QString monthCollections(const QDate& month)
{
    return monthScoped("qelvwtPrint", month);
}

QStringList shipped()
{
    QStringList names;
    for (const char* n :
         {setUp, enterprises, pollutants, specialEquivalents, lateFeeLedgers, blankDatabase, billingTemplate,
          feeListTemplate, printLayouts, invoiceTemplate, noticeTemplate, collectionTemplate})
        names << QString::fromLatin1(n);
    return names;
}

QStringList compactedAtStartup(const QDate& month)
{
    return {
        QString::fromLatin1(enterprises),
        QString::fromLatin1(pollutants),
        QString::fromLatin1(lateFeeLedgers),
        monthData(month),
        monthFeeList(month),
        monthNotices(month),
        monthCollections(month),
        monthInvoices(month),
        billing(month.year()),
    };
}

} // namespace dataFiles
