#include "qelv/invoicing/list_filter.h"

namespace invoicing {

namespace {

const char* const enterpriseField = "单位编号";
const char* const invoiceField = "发票编号";
const char* const like = " Like ";

bool isFilterField(const QString& f)
{
    return f == QString::fromUtf8(enterpriseField) || f == QString::fromUtf8(invoiceField);
}

void requireOperator(const QString& op)
{
    if (!filterOperators().contains(op))
        throw FilterInputError(op.trimmed().isEmpty()
                                   ? QStringLiteral("请选择比较的运算符。")
                                   : QStringLiteral("运算符“%1”不能用，请从列表中选择。").arg(op.trimmed()));
}

// The condition of one row, the first row's form for an empty Like value only when `firstRow`.
ListCondition rowCondition(const FilterRow& row, int month, bool firstRow)
{
    requireOperator(row.op);
    const QString& o = row.op;
    const QString& v = row.value;
    if (row.field == QString::fromUtf8(enterpriseField)) {
        if (o == QLatin1String(like))
            return {QStringLiteral("DanWeiBianHao") + o + QLatin1Char('?'),
                    {QStringLiteral("%") + v + QStringLiteral("%")}};
        return {QStringLiteral("DanWeiBianHao") + o + QLatin1Char('?'), {v}};
    }
    const QString column = QStringLiteral("M%1P").arg(month);
    if (o == QLatin1String(like)) {
        if (v.isEmpty() && firstRow)
            return {column + o + QStringLiteral("Null OR ") + column + o + QLatin1Char('?'), {QString()}};
        return {column + o + QLatin1Char('?'), {QStringLiteral("%") + v + QStringLiteral("%")}};
    }
    if (v.isEmpty() && o == QLatin1String(" = "))
        return {column + QStringLiteral(" IS NULL"), {}};
    if (v.isEmpty() && o == QLatin1String(" <> "))
        return {column + QStringLiteral(" IS NOT NULL"), {}};
    return {column + o + QLatin1Char('?'), {v}};
}

} // namespace

QString ListCondition::text() const
{
    QString out;
    int next = 0;
    for (QChar c : sql) {
        if (c == QLatin1Char('?') && next < values.size())
            out += QLatin1Char('\'') + values.at(next++).toString() + QLatin1Char('\'');
        else
            out += c;
    }
    return out;
}

QString ListCondition::narrowing(const QString& ownCondition) const
{
    return isEmpty() ? ownCondition : ownCondition + QStringLiteral(" and (") + sql + QLatin1Char(')');
}

QStringList filterFields()
{
    return {QString::fromUtf8(enterpriseField), QString::fromUtf8(invoiceField)};
}

QStringList filterOperators()
{
    return {QStringLiteral(" = "), QStringLiteral(" <> "), QStringLiteral(" > "),    QStringLiteral(" >= "),
            QStringLiteral(" < "), QStringLiteral(" <= "), QString::fromLatin1(like)};
}

QStringList filterConjunctions()
{
    return {QStringLiteral(" AND "), QStringLiteral(" OR ")};
}

ListCondition buildListCondition(const FilterRow& first, const QString& conjunction, const FilterRow& second, int month)
{
    ListCondition result;
    if (!first.field.isEmpty() && isFilterField(first.field))
        result = rowCondition(first, month, true);
    if (conjunction.isEmpty() || second.field.isEmpty() || !isFilterField(second.field))
        return result;
    if (!filterConjunctions().contains(conjunction))
        throw FilterInputError(
            QStringLiteral("“%1”不能连接两个条件，请从列表中选择“AND”或“OR”。").arg(conjunction.trimmed()));
    const ListCondition more = rowCondition(second, month, false);
    if (result.isEmpty())
        return more;
    result.sql += conjunction + more.sql;
    result.values += more.values;
    return result;
}

} // namespace invoicing
