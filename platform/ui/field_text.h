#pragma once
// How a field's value reads in a bound text box or a grid cell, and back: the one place where the
// bound controls turn values into text and typed text into values.
#include "platform/db/schema.h"

#include <QString>
#include <QVariant>

namespace ui {

// Empty for Null; money and numbers in their plain form ("12.5", "0"), never an exponent; a date as
// yyyy-mm-dd (with hh:mm:ss when it has a time); a yes/no value as "True" or "False".
QString fieldText(const QVariant& value);
// The value a typed text stands for in a column of the given type: Null for an empty text in a column
// that is not text (an emptied number box clears the field), else the text itself, which the
// recordset converts to the column's type.
QVariant typedValue(const QString& text, db::ColumnType type);

} // namespace ui
