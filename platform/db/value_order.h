#pragma once
// Jet's order of values, by which a recordset sorts its rows, filters them and finds one: Null first,
// numbers by value (a text that reads as a number, against a number), dates by time, text without
// regard to case. For the layer's own use.
#include <QString>
#include <QVariant>

namespace db {

// No value, or Null; a currency value is never Null.
bool isNullValue(const QVariant& v);
// Below zero, zero or above zero as `a` comes before, with or after `b`.
int compareValues(const QVariant& a, const QVariant& b);
// Equal in that order; Null equals nothing, not even Null, as in SQL.
bool valuesEqual(const QVariant& a, const QVariant& b);
// Text as compareValues matches it without regard to case: each code point folded on its own, as
// QString::compare folds them.
QString foldedText(const QString& text);

} // namespace db
