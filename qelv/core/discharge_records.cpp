#include "qelv/core/discharge_records.h"

#include "platform/db/connection.h"
#include "platform/db/prepared.h"

namespace dischargeRecords {

QVariant Record::value(const QString& column) const
{
    for (qsizetype at = 0; at < names.size(); ++at)
        if (names.at(at).compare(column, Qt::CaseInsensitive) == 0)
            return found ? values.at(at) : QVariant();
    throw db::Error(QStringLiteral("找不到字段“%1”。").arg(column));
}

Record read(db::Connection& discharge, const QString& table)
{
    db::PreparedStatement q(discharge, QStringLiteral("Select * from %1").arg(db::quoteIdentifier(table)));
    Record r;
    // Only the first row counts. Stepped first: the columns are then those of the table as it is now.
    r.found = q.first();
    const int columns = q.columnCount();
    r.names.reserve(columns);
    for (int c = 0; c < columns; ++c)
        r.names << q.columnName(c);
    if (r.found) {
        r.values.reserve(columns);
        for (int c = 0; c < columns; ++c)
            r.values << q.value(c);
    }
    return r;
}

Cache::Cache(db::Connection& discharge)
    : discharge_(discharge)
{
}

const Record& Cache::of(const QString& table)
{
    const QString key = table.toCaseFolded();
    auto it = records_.find(key);
    if (it == records_.end())
        it = records_.insert(key, read(discharge_, table));
    return *it;
}

} // namespace dischargeRecords
