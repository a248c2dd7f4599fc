#pragma once
// The yearly billing-control file qelvkz<year>.mdb and an enterprise's row in its table KPKZK. The
// file is never made from nothing: it is a copy of the shipped template, taken when it is missing.
#include <QString>

namespace db {
class Connection;
}

namespace billingControl {

// Copies the template to the year's file when no file of that name exists (names matched without
// regard to case). Returns true when it made the file. Throws what the file layer throws.
bool ensureYearFile(int year);

// Whether the enterprise has a row in the open billing file (numbers compared as the column does,
// without regard to case).
bool hasRow(db::Connection& billing, const QString& number);
// Inserts the enterprise's row, with only its number set, when it has none. Returns true when it
// inserted one.
bool ensureRow(db::Connection& billing, const QString& number);

} // namespace billingControl
