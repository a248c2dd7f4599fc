#pragma once
// An enterprise's fees of the operating month as invoices and notices list them: category by category
// in a fixed order, from each assignment's discharge-data table of the month. Each generator words
// the items its own way; what the items are, and how they add up, is decided here once.
#include "platform/convert/currency.h"
#include "platform/db/prepared.h"

#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>
#include <QVariant>

namespace db {
class Connection;
}
namespace dischargeRecords {
class Cache;
}

namespace feeItems {

// The pollutant categories, in the order their items are listed.
QStringList categories();

struct Item {
    QString name; // the pollutant's name for a separate item, the category's for a category item
    convert::Currency amount; // above zero
    bool separate = false; // a pollutant listed on its own rather than a category
};

struct EnterpriseFees {
    // The items with an amount above zero, in listing order: within each category its separate
    // pollutants as met, then the category.
    QList<Item> items;
    convert::Currency doubled; // the doubled charges of every category
    convert::Currency raised; // the raised charges of every category
    // Every charge, doubled and raised charge, those without an item (zero or below) included.
    convert::Currency total;
};

// Reads the fees of one enterprise after another. The assignments of the whole register are read once,
// when it is made: a run over the county asks for every enterprise's, and the assignment table has no
// index by enterprise.
//
// Of calculation category 1 every assignment counts; of any other calculation category, for each
// outlet only the assignment with the largest sum of charge, doubled and raised charge (the earlier
// one on a tie; one whose sum is not above zero never counts). A pollutant of calculation category 1
// marked as a fee item of its own is a separate item for its charge; its doubled and raised charges
// count with the others. Assignments on one outlet are taken in the order they were made.
//
// The workbench stores every amount in whole fen; an amount read with parts of a fen is taken at whole
// fen (halves to even, as the digit columns round), so that items and total always agree.
class Reader {
public:
    // `enterprises` holds dwwrw, `discharge` the month's discharge-data tables; `discharge` must outlive
    // it. With `records` (on `discharge`, outliving it) the records are read through it, for others to
    // read them again from it. Throws db::Error when dwwrw cannot be read.
    Reader(db::Connection& enterprises, db::Connection& discharge, dischargeRecords::Cache* records = nullptr);

    // Throws db::Error for a missing discharge-data table and convert::Error for a separate item without
    // a charge (Null).
    EnterpriseFees read(const QString& enterprise);

    struct Assignment {
        QString table; // its discharge-data table
        QString name; // WuRanWuMingCheng
        int kind = 0; // LeiXing
        int outlet = 0; // PaiWuKou
    };

private:
    // By enterprise and category, each list in outlet order, assignments on one outlet as made.
    QHash<QString, QList<Assignment>> assignments_;
    db::Connection& discharge_;
    dischargeRecords::Cache* records_;
};

// An amount at whole fen, halves to the even neighbour: 1.2250 gives 1.22, 1.2350 gives 1.24.
convert::Currency wholeFen(convert::Currency amount);

// The top-up of a total to the minimum fee, LowLever × months at whole fen: the difference when the
// total is above zero and below that minimum, else zero. A Null LowLever or months has no minimum.
convert::Currency minimumTopUp(convert::Currency total, const QVariant& lowLever, const QVariant& months);

// A stored amount as currency (Null is zero): currency as it is, a number converted.
convert::Currency amountOf(const QVariant& value);

} // namespace feeItems
