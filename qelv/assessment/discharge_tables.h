#pragma once
// The discharge-data tables: one per assignment of a pollutant and an outlet to an enterprise, named
// WRW<enterprise><pollutant><outlet>, with a currency column for each variable of the pollutant's
// formula, the three fee columns and the yes/no of a fee item of its own, holding one row of zeros.
// The discharge template holds one for every assignment; the month files are copies of it.
#include "platform/db/schema.h"
#include "platform/error/error.h"

#include <QList>
#include <QString>
#include <QStringList>

namespace db {
class Connection;
}

namespace discharge {

class BuildError : public platform::Error {
public:
    using platform::Error::Error;
};

struct Assignment {
    QString enterprise; // DanWeiBianHao
    QString pollutant; // WuRanWuBianHao
    QString outlet; // PaiWuKou as its decimal text
};

// "WRW" followed by the three numbers as they are, nothing padded or escaped.
QString tableName(const Assignment& assignment);
// The variable columns in the formula's order, then 收费金额, 加倍收费, 提高收费, 是否单独列为收费项目.
QList<db::ColumnDef> columns(const QStringList& variables);

// Makes one table with its row of zeros and False in an open file. Throws db::Error when the file
// refuses it (a name taken, a variable twice).
void createTable(db::Connection& file, const QString& name, const QStringList& variables);
// Makes the assignment's table in an open file when the file has none of that name (names matched
// without regard to case), reading the pollutant's formula through `pollutants`. True when it made it.
bool ensureTable(db::Connection& file, db::Connection& pollutants, const Assignment& assignment);

// Builds the discharge template from the register and the assignments of the enterprise file (both
// in their stored order) and the formulas of the pollutant file: into a transient file in one
// transaction, which replaces the template only once complete; then ModifyDataGS is "0". A build
// that stops throws BuildError naming the assignment where it stopped, and leaves the template and
// ModifyDataGS as they were. Returns the number of tables made.
int buildTemplate(db::Connection& enterprises, db::Connection& pollutants);

} // namespace discharge
