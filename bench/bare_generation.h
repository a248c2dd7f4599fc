#pragma once
// What the bare loops beside the invoice and notice runs compute as the runs do, on plain integers and
// bare SQLite statements: an enterprise's fee items from its assignments' month records, the minimum
// top-up, the late fee from its ledger with the late payments it charges marked, the marks of the run
// before set back and the run's own listed, and amounts as the print files spell them (two decimals,
// capitals, digit columns). Given the same files they write what the runs write, which the benchmarks
// check after every run, so that each ratio compares the same work.
#include "bench/bare_sqlite.h"

#include <QDate>
#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>
#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

namespace bare {

// Money in ten-thousandths of a yuan, as the currency columns keep it.
using Units = std::int64_t;

// A stored amount as the program reads it: the nearest ten-thousandth.
Units storedAmount(double yuan);
// An amount the runs compute in doubles, taken to ten-thousandths, halves to even.
Units computedAmount(double yuan);
// At whole fen, halves to even.
Units wholeFen(Units amount);
// "1234.50": two decimals, halves away from zero.
QString moneyText(Units amount);
// "1234.5", "3": the exact amount in its shortest form.
QString plainText(Units amount);
// 壹仟贰佰叁拾肆元伍角, without the closing 整; empty for an amount below one fen.
QString capitals(Units amount);
// The ten digit columns of a printed form, 千万 down to 分, blank above the leading digit.
std::array<QString, 10> digitColumns(Units amount);
// The top-up of a total above zero to LowLever × months (at whole fen); zero without both.
Units minimumTopUp(Units total, const std::optional<double>& lowLever, const std::optional<double>& months);
// "2003-06-20", as dates are bound.
QString dateText(const QDate& date);

// The first row of an assignment's month table: its columns, and their values where it has a row.
struct Record {
    bool found = false;
    QStringList names;
    std::vector<std::optional<double>> values;

    // The value of the column named, letter case aside; none without a row or such a column.
    std::optional<double> value(const QString& column) const;
};
// Steps a statement on a month table and reads its first row.
Record readRecord(Statement& select);
// Whether a column of a month record is a discharge figure, which the fee list and the detail sheets
// show: not a fee column, nor a correction, equivalent or standard.
bool isFigure(const QString& column);

struct FeeItem {
    QString name; // the pollutant's for an item of its own, else the category's
    Units amount = 0;
    bool separate = false;
};

struct Fees {
    QList<FeeItem> items;
    Units doubled = 0, raised = 0, total = 0;
};

// An enterprise's fees, category by category, as the runs' fee reader adds them up.
class FeeReader {
public:
    // Reads the register's assignments once, from dwwrw under `schema`.
    FeeReader(Connection& db, const QString& schema);
    // `record` gives the month record of an assignment's table.
    Fees read(const QString& enterprise, const std::function<const Record&(const QString& table)>& record) const;

private:
    struct Assignment {
        QString table;
        QString name;
        int kind = 0;
        int outlet = 0;
    };
    QHash<QString, QList<Assignment>> assignments_; // by enterprise and category, letter case folded
};

// The late fee a run computes.
struct LateFeeTerms {
    QDate invoiceDate;
    int graceDays = 0;
    float dailyRate = 0;
};

// A ledger row a late fee charged: its invoice number and date as the ledger holds them.
struct MarkedRow {
    QString number;
    QString date;
};

// The late fee of the enterprise's ledger (ZNJ<number> of the file attached under `ledgerSchema`) at
// four decimals; the late payments it charges are marked in the ledger and appended to `marked`.
Units lateFee(Connection& db, const char* ledgerSchema, const QString& enterprise, const LateFeeTerms& terms,
              QList<MarkedRow>* marked);

// An invoice as the billing row records it (M<m>P, M<m>DATE, M<m>M, M<m>MBZJ).
struct RecordedInvoice {
    QString number;
    QString date;
    std::optional<Units> amount, lateFee;
    bool operator==(const RecordedInvoice&) const = default;
};
// Read from four columns of a statement's row, from `first` on.
RecordedInvoice recordedInvoice(const Statement& row, int first);

// What a run marked for one enterprise, and for an invoice run the invoice it made.
struct Marked {
    QString enterprise;
    QList<MarkedRow> rows;
    bool invoiceRun = false;
    RecordedInvoice before;
    std::optional<Units> amount, lateFee;
};
// Whether a print recorded the invoice an invoice run made.
bool printed(const Marked& run, const RecordedInvoice& now);

// The run's list of marks, YiShouZNJ of the print file (made when the file has none), on the print
// file's connection with the ledger file attached under `ledgerSchema`.
class Marks {
public:
    Marks(Connection& db, const char* ledgerSchema);
    // The marks of the run before set back, but for those `stands` keeps; then its list emptied.
    void setBackEarlier(const std::function<bool(const Marked&)>& stands);
    void add(const Marked& marked);

private:
    Connection& db_;
    const char* ledgerSchema_;
    Statement insert_;
};

} // namespace bare
