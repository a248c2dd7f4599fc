#include "qelv/frame/enterprise_renumbering.h"

#include "platform/db/connection.h"
#include "qelv/core/billing_control.h"
#include "qelv/core/data_files.h"
#include "qelv/core/late_fee_ledger.h"

#include <QStringList>
#include <functional>
#include <vector>

namespace enterpriseRenumbering {

namespace {

struct FileStep {
    QString name;
    db::Connection* conn;
};

// Runs the statements of every file inside its own transaction and commits the files in order.
void changeFiles(const std::vector<FileStep>& files, const std::function<void()>& statements, const QString& what)
{
    for (const FileStep& f : files)
        f.conn->beginTransaction();
    auto rollbackFrom = [&files](std::size_t first) {
        for (std::size_t i = first; i < files.size(); ++i) {
            try {
                if (files[i].conn->inTransaction())
                    files[i].conn->rollback();
            } catch (const std::exception&) {
            }
        }
    };
    try {
        statements();
    } catch (const std::exception& e) {
        rollbackFrom(0);
        throw platform::Error(QStringLiteral("%1未完成，没有修改任何文件：%2").arg(what, platform::describe(e)));
    }
    QStringList done;
    for (std::size_t i = 0; i < files.size(); ++i) {
        try {
            files[i].conn->commit();
        } catch (const std::exception& e) {
            rollbackFrom(i);
            QStringList left;
            for (std::size_t j = i; j < files.size(); ++j)
                left << files[j].name;
            throw platform::Error(QStringLiteral("%1未完成：%2。已修改的文件：%3；未修改的文件：%4")
                                      .arg(what, platform::describe(e),
                                           done.isEmpty() ? QStringLiteral("无") : done.join(QStringLiteral("、")),
                                           left.join(QStringLiteral("、"))));
        }
        done << files[i].name;
    }
}

bool sameNumber(db::Connection& conn, const QString& a, const QString& b)
{
    return conn.scalar(QStringLiteral("SELECT ? = ? COLLATE NOCASE"), {a, b}).toBool();
}

QString columnList()
{
    QStringList names;
    for (const db::ColumnDef& c : lateFeeLedger::columns())
        names << db::quoteIdentifier(c.name);
    return names.join(QLatin1Char(','));
}

} // namespace

void renumber(db::Connection& enterprises, const QString& oldNumber, const QString& newNumber, int year)
{
    if (newNumber.trimmed().isEmpty())
        throw Refused(QStringLiteral("单位编号不能为空。"));
    if (newNumber == oldNumber)
        return;
    const QString billingName = dataFiles::billing(year);
    const QString ledgerName = QString::fromLatin1(dataFiles::lateFeeLedgers);
    db::Connection billing(db::DataFile{billingName});
    db::Connection ledgers(db::DataFile{ledgerName});

    const bool caseOnly = sameNumber(enterprises, oldNumber, newNumber);
    const QString oldLedger = lateFeeLedger::find(ledgers, oldNumber);
    if (!caseOnly) {
        if (!enterprises.scalar(QStringLiteral("select 1 from dw where DanWeiBianHao = ?"), {newNumber}).isNull())
            throw Refused(QStringLiteral("单位编号 %1 已被其他单位使用。").arg(newNumber));
        if (billingControl::hasRow(billing, newNumber))
            throw Refused(QStringLiteral("%1 中已有单位编号 %2 的收费记录。").arg(billingName, newNumber));
        if (lateFeeLedger::exists(ledgers, newNumber))
            throw Refused(
                QStringLiteral("%1 中已有滞纳金表 %2。").arg(ledgerName, lateFeeLedger::tableName(newNumber)));
    }

    std::vector<FileStep> files = {{QString::fromLatin1(dataFiles::enterprises), &enterprises},
                                   {billingName, &billing}};
    const bool movesLedger = !caseOnly && !oldLedger.isEmpty();
    if (movesLedger)
        files.push_back({ledgerName, &ledgers});
    changeFiles(
        files,
        [&] {
            const QVariantList numbers{newNumber, oldNumber};
            enterprises.execute(QStringLiteral("Update dw Set DanWeiBianHao=? where DanWeiBianHao=?"), numbers);
            billing.execute(QStringLiteral("Update KPKZK Set DanWeiBianHao=? where DanWeiBianHao=?"), numbers);
            enterprises.execute(QStringLiteral("Update DWWRW Set DanWeiBianHao=? where DanWeiBianHao=?"), numbers);
            if (movesLedger) {
                const QString target = lateFeeLedger::tableName(newNumber);
                ledgers.createTable(target, lateFeeLedger::columns());
                ledgers.execute(QStringLiteral("Insert Into %1 (%2) Select %2 from %3")
                                    .arg(db::quoteIdentifier(target), columnList(), db::quoteIdentifier(oldLedger)));
                ledgers.dropTable(oldLedger);
            }
        },
        QStringLiteral("修改单位编号"));
}

void removeData(db::Connection& enterprises, const QString& number, int year)
{
    const QString billingName = dataFiles::billing(year);
    const QString ledgerName = QString::fromLatin1(dataFiles::lateFeeLedgers);
    db::Connection billing(db::DataFile{billingName});
    db::Connection ledgers(db::DataFile{ledgerName});
    const QString ledger = lateFeeLedger::find(ledgers, number);
    std::vector<FileStep> files = {{billingName, &billing},
                                   {QString::fromLatin1(dataFiles::enterprises), &enterprises}};
    if (!ledger.isEmpty())
        files.push_back({ledgerName, &ledgers});
    changeFiles(
        files,
        [&] {
            billing.execute(QStringLiteral("delete from KPKZK where DanWeiBianHao=?"), {number});
            enterprises.execute(QStringLiteral("delete from DWWRW where DanWeiBianHao=?"), {number});
            if (!ledger.isEmpty())
                ledgers.dropTable(ledger);
        },
        QStringLiteral("删除单位数据"));
}

} // namespace enterpriseRenumbering
