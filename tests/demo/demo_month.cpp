#include "tests/demo/demo_month.h"

#include "platform/db/connection.h"
#include "platform/db/recordset.h"
#include "platform/files/files.h"
#include "qelv/core/Module1.h"
#include "qelv/core/data_files.h"
#include "qelv/demo/demo_county.h"
#include "qelv/frame/frmMain.h"
#include "qelv/invoicing/due_enterprises.h"
#include "qelv/invoicing/invoice_print_db.h"

#include <QFile>
#include <gtest/gtest.h>

namespace demoMonth {

void openSession(const QDate& month)
{
    Module1::setStartupDefaults();
    Module1::gWorkMonth = month;
    Module1::gInvoiceDate = month.addMonths(1).addDays(10);
    Module1::gUserName = QStringLiteral("admin");
    frmMain().Form_Load();
}

QList<invoicing::ListedEnterprise> dueEnterprises(const QDate& month)
{
    QList<invoicing::ListedEnterprise> due;
    db::Connection dw(db::DataFile{QString::fromLatin1(dataFiles::enterprises)});
    db::Connection billing(db::DataFile{dataFiles::billing(month.year())});
    for (const invoicing::DueEnterprise& d : invoicing::dueEnterprises(dw, billing, month.month(), {}))
        due << invoicing::ListedEnterprise{d.number, false};
    return due;
}

invoicing::RunResult generateInvoices(const QDate& month, const QList<invoicing::ListedEnterprise>& due)
{
    if (!invoicing::EnsureMonthFile(month, [](const QString& e) { ADD_FAILURE() << e.toStdString(); }))
        return {};
    auto files = invoicing::RunFiles::open(month);
    return invoicing::InvoiceGenerator(*files, invoicing::RunState::fromModule1()).run(due, false);
}

notices::RunResult generateNotices(const QDate& month, const QList<invoicing::ListedEnterprise>& due,
                                   const ErrorSink& errors)
{
    files::copy(files::dataFile(QString::fromLatin1(dataFiles::noticeTemplate)),
                files::dataFile(dataFiles::monthNotices(month)));
    QList<notices::ListedEnterprise> listed;
    for (const invoicing::ListedEnterprise& d : due)
        listed << notices::ListedEnterprise{d.number, QString(), false};
    db::Connection setUp(db::DataFile{QString::fromLatin1(dataFiles::setUp)});
    notices::NoticeTexts texts;
    EXPECT_TRUE(notices::NoticeTexts::read(setUp, &texts));
    auto files = notices::RunFiles::open(month);
    return notices::NoticeGenerator(*files, notices::RunState::fromModule1(), texts, {}, errors).run(listed, false);
}

QList<collection::ListedInvoice> numberAgreedInvoices(const QString& programFolder, const QDate& month)
{
    QFile pm22(programFolder + QStringLiteral("/pm22.exe"));
    EXPECT_TRUE(pm22.open(QIODevice::WriteOnly));
    pm22.write(demo::pm22StandIn().toUtf8());
    pm22.close();
    pm22.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    files::copy(files::dataFile(QString::fromLatin1(dataFiles::collectionTemplate)),
                files::dataFile(dataFiles::monthCollections(month)));
    {
        db::Connection setUp(db::DataFile{QString::fromLatin1(dataFiles::setUp)});
        auto hbj = setUp.openRecordset(QStringLiteral("select * from hbj"), {}, db::LockType::ReadOnly);
        Module1::gPayeeName = hbj->value(QStringLiteral("DanWeiMingCheng")).toString();
        Module1::gPayeeBank = hbj->value(QStringLiteral("KaiHuYingHang")).toString();
        Module1::gPayeeAccount = hbj->value(QStringLiteral("ZhangHao")).toString();
        Module1::gCollectionId = hbj->value(QStringLiteral("WeiTuoID")).toString();
    }
    // The numbers and amounts the print run records, for the enterprises with an agreement.
    QList<collection::ListedInvoice> list;
    db::Connection dw(db::DataFile{QString::fromLatin1(dataFiles::enterprises)});
    db::Connection billing(db::DataFile{dataFiles::billing(month.year())});
    auto agreed = dw.openRecordset(QStringLiteral("select DanWeiBianHao, DanWeiQuangCheng from dw where "
                                                  "WeiTuoXieYiHao is not null and ZhangHao is not null"),
                                   {}, db::LockType::ReadOnly);
    const QString m = QString::number(month.month());
    for (int number = 1001; !agreed->isEOF(); agreed->moveNext(), ++number) {
        const QString enterprise = agreed->value(0).toString();
        billing.execute(QStringLiteral("update KPKZK set M%1P = ?, M%1M = 1234.5, M%1CM = '壹仟贰佰叁拾肆元伍角整', "
                                       "M%1DATE = ? where DanWeiBianHao = ?")
                            .arg(m),
                        {QString::number(number), Module1::gInvoiceDate, enterprise});
        list << collection::ListedInvoice{enterprise, agreed->value(1).toString(), QString::number(number),
                                          QStringLiteral("1234.5"), false};
    }
    return list;
}

} // namespace demoMonth
