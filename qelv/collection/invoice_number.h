#pragma once
// Correcting the number of a month's invoice before its collection document is generated: the number
// the billing-control row records (M<m>P) and the number of the invoice's late-fee ledger row change
// together, in one transaction, so that payment registration and the late-fee runs still find the
// invoice under its new number.
#include "platform/error/error.h"

#include <QString>

namespace collection {

// A number refused: not digits, too long, or another invoice's already.
class NumberError : public platform::Error {
public:
    using platform::Error::Error;
};

// Why a typed number cannot be an invoice number: digits only, at most 8 of them (the width of the
// PM22 request's field); empty when it can.
QString invoiceNumberProblem(const QString& typed);

// Gives the enterprise's invoice of the month (of the year's billing file) the new number, stored as
// the print run stores numbers (its whole-number value: "00000002" is stored as "2"): M<m>P of its
// KPKZK row, and FaPiaoBianHao of its ledger row carrying the old number and the invoice's date
// M<m>DATE. Returns the number stored. Throws NumberError for a number refused by
// invoiceNumberProblem or one whose value any other invoice of the year carries (the enterprise's
// own invoice of the month keeps its number: then nothing changes), and the database's errors (a
// missing file or ledger table); either way nothing has changed.
QString changeInvoiceNumber(int year, int month, const QString& enterprise, const QString& newNumber);

} // namespace collection
