#pragma once
// Finding a recorded invoice in a year's billing file, as the payment and the voiding windows do: by its
// number, in any of the twelve month columns, or by the enterprise's full name and the fee month. Every
// typed text is bound, never put into a statement.
#include "platform/error/error.h"

#include <QString>
#include <QStringList>
#include <QVariant>
#include <memory>
#include <optional>

namespace db {
class Connection;
class Recordset;
} // namespace db

namespace invoiceSearch {

// A billing file that is not there.
class Error : public platform::Error {
public:
    using platform::Error::Error;
};

// The year a typed year names: the operating month's when the text is empty, else the year of the text
// followed by "-01-01" ("2003" is 2003). Throws convert::Error when that is no date.
int typedYear(const QString& text);
// Opens the year's billing file; throws Error when there is none.
std::unique_ptr<db::Connection> openBilling(int year);

struct Found {
    QString enterprise;
    int month = 0;
};
// The first row holding the number in a month column, with the first month that holds it under the
// column's own comparison (letter case aside); nothing when no row does.
std::optional<Found> byNumber(db::Connection& billing, const QString& number);

// A fee month typed for a search by name: the month (1 to 12, halves to even), or the message that
// refuses the two texts (either empty, a month that is no number or out of range).
struct TypedMonth {
    int month = 0;
    QString refusal;
};
TypedMonth typedMonth(const QString& name, const QString& month);

// The enterprises of the register with exactly that full name, in the register's order.
QStringList enterprisesNamed(db::Connection& enterprises, const QString& name);
// An enterprise's full name; null when the register has no such enterprise.
QVariant fullName(db::Connection& enterprises, const QString& number);

// The grid's query: the month's invoice columns of the enterprises' rows under the captions 单位编号,
// 发票编号, 发票金额, 开票日期, 到账, 到账日期, one `?` for each enterprise.
QString gridQuery(int month, int enterprises);

// The rows the grid shows for the enterprises' month, read-only, one `?` bound to each enterprise.
std::unique_ptr<db::Recordset> openGrid(db::Connection& billing, int month, const QStringList& enterprises);

// What the search boxes (year, invoice number, full name, fee month) ask for: the year's billing file
// open, with the month and the enterprises whose invoices to show; or, with nothing to show, the
// message why. A typed number is looked up first, and then `byNumber` holds; without one the name and
// the month are. Throws for a year that is no date, a missing billing file and what the files throw.
struct Search {
    std::unique_ptr<db::Connection> billing;
    int year = 0;
    int month = 0;
    QStringList enterprises;
    bool byNumber = false;
    QString refusal;
};
Search search(const QString& yearText, const QString& number, const QString& name, const QString& monthText);

} // namespace invoiceSearch
