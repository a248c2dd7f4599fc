#include "qelv/core/late_fee_ledger.h"

#include "platform/db/connection.h"

namespace lateFeeLedger {

QString tableName(const QString& number)
{
    return QStringLiteral("ZNJ") + number;
}

namespace {
db::ColumnDef column(const char* name, db::ColumnType type, int size = 0)
{
    db::ColumnDef c;
    c.name = QString::fromLatin1(name);
    c.type = type;
    c.size = size;
    return c;
}
} // namespace

QList<db::ColumnDef> columns()
{
    using db::ColumnType;
    return {
        column("KaiPiaoRiQi", ColumnType::DateTime),   column("FaPiaoBianHao", ColumnType::Text, 50),
        column("FaPiaoJinE", ColumnType::Currency),    column("ShouFeiJinE", ColumnType::Currency),
        column("DaoZhangQingKuang", ColumnType::Byte), column("DaoZhangRiQi", ColumnType::DateTime),
        column("PiaoJuLeiXing", ColumnType::Byte),     column("ZNJYiShou", ColumnType::Byte),
    };
}

QString invoiceRowCondition()
{
    return QStringLiteral("FaPiaoBianHao = ? AND (date(KaiPiaoRiQi) = date(?) OR (KaiPiaoRiQi IS NULL AND ? IS NULL))");
}

QVariantList invoiceRowParams(const QString& number, const QDate& invoiceDate)
{
    const QVariant date = invoiceDate.isValid() ? QVariant(invoiceDate) : QVariant();
    return {number, date, date};
}

QString find(db::Connection& ledgers, const QString& number, const QString& schema)
{
    return ledgers.tableSpelling(tableName(number), schema);
}

bool exists(db::Connection& ledgers, const QString& number, const QString& schema)
{
    return ledgers.tableExists(tableName(number), false, schema);
}

bool ensure(db::Connection& ledgers, const QString& number)
{
    if (exists(ledgers, number))
        return false;
    ledgers.createTable(tableName(number), columns());
    return true;
}

namespace {
const char* const attachedSchema = "qelv_ledgers";
} // namespace

Attached::Attached(db::Connection& print, const QString& ledgersPath)
    : print_(print)
{
    print_.attachPath(ledgersPath, QString::fromLatin1(attachedSchema));
}

bool Attached::holds(const QString& number) const
{
    return exists(print_, number, QString::fromLatin1(attachedSchema));
}

QString Attached::table(const QString& number) const
{
    return db::qualified(QString::fromLatin1(attachedSchema), tableName(number));
}

Attached::~Attached()
{
    try {
        while (print_.inTransaction())
            print_.rollback();
        print_.detach(QString::fromLatin1(attachedSchema));
    } catch (...) {
        // The connection goes with the run's files; a detach that fails leaves nothing behind.
    }
}

} // namespace lateFeeLedger
