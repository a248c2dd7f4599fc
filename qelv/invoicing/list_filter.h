#pragma once
// The condition by which the invoice run window narrows its list of enterprises: up to two comparisons
// on the enterprise number or the operating month's invoice number, joined by AND or OR.
#include "platform/error/error.h"

#include <QString>
#include <QStringList>
#include <QVariantList>

namespace invoicing {

// A condition over KPKZK with its values kept apart: `sql` holds one `?` for each of `values`, in
// order, to be bound by the list query; a value never becomes part of the statement's text.
struct ListCondition {
    QString sql;
    QVariantList values;

    bool isEmpty() const { return sql.isEmpty(); }
    // The list query's own condition narrowed by this one: "M5=1 and (A OR B)". The brackets keep an
    // OR of this condition from reaching past the query's own condition, which would list enterprises
    // not billed in the month. An empty condition leaves the query's own as it is.
    QString narrowing(const QString& ownCondition) const;
    // The condition as the operator reads it, each value in single quotes where its `?` stands:
    // DanWeiBianHao = '1001'.
    QString text() const;
};

// One row of the dialog: field, operator and value as they stand in the boxes.
struct FilterRow {
    QString field;
    QString op;
    QString value;
};

// The items of the dialog's boxes, blanks included.
QStringList filterFields(); // "单位编号", "发票编号"
QStringList filterOperators(); // " = ", " <> ", " > ", " >= ", " < ", " <= ", " Like "
QStringList filterConjunctions(); // " AND ", " OR "

// Thrown for an operator or conjunction that is none of the items; the description says which.
class FilterInputError : public platform::Error {
public:
    using platform::Error::Error;
};

// The condition of both rows for the operating month `month` (1 to 12, naming M<month>P). A row whose
// field is empty or none of the items adds nothing; the second row counts only with a conjunction and
// a field, and without a condition of the first row it stands alone, without the conjunction. Throws
// FilterInputError for an operator or conjunction of a counting row that is not one of the items.
ListCondition buildListCondition(const FilterRow& first, const QString& conjunction, const FilterRow& second,
                                 int month);

} // namespace invoicing
