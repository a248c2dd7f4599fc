#include "qelv/core/fee_items.h"

#include "platform/convert/convert.h"
#include "platform/db/connection.h"
#include "qelv/core/discharge_records.h"

#include <map>
#include <utility>

namespace feeItems {

namespace {

const char* const chargeColumn = "收费金额";
const char* const doubledColumn = "加倍收费";
const char* const raisedColumn = "提高收费";
const char* const separateColumn = "是否单独列为收费项目";

struct Cell {
    convert::Currency charge, doubled, raised;
    convert::Currency sum() const { return charge + doubled + raised; }
};

QString numberText(const QVariant& v)
{
    if (v.isNull())
        return QString();
    if (convert::isNumber(v))
        return QString::number(v.toLongLong());
    return v.toString();
}

int wholeOrZero(const QVariant& v)
{
    return v.isNull() ? 0 : convert::toInt32(convert::toDouble(v));
}

// The four fee columns of an assignment's discharge-data row; absent (Null) where the table has no
// row or the column is Null.
struct Record {
    QVariant charge, doubled, raised, separate;
};

Record readRecord(db::Connection& discharge, dischargeRecords::Cache* records, const QString& table)
{
    if (records) {
        const dischargeRecords::Record& r = records->of(table);
        return {r.value(QString::fromUtf8(chargeColumn)), r.value(QString::fromUtf8(doubledColumn)),
                r.value(QString::fromUtf8(raisedColumn)), r.value(QString::fromUtf8(separateColumn))};
    }
    db::PreparedStatement q(discharge,
                            QStringLiteral("select %1, %2, %3, %4 from %5")
                                .arg(db::quoteIdentifier(QString::fromUtf8(chargeColumn)),
                                     db::quoteIdentifier(QString::fromUtf8(doubledColumn)),
                                     db::quoteIdentifier(QString::fromUtf8(raisedColumn)),
                                     db::quoteIdentifier(QString::fromUtf8(separateColumn)),
                                     db::quoteIdentifier(table)));
    if (!q.first())
        return {};
    return {q.value(0), q.value(1), q.value(2), q.value(3)};
}

convert::Currency fen(const QVariant& v)
{
    return wholeFen(amountOf(v));
}

} // namespace

QStringList categories()
{
    return {QStringLiteral("废水"), QStringLiteral("废气"), QStringLiteral("废渣"), QStringLiteral("噪声"),
            QStringLiteral("其它")};
}

convert::Currency amountOf(const QVariant& value)
{
    if (value.isNull())
        return {};
    if (value.userType() == qMetaTypeId<convert::Currency>())
        return value.value<convert::Currency>();
    return convert::toCurrency(convert::toDouble(value));
}

convert::Currency wholeFen(convert::Currency amount)
{
    const std::int64_t units = amount.units();
    std::int64_t q = units / 100;
    const std::int64_t r = units % 100;
    if (r > 50 || (r == 50 && q % 2 != 0))
        ++q;
    else if (r < -50 || (r == -50 && q % 2 != 0))
        --q;
    return convert::Currency::fromUnits(q * 100);
}

convert::Currency minimumTopUp(convert::Currency total, const QVariant& lowLever, const QVariant& months)
{
    if (lowLever.isNull() || months.isNull() || total.units() <= 0)
        return {};
    const convert::Currency minimum =
        wholeFen(convert::toCurrency(amountOf(lowLever).toDouble() * convert::toDouble(months)));
    return total < minimum ? minimum - total : convert::Currency{};
}

namespace {
// Numbers and categories compare as their columns do, without regard to case.
QString assignmentKey(const QString& enterprise, const QString& category)
{
    return enterprise.toCaseFolded() + QLatin1Char('\n') + category.toCaseFolded();
}
} // namespace

Reader::Reader(db::Connection& enterprises, db::Connection& discharge, dischargeRecords::Cache* records)
    : discharge_(discharge),
      records_(records)
{
    db::PreparedStatement all(
        enterprises,
        QStringLiteral("select DanWeiBianHao, WuRanWuBianHao, WuRanWuMingCheng, LeiXing, PaiWuKou, "
                       "FenLei from dwwrw order by PaiWuKou, ID"));
    for (bool row = all.first(); row; row = all.next()) {
        Assignment a;
        a.table =
            QStringLiteral("WRW") + numberText(all.value(0)) + numberText(all.value(1)) + numberText(all.value(4));
        a.name = all.value(2).toString();
        a.kind = wholeOrZero(all.value(3));
        a.outlet = wholeOrZero(all.value(4));
        assignments_[assignmentKey(all.value(0).toString(), all.value(5).toString())] << a;
    }
}

EnterpriseFees Reader::read(const QString& enterprise)
{
    EnterpriseFees fees;
    for (const QString& category : categories()) {
        // Calculation category 1 adds up; the others keep the largest assignment per outlet.
        convert::Currency charges, doubled, raised;
        std::map<std::pair<int, int>, Cell> largest;
        QList<Item> separate;
        const auto found = assignments_.constFind(assignmentKey(enterprise, category));
        if (found == assignments_.constEnd())
            continue;
        for (const Assignment& a : *found) {
            const QString& table = a.table;
            const QString& name = a.name;
            const int kind = a.kind;
            const int outlet = a.outlet;
            const Record w = readRecord(discharge_, records_, table);
            if (kind == 1) {
                if (!w.separate.isNull()) {
                    if (w.separate.toBool()) {
                        if (w.charge.isNull())
                            throw convert::Error(QStringLiteral("无效使用 Null：%1 的收费金额").arg(table));
                        const convert::Currency c = fen(w.charge);
                        fees.total += c;
                        if (c.units() > 0)
                            separate << Item{name, c, true};
                    } else {
                        charges += fen(w.charge);
                    }
                }
                doubled += fen(w.doubled);
                raised += fen(w.raised);
            } else {
                const Cell candidate{fen(w.charge), fen(w.doubled), fen(w.raised)};
                Cell& cell = largest[{kind, outlet}];
                if (cell.sum() < candidate.sum())
                    cell = candidate;
            }
        }
        // The separate items are listed as met, before their category's item.
        fees.items << separate;
        Cell cells;
        for (const auto& [key, cell] : largest) {
            cells.charge += cell.charge;
            cells.doubled += cell.doubled;
            cells.raised += cell.raised;
        }
        fees.doubled += doubled + cells.doubled;
        fees.raised += raised + cells.raised;
        const convert::Currency categoryCharge = charges + cells.charge;
        fees.total += categoryCharge + doubled + cells.doubled + raised + cells.raised;
        if (categoryCharge.units() > 0)
            fees.items << Item{category, categoryCharge, false};
    }
    return fees;
}

} // namespace feeItems
