#include "qelv/frame/enterprise_renumbering.h"

#include "platform/db/connection.h"
#include "platform/db/transaction.h"
#include "platform/error/error.h"
#include "qelv/core/data_files.h"
#include "qelv/core/late_fee_ledger.h"

#include <QStringList>

namespace enterpriseRenumbering {

namespace {

const QString billingSchema = QStringLiteral("qelv_kz");
const QString ledgerSchema = QStringLiteral("qelv_znj");

// The year's billing file and the ledger file attached to the register's connection for as long as
// the change lasts: the three files then change in one transaction, committed all together or not at
// all, so that a crash never leaves the register with one number and a ledger with the other.
class YearFiles {
public:
    YearFiles(db::Connection& enterprises, int year)
        : conn_(enterprises)
    {
        conn_.attach(db::DataFile{dataFiles::billing(year)}, billingSchema);
        try {
            conn_.attach(db::DataFile{QString::fromLatin1(dataFiles::lateFeeLedgers)}, ledgerSchema);
        } catch (...) {
            conn_.detach(billingSchema);
            throw;
        }
    }
    ~YearFiles()
    {
        for (const QString& schema : {ledgerSchema, billingSchema}) {
            try {
                conn_.detach(schema);
            } catch (const std::exception&) {
                // The register's connection goes with the window; nothing stays attached beyond it.
                platform::warnDropped("renumbering: detaching a year file");
            }
        }
    }
    YearFiles(const YearFiles&) = delete;
    YearFiles& operator=(const YearFiles&) = delete;

private:
    db::Connection& conn_;
};

QString billingTable()
{
    return db::qualified(billingSchema, QStringLiteral("KPKZK"));
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

// The work in one transaction over the attached files; a failure anywhere changes none of them.
template <typename Work> void allOrNothing(db::Connection& conn, const QString& what, Work work)
{
    try {
        db::inTransaction(conn, work);
    } catch (const std::exception& e) {
        throw platform::Error(QStringLiteral("%1未完成，没有修改任何文件：%2").arg(what, platform::describe(e)));
    }
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
    const YearFiles attached(enterprises, year);

    const bool caseOnly = sameNumber(enterprises, oldNumber, newNumber);
    const QString oldLedger = lateFeeLedger::find(enterprises, oldNumber, ledgerSchema);
    if (!caseOnly) {
        if (!enterprises.scalar(QStringLiteral("select 1 from main.dw where DanWeiBianHao = ?"), {newNumber}).isNull())
            throw Refused(QStringLiteral("单位编号 %1 已被其他单位使用。").arg(newNumber));
        if (!enterprises
                 .scalar(QStringLiteral("select 1 from %1 where DanWeiBianHao = ?").arg(billingTable()), {newNumber})
                 .isNull())
            throw Refused(QStringLiteral("%1 中已有单位编号 %2 的收费记录。").arg(billingName, newNumber));
        if (lateFeeLedger::exists(enterprises, newNumber, ledgerSchema))
            throw Refused(
                QStringLiteral("%1 中已有滞纳金表 %2。").arg(ledgerName, lateFeeLedger::tableName(newNumber)));
    }

    const bool movesLedger = !caseOnly && !oldLedger.isEmpty();
    allOrNothing(enterprises, QStringLiteral("修改单位编号"), [&] {
        const QVariantList numbers{newNumber, oldNumber};
        enterprises.execute(QStringLiteral("Update main.dw Set DanWeiBianHao=? where DanWeiBianHao=?"), numbers);
        enterprises.execute(QStringLiteral("Update %1 Set DanWeiBianHao=? where DanWeiBianHao=?").arg(billingTable()),
                            numbers);
        enterprises.execute(QStringLiteral("Update main.DWWRW Set DanWeiBianHao=? where DanWeiBianHao=?"), numbers);
        if (movesLedger) {
            const QString target = lateFeeLedger::tableName(newNumber);
            enterprises.createTable(target, lateFeeLedger::columns(), ledgerSchema);
            enterprises.execute(
                QStringLiteral("Insert Into %1 (%2) Select %2 from %3")
                    .arg(db::qualified(ledgerSchema, target), columnList(), db::qualified(ledgerSchema, oldLedger)));
            enterprises.dropTable(oldLedger, ledgerSchema);
        }
    });
}

void removeData(db::Connection& enterprises, const QString& number, int year)
{
    const YearFiles attached(enterprises, year);
    const QString ledger = lateFeeLedger::find(enterprises, number, ledgerSchema);
    allOrNothing(enterprises, QStringLiteral("删除单位数据"), [&] {
        enterprises.execute(QStringLiteral("delete from %1 where DanWeiBianHao=?").arg(billingTable()), {number});
        enterprises.execute(QStringLiteral("delete from main.DWWRW where DanWeiBianHao=?"), {number});
        if (!ledger.isEmpty())
            enterprises.dropTable(ledger, ledgerSchema);
    });
}

} // namespace enterpriseRenumbering
