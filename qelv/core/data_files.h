#pragma once
// Every database file of the data folder, spelled once. Names are matched without regard to letter
// case on disk; here each has one spelling. Month-scoped names end in the year, an underscore and
// the month without a leading zero (May 2003 gives 2003_5).
#include <QDate>
#include <QString>
#include <QStringList>

namespace dataFiles {

// Shipped with the program.
inline const char* const setUp = "qelvSetUp.mdb"; // User, hbj, tz, znj
inline const char* const enterprises = "qelvdw.mdb"; // dw, dwwrw, HangYeLeiXing, DanWeiFenQu
inline const char* const pollutants = "qelvwrw.mdb"; // wrw, wrwgs, wrwgsmb
inline const char* const specialEquivalents = "qelvDL.mdb"; // dl
inline const char* const lateFeeLedgers = "qelvdwznj.mdb"; // one late-fee table per enterprise
inline const char* const blankDatabase = "qelvdwwrwtemp.mdb"; // an empty database
inline const char* const billingTemplate = "QELVKZTMP.MDB"; // template of the yearly billing file
inline const char* const feeListTemplate = "qelvDataPrint.mdb";
inline const char* const printLayouts = "qelvPrintSet.mdb"; // fp, fpLine, fpPaperSize, wt, wtPaperSize
inline const char* const invoiceTemplate = "qelvfpPrint.mdb"; // KPDW, MX without rows
inline const char* const noticeTemplate = "qelvtztmp.mdb"; // tzdw, MX, WuRanWuMingXi without rows
// WTDW without rows, made by the build from the shipped collection layout.
inline const char* const collectionTemplate = "qelvwtPrint.mdb";

// Built by the program.
inline const char* const dischargeTemplate = "qelvdwwrwtmp.mdb";
// The discharge template while it is built; it replaces the template only once complete.
inline const char* const dischargeTemplateTransient = "qelvdwwrwnew.mdb";

// Transient names while a file is compacted.
inline const char* const compactionTransient = "qelvbbk.mdb";
inline const char* const pollutantsTransient = "qelvwrw1.mdb";
// Transient names while the invoice print tables are rebuilt: the new file, and the month's old one.
inline const char* const printTablesTransient = "qelvfpNew.mdb";
inline const char* const printFileKept = "qelvfpOld.mdb";
// The same for the collection print file.
inline const char* const collectionTablesTransient = "qelvwtNew.mdb";
inline const char* const collectionFileKept = "qelvwtOld.mdb";

// The yearly billing file of a year: qelvkz<year>.mdb.
QString billing(int year);
// The month files of an operating month (only its year and month count).
QString monthData(const QDate& month); // qelvdata<y>_<m>.mdb, the month's discharge data
QString monthFeeList(const QDate& month); // qelvdataPrint<y>_<m>.mdb
QString monthNotices(const QDate& month); // qelvtzPrint<y>_<m>.mdb
QString monthInvoices(const QDate& month); // qelvfpPrint<y>_<m>.mdb
QString monthCollections(const QDate& month); // qelvwtPrint<y>_<m>.mdb

// The database files the build makes and a program folder is prepared with.
QStringList shipped();
// The files compacted at start-up for an operating month, in order.
QStringList compactedAtStartup(const QDate& month);

} // namespace dataFiles
