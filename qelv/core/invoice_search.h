#pragma once
// Finding a recorded invoice in a year's billing file, as the payment and the voiding windows do: by its
// number, in any of the twelve month columns, or by the enterprise's full name and the fee month. Every
// typed text is bound, never put into a statement.
#include "platform/error/error.h"

#include <QString>
#include <QStringList>
#include <QVariant>
#include <cstdint>
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

struct Found {
    QString enterprise;
    int month = 0;
};

// The first row holding the number in a month column, with the first month that holds it under the
// column's own comparison (letter case aside); nothing when no row does.
std::optional<Found> byNumber(db::Connection& billing, const QString& number);

// The first row holding, in a month column, a number of digits whose whole-number value is `value`
// ("00000002" is 2, as it prints and as the bank's record carries it), with the first such month; the
// invoice `except` (an enterprise's own month) aside. Nothing when no row does.
std::optional<Found> byNumberValue(db::Connection& billing, std::int64_t value,
                                   const std::optional<Found>& except = std::nullopt);

// The rows the grid shows for the enterprises' month, read-only, one `?` bound to each enterprise: the
// month's invoice columns under the captions 单位编号, 发票编号, 发票金额, 开票日期, 到账, 到账日期.
std::unique_ptr<db::Recordset> openGrid(db::Connection& billing, int month, const QStringList& enterprises);

// What the search boxes (year, invoice number, full name, fee month) ask for: the year's billing file
// open, with the month and the enterprises whose invoices to show; or, with nothing to show, the
// message why. A typed number is looked up first, and then `byNumber` holds, with the full name of the
// enterprise found (null when the register lacks it) for the name box; without one the name and the
// month are. The year is the operating month's when its text is empty, else that of the text followed
// by "-01-01"; a month is 1 to 12, halves to even. Throws for a year that is no date, a missing billing
// file and what the files throw.
struct Search {
    std::unique_ptr<db::Connection> billing;
    int year = 0;
    int month = 0;
    QStringList enterprises;
    bool byNumber = false;
    QVariant name;
    QString refusal;
};
Search search(const QString& yearText, const QString& number, const QString& name, const QString& monthText);

} // namespace invoiceSearch
