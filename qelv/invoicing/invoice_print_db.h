#pragma once
// The invoice print files: the operating month's qelvfpPrint<year>_<month>.mdb (named by
// dataFiles::monthInvoices), made from the template qelvfpPrint.mdb, each with the tables KPDW (one
// row per invoice) and MX (its lines), whose columns follow the field names of the invoice layout.
#include "platform/db/schema.h"
#include "qelv/core/error_sink.h"
#include "qelv/core/print_file_rebuild.h"
#include "qelv/invoicing/invoice_layout.h"

#include <QDate>
#include <QList>
#include <QString>

namespace db {
class Connection;
}

namespace invoicing {

// Asks the operator a Yes/No question; true for Yes.
using Confirm = printFiles::Confirm;

// Copies the template to the month's print file when that file does not exist; an existing file is
// not touched. False, with the reason given to `errors`, when the copy fails (no template).
bool EnsureMonthFile(const QDate& workMonth, const ErrorSink& errors);

// The columns of KPDW and MX for a layout, in order: KPDW the enterprise number, then the header and
// footer fields in ID order; MX the line ID, the enterprise number, then the line fields.
QList<db::ColumnDef> headerColumns(const InvoiceLayout& layout);
QList<db::ColumnDef> lineColumns(const InvoiceLayout& layout);

// Makes KPDW and MX anew from the layout's fields: the month's print file is replaced by a file with
// the new, empty tables and the template by a copy of it. The layout is checked first; when the
// month's file holds generated invoices, `confirmReplace` is asked first and No keeps everything.
// Both tables are built in a transient file and only then replace the two files, so a failure leaves
// the month's file and the template as they were; the reason goes to `errors`. True when rebuilt.
bool RebuildPrintTables(db::Connection& layoutFile, const QDate& workMonth, const Confirm& confirmReplace,
                        const ErrorSink& errors);

// The question asked before generated invoices are thrown away.
extern const char* const replaceGeneratedQuestion;

} // namespace invoicing
