#pragma once
// The invoicing month (May 2003) with its notice print file, the invoice date 2003-05-31, and the
// notice texts of tz set.
#include "platform/db/recordset.h"
#include "qelv/core/data_files.h"
#include "qelv/notices/notice_generator.h"
#include "tests/invoicing/month_fixture.h"

#include <QFile>
#include <QStringList>
#include <map>
#include <vector>

namespace fixtures {

class NoticeMonth : public InvoiceMonth {
protected:
    void SetUp() override
    {
        InvoiceMonth::SetUp();
        Module1::gInvoiceDate = QDate(2003, 5, 31);
        ASSERT_TRUE(QFile::copy(folder->data(QString::fromLatin1(dataFiles::noticeTemplate)),
                                folder->data(dataFiles::monthNotices(Module1::gWorkMonth))));
        notices = std::make_unique<db::Connection>(db::DataFile{dataFiles::monthNotices(Module1::gWorkMonth)});
        texts = {QStringLiteral("法规"), QStringLiteral("期限"), QStringLiteral("银行"),     QStringLiteral("账号"),
                 QStringLiteral("异议"), QStringLiteral("电话"), QStringLiteral("收款单位"), QStringLiteral("李四")};
    }
    void TearDown() override
    {
        notices.reset();
        InvoiceMonth::TearDown();
    }

    // Runs the generator over the numbers (each listed under the name 厂<number>).
    notices::RunResult generateNotices(const QStringList& numbers, bool selectedOnly = false,
                                       const QList<int>& ticked = {}, QStringList* detailErrors = nullptr)
    {
        QList<notices::ListedEnterprise> list;
        for (int i = 0; i < numbers.size(); ++i)
            list << notices::ListedEnterprise{numbers[i], QStringLiteral("厂") + numbers[i], ticked.contains(i)};
        auto files = notices::RunFiles::open(Module1::gWorkMonth);
        notices::NoticeGenerator generator(*files, notices::RunState::fromModule1(), texts, {},
                                           [detailErrors](const QString& e) {
                                               if (detailErrors)
                                                   *detailErrors << e;
                                               else
                                                   ADD_FAILURE() << e.toStdString();
                                           });
        return generator.run(list, selectedOnly);
    }

    // The enterprise's MX rows in ID order, each "序号|项目|金额".
    QStringList noticeLines(const QString& number)
    {
        QStringList out;
        auto rs =
            notices->openRecordset(QStringLiteral("select * from MX where DanWeiBianHao = ? order by ID"), {number});
        for (; !rs->isEOF(); rs->moveNext())
            out << QStringLiteral("%1|%2|%3")
                       .arg(rs->value(QStringLiteral("序号")).toString(), rs->value(QStringLiteral("项目")).toString(),
                            rs->value(QStringLiteral("金额")).toString());
        return out;
    }

    // Column -> value of the enterprise's tzdw row; empty without one.
    std::map<QString, QString> noticeHeader(const QString& number)
    {
        std::map<QString, QString> out;
        auto rs = notices->openRecordset(QStringLiteral("select * from tzdw where DanWeiBianHao = ?"), {number});
        if (rs->recordCount() > 1)
            ADD_FAILURE() << "two header rows";
        if (!rs->isEOF())
            for (int i = 0; i < rs->fieldCount(); ++i)
                out[rs->fieldName(i)] = rs->value(i).toString();
        return out;
    }

    // The enterprise's WuRanWuMingXi rows in the order written, each "PaiWuKou|name|data".
    QStringList detailRows(const QString& number)
    {
        QStringList out;
        auto rs = notices->openRecordset(
            QStringLiteral("select * from WuRanWuMingXi where DanWeiBianHao = ? order by rowid"), {number});
        for (; !rs->isEOF(); rs->moveNext())
            out << QStringLiteral("%1|%2|%3")
                       .arg(rs->value(QStringLiteral("PaiWuKou")).toString(),
                            rs->value(QStringLiteral("WuRanWuMingCheng")).toString(),
                            rs->value(QStringLiteral("WuRanWuShuJu")).toString());
        return out;
    }

    int noticeCount(const char* table)
    {
        return notices->scalar(QStringLiteral("select count(*) from %1").arg(QString::fromLatin1(table))).toInt();
    }

    std::vector<int> ledgerMarks(const QString& number)
    {
        std::vector<int> out;
        auto rs = ledgers->openRecordset(
            QStringLiteral("select ZNJYiShou from %1 order by rowid").arg(lateFeeLedger::tableName(number)));
        for (; !rs->isEOF(); rs->moveNext())
            out.push_back(rs->value(0).toInt());
        return out;
    }

    notices::NoticeTexts texts;
    std::unique_ptr<db::Connection> notices;
};

} // namespace fixtures
