#pragma once
// Renumbering an enterprise throughout the files of an operating year, or deleting its data: the
// register and the assignments of qelvdw.mdb, the billing row of the year's file and the late-fee
// ledger. The billing files of other years and the month files keep the old number.
//
// Everything that could stop a renumbering half way is checked first, with nothing changed. The
// billing file and the ledger file are then attached to the register's connection and the three
// change in one transaction: they are committed together or not at all, also when the program is
// killed in the middle.
#include "platform/error/error.h"

#include <QString>

namespace db {
class Connection;
}

namespace enterpriseRenumbering {

// A renumbering refused before anything changed.
class Refused : public platform::Error {
public:
    using platform::Error::Error;
};

// Gives the enterprise `oldNumber` the number `newNumber` in the register and its assignments
// (through `enterprises`, a connection to qelvdw.mdb), in the billing file of `year`, which must
// exist, and in the ledger file. A number equal to the old one changes nothing; one that differs only
// in letter case is the same number to the files: the rows take the new spelling, the ledger stays.
// Refused: an empty number, or one that another enterprise's register row, a billing row of the year
// or a ledger carries. An enterprise without a ledger is renumbered without one.
void renumber(db::Connection& enterprises, const QString& oldNumber, const QString& newNumber, int year);

// Deletes the enterprise's billing row of the year, its assignments and its ledger (when it has
// one). The register row stays: the register window removes enterprises.
void removeData(db::Connection& enterprises, const QString& number, int year);

} // namespace enterpriseRenumbering
