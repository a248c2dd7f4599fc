#pragma once
// The sample county's month worked as the operator works it, through the program's own code: the
// session a newcomer opens, the invoices, the notices with their detail sheets and the collection
// documents of the enterprises with an agreement.
#include "qelv/collection/collection_documents.h"
#include "qelv/core/error_sink.h"
#include "qelv/invoicing/invoice_generator.h"
#include "qelv/notices/notice_generator.h"

#include <QDate>
#include <QList>
#include <QString>

namespace demoMonth {

// The session of a newcomer: the proposed month, invoiced a few weeks after it, the late-fee settings
// as the main window reads them.
void openSession(const QDate& month);

// The enterprises the invoice window lists as due in the month, none ticked.
QList<invoicing::ListedEnterprise> dueEnterprises(const QDate& month);

// The month's invoices for them, the month's invoice file made first (a failure fails the test).
invoicing::RunResult generateInvoices(const QDate& month, const QList<invoicing::ListedEnterprise>& due);

// The month's notices for them, in a notice print file copied from its template; the detail sheets'
// errors go to `errors`.
notices::RunResult generateNotices(const QDate& month, const QList<invoicing::ListedEnterprise>& due,
                                   const ErrorSink& errors);

// What the invoice print leaves for collection: the payee bureau in the session, and invoice numbers
// from 1001 on, 1234.5 yuan each, in the billing rows of the enterprises with a collection agreement
// and an account; their invoices as the collection window lists them. The program folder gets the
// stand-in pm22.exe and the month's collection print file.
QList<collection::ListedInvoice> numberAgreedInvoices(const QString& programFolder, const QDate& month);

} // namespace demoMonth
