#include "qelv/core/late_fee_marks.h"

#include "platform/convert/convert.h"
#include "platform/db/connection.h"
#include "platform/db/prepared.h"
#include "platform/db/recordset.h"
#include "platform/db/transaction.h"

namespace lateFeeMarks {

namespace {

const QString listTable = QStringLiteral("YiShouZNJ");

// One row a ledger row marked: the enterprise, the row as its invoice number and date pick it and,
// for an invoice run, what the run knew of the enterprise's invoice (FaPiao 1).
QList<db::ColumnDef> listColumns()
{
    using db::ColumnType;
    auto text = [](const char* name) {
        return db::ColumnDef{.name = QString::fromLatin1(name), .size = 50, .defaultValue = QVariant()};
    };
    auto of = [](const char* name, ColumnType type) {
        return db::ColumnDef{.name = QString::fromLatin1(name), .type = type, .defaultValue = QVariant()};
    };
    return {
        text("DanWeiBianHao"),
        text("FaPiaoBianHao"),
        of("KaiPiaoRiQi", ColumnType::DateTime),
        of("FaPiao", ColumnType::Byte),
        text("YuanFaPiaoBianHao"),
        of("YuanKaiPiaoRiQi", ColumnType::DateTime),
        of("YuanFaPiaoJinE", ColumnType::Currency),
        of("YuanZNJ", ColumnType::Currency),
        of("FaPiaoJinE", ColumnType::Currency),
        of("ZNJ", ColumnType::Currency),
    };
}

std::optional<convert::Currency> amountOf(const QVariant& v)
{
    if (v.isNull())
        return std::nullopt;
    if (v.userType() == qMetaTypeId<convert::Currency>())
        return v.value<convert::Currency>();
    return convert::toCurrency(convert::toDouble(v));
}

QVariant stored(const std::optional<convert::Currency>& amount)
{
    return amount ? QVariant::fromValue(*amount) : QVariant();
}

QVariant stored(const QDate& date)
{
    return date.isValid() ? QVariant(date) : QVariant();
}

} // namespace

RecordedInvoice RecordedInvoice::fromValues(const QVariant& number, const QVariant& date, const QVariant& amount,
                                            const QVariant& lateFee)
{
    return {number.isNull() ? QString() : number.toString().trimmed(), date.isNull() ? QDate() : date.toDate(),
            amountOf(amount), amountOf(lateFee)};
}

bool printed(const InvoiceRun& run, const RecordedInvoice& now)
{
    if (now.number.isEmpty() || !run.amount || now.amount != run.amount || now.lateFee != run.lateFee)
        return false;
    return !(now == run.before);
}

RunMarks::RunMarks(db::Connection& print, const lateFeeLedger::Attached& ledgers)
    : print_(print),
      ledgers_(ledgers)
{
    if (!print_.tableExists(listTable))
        print_.createTable(listTable, listColumns());
}

RunMarks::~RunMarks() = default;

QList<Marked> RunMarks::listed(db::Connection& print)
{
    QList<Marked> out;
    if (!print.tableExists(listTable))
        return out;
    auto rows = print.openRecordset(QStringLiteral("select * from %1 order by rowid").arg(listTable), {},
                                    db::LockType::ForwardOnly);
    for (; !rows->isEOF(); rows->moveNext()) {
        const QString enterprise = rows->value(QStringLiteral("DanWeiBianHao")).toString();
        if (out.isEmpty() || out.last().enterprise != enterprise) {
            Marked m;
            m.enterprise = enterprise;
            if (convert::toDouble(rows->value(QStringLiteral("FaPiao"))) != 0)
                m.invoice = InvoiceRun{RecordedInvoice::fromValues(rows->value(QStringLiteral("YuanFaPiaoBianHao")),
                                                                   rows->value(QStringLiteral("YuanKaiPiaoRiQi")),
                                                                   rows->value(QStringLiteral("YuanFaPiaoJinE")),
                                                                   rows->value(QStringLiteral("YuanZNJ"))),
                                       amountOf(rows->value(QStringLiteral("FaPiaoJinE"))),
                                       amountOf(rows->value(QStringLiteral("ZNJ")))};
            out << m;
        }
        const QVariant date = rows->value(QStringLiteral("KaiPiaoRiQi"));
        out.last().rows << lateFeeLedger::InvoiceRow{rows->value(QStringLiteral("FaPiaoBianHao")).toString(),
                                                     date.isNull() ? QDate() : date.toDate()};
    }
    return out;
}

void RunMarks::takeOutEarlier(const QStringList& tables, const std::function<bool(const Marked&)>& stands)
{
    db::inTransaction(print_, [&] {
        for (const Marked& m : listed(print_)) {
            if ((stands && stands(m)) || !ledgers_.holds(m.enterprise))
                continue;
            const QString ledger = ledgers_.table(m.enterprise);
            for (const lateFeeLedger::InvoiceRow& row : m.rows)
                print_.execute(QStringLiteral("Update %1 Set ZNJYiShou = 0 Where ZNJYiShou <> 0 AND %2")
                                   .arg(ledger, lateFeeLedger::invoiceRowCondition()),
                               lateFeeLedger::invoiceRowParams(row.number, row.date));
        }
        print_.execute(QStringLiteral("Delete from %1").arg(listTable));
        for (const QString& table : tables)
            print_.execute(QStringLiteral("Delete from %1").arg(db::quoteIdentifier(table)));
    });
}

void RunMarks::add(const Marked& marked)
{
    if (marked.rows.isEmpty())
        return;
    const InvoiceRun none;
    const InvoiceRun& invoice = marked.invoice ? *marked.invoice : none;
    if (!insert_)
        insert_ = std::make_unique<db::PreparedStatement>(
            print_,
            QStringLiteral("Insert into %1 (DanWeiBianHao, FaPiaoBianHao, KaiPiaoRiQi, FaPiao, "
                           "YuanFaPiaoBianHao, YuanKaiPiaoRiQi, YuanFaPiaoJinE, YuanZNJ, FaPiaoJinE, ZNJ) "
                           "values (?, ?, ?, ?, ?, ?, ?, ?, ?, ?)")
                .arg(listTable));
    for (const lateFeeLedger::InvoiceRow& row : marked.rows)
        insert_->run({marked.enterprise, row.number, stored(row.date), marked.invoice ? 1 : 0, invoice.before.number,
                      stored(invoice.before.date), stored(invoice.before.amount), stored(invoice.before.lateFee),
                      stored(invoice.amount), stored(invoice.lateFee)});
}

} // namespace lateFeeMarks
