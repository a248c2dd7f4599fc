#pragma once
// Correcting the number of a month's invoice before its collection document is generated: the number
// the billing-control row records (M<m>P) and the number of the invoice's late-fee ledger row change
// together, in one transaction, so that payment registration and the late-fee runs still find the
// invoice under its new number; and only while the billing row still holds the number listed.
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

// Gives the enterprise's invoice of the month (of the year's billing file), listed under
// `listedNumber`, the new number, stored as the print run stores numbers (its whole-number value:
// "00000002" is stored as "2"): M<m>P of its KPKZK row, and FaPiaoBianHao of its ledger row carrying
// the old number and the invoice's date M<m>DATE, through the payment writer. Returns the number
// stored. Throws NumberError for a number refused by invoiceNumberProblem or one whose value any other
// invoice of the year carries (the listed number typed again changes nothing), invoicePayment::Stale
// when the billing row no longer holds the listed number, and the other failures of the writer (a
// missing file, ledger table or column, which it names); whatever it throws, nothing has changed.
QString changeInvoiceNumber(int year, int month, const QString& enterprise, const QString& listedNumber,
                            const QString& newNumber);

} // namespace collection
