#include "qelv/core/late_fee_ledger.h"

#include "platform/db/connection.h"
#include "platform/db/recordset.h"
#include "platform/error/error.h"

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
// Table names compare as SQLite's NOCASE does: only the letters A to Z fold.
QString nocaseKey(const QString& name)
{
    QString key = name;
    for (QChar& c : key)
        if (c >= QLatin1Char('A') && c <= QLatin1Char('Z'))
            c = QChar(c.unicode() + ('a' - 'A'));
    return key;
}
} // namespace

Names::Names(db::Connection& ledgers)
{
    auto all = ledgers.openRecordset(QStringLiteral("SELECT name FROM sqlite_master WHERE type = 'table'"), {},
                                     db::LockType::ForwardOnly);
    // The first of two spellings of one name, as a look-up in the list finds it.
    for (; !all->isEOF(); all->moveNext()) {
        const QString name = all->value(0).toString();
        const QString key = nocaseKey(name);
        if (!names_.contains(key))
            names_.insert(key, name);
    }
}

QString Names::find(const QString& number) const
{
    return names_.value(nocaseKey(tableName(number)));
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
        platform::warnDropped("late-fee ledgers: detaching from the print file");
    }
}

} // namespace lateFeeLedger
