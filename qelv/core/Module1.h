#pragma once
// The shared state of the logged-in operator. Every window reads and writes these variables
// directly; they live as long as the process. The entry procedure that fills them at start-up is
// beside main.cpp (qelv/startup.h), because it needs the login, splash and main windows.
#include <QDate>
#include <QString>
#include <cstdint>

class QMainWindow;

namespace Module1 {

inline QDate gWorkMonth; // operating month: only year and month are used
inline QDate gInvoiceDate; // the date of invoices, notices and collection documents
inline QString gUserName;
inline QString gPayeeName;
inline QString gPayeeAccount;
inline QString gPayeeBank;
inline QString gCollectionId; // the payee's identity on the bank's encryption card
inline QString gOrgName; // the bureau's own name, for captions and report titles
inline bool gLateFeeOn = false;
inline std::int16_t gLateFeeStartDays = 0;
inline float gLateFeeRate = 0.0f;
inline bool gNonContinuousPrint = false;
inline QMainWindow* gMainForm = nullptr;

// Sets the shared variables to their start-up values (steps before the login).
void setStartupDefaults();

} // namespace Module1
