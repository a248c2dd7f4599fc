#pragma once
// What a query's text says about its shape, for deciding whether a recordset can write its rows back.
// For the layer's own use.
#include <QString>

namespace db {

// True for "SELECT ..." whose top level (outside parentheses, strings, quoted names and comments) has
// no DISTINCT, GROUP BY, HAVING, JOIN, compound (UNION, INTERSECT, EXCEPT), window, and no aggregate
// call in its select list: each row of the result is one row of a table. `insertAt` receives the
// position just after the SELECT keyword.
bool isSimpleSelect(const QString& sql, int* insertAt);

} // namespace db
