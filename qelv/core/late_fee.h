#pragma once
// The late fee an enterprise's new invoice or notice carries, from the enterprise's late-fee ledger
// ZNJ<number> in the late-fee file. Invoices and notices charge it the same way, so whichever of the
// two runs first for a period carries the charge for the late payments.
#include "platform/convert/currency.h"
#include "qelv/core/late_fee_ledger.h"

#include <QDate>
#include <QList>
#include <QString>
#include <cstdint>

// Overdue unpaid fee amounts (dated on or before the invoice date less the grace days) times the days
// since the enterprise's latest earlier ledger row less the grace days, times the daily rate; plus, for
// each paid row not yet charged, the days its payment came after its invoice date plus the grace days,
// times the rate, times its fee amount. Rows with a collection document never count. When there is an
// overdue unpaid row, every paid row not yet charged is marked charged (ZNJYiShou = 1) before the
// return, and `marked`, when given, receives those rows (a run lists them: see lateFeeMarks). The result
// keeps four decimal places.
//
// With `lateFeeOn` false the result is zero and the ledger is not touched. Throws db::Error (a missing
// ledger, an unreadable file) and convert::Error (a Null fee amount, a day count beyond 16 bits);
// statements already run stay done.
convert::Currency ComputeLateFee(db::Connection& ledgers, const QString& enterprise, const QDate& invoiceDate,
                                 std::int16_t graceDays, float dailyRate, bool lateFeeOn,
                                 QList<lateFeeLedger::InvoiceRow>* marked = nullptr);
