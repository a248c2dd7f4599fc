#pragma once
// The pollutant detail sheet that goes out with each payment notice: one row of WuRanWuMingXi in the
// month's notice print file for every assignment of the enterprise whose month record holds data, the
// record's discharge figures joined into one text, followed by the enterprise's period remark.
#include "platform/db/prepared.h"
#include "qelv/core/error_sink.h"

#include <QDate>
#include <QHash>
#include <QList>
#include <QString>
#include <QVariant>
#include <memory>

namespace db {
class Connection;
}
namespace dischargeRecords {
class Cache;
}

namespace notices {

// Works on the connections of the notice run (enterprise file, month data, notice print file, yearly
// billing file), which must outlive it; the statements it repeats for every enterprise are prepared
// once, and the assignments of the whole register are read once (dwwrw has no index by enterprise).
// Throws db::Error when one of them cannot be prepared or dwwrw cannot be read.
class PollutantDetail {
public:
    // With `records` (on `discharge`, outliving it) the month's records are taken from it, read there
    // when it has not read them yet.
    PollutantDetail(db::Connection& enterprises, db::Connection& discharge, db::Connection& print,
                    db::Connection& billing, const QDate& workMonth, dischargeRecords::Cache* records = nullptr);
    ~PollutantDetail();

    // Appends the rows of the enterprise, in the order of its assignments. An empty number, an
    // enterprise the register lacks and one without assignments give no row and no message. Any
    // database error ends the enterprise's rows where it occurs (those appended stay) and goes to
    // `errors`; it is not thrown. Returns the rows appended.
    int build(const QString& number, const ErrorSink& errors);

private:
    struct Assignment {
        QVariant id;
        QString pollutant, name;
        QVariant outlet;
    };

    db::Connection& discharge_;
    dischargeRecords::Cache* records_;
    // By enterprise (letter case folded, as the file compares), in ID order.
    QHash<QString, QList<Assignment>> assignments_;
    db::PreparedStatement registered_;
    db::PreparedStatement remark_;
    db::PreparedStatement insert_;
};

// The detail text of a record whose figures are `figures` ("A:12.5,B:0," as dischargeFigures joins them):
// the figures without their last comma, a blank, then the period remark in brackets when there is one.
QString detailText(const QString& figures, const QString& remark);

} // namespace notices
