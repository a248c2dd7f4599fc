// What SQLite does with every read of one enterprise's rows in a month's invoice run, on files made
// before their templates carried the lookup indexes: each is a search through an index, never a scan of
// the whole table, which over a county would make the run grow with its square.
#include "qelv/core/lookup_indexes.h"
#include "qelv/invoicing/FPForm.h"
#include "qelv/invoicing/invoice_generator.h"
#include "tests/fixtures/sqlite_probe.h"
#include "tests/invoicing/month_fixture.h"

#include <QRegularExpression>
#include <gtest/gtest.h>
#include <sqlite3.h>

namespace {

int traced(unsigned type, void* list, void* statement, void*)
{
    if (type == SQLITE_TRACE_STMT)
        static_cast<QStringList*>(list)->append(QString::fromUtf8(sqlite3_sql(static_cast<sqlite3_stmt*>(statement))));
    return 0;
}

void trace(db::Connection& c, QStringList* statements)
{
    sqlite3_trace_v2(c.handle(), SQLITE_TRACE_STMT, traced, statements);
}

// The full-table scans SQLite plans for a statement: "SCAN MX", ...
QStringList scans(db::Connection& c, const QString& sql)
{
    QStringList out;
    sqlite3_stmt* st = nullptr;
    const QByteArray text = (QStringLiteral("EXPLAIN QUERY PLAN ") + sql).toUtf8();
    if (sqlite3_prepare_v2(c.handle(), text.constData(), -1, &st, nullptr) != SQLITE_OK)
        return {QStringLiteral("cannot plan: ") + QString::fromUtf8(sqlite3_errmsg(c.handle()))};
    while (sqlite3_step(st) == SQLITE_ROW) {
        const QString detail = QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st, 3)));
        if (detail.startsWith(QStringLiteral("SCAN ")))
            out << detail;
    }
    sqlite3_finalize(st);
    return out;
}

// The statements that pick rows of an indexed table by the enterprise's number.
bool readsOneEnterprise(const QString& sql)
{
    static const QRegularExpression byNumber(QStringLiteral("\\bwhere\\b.*\\bDanWeiBianHao\\s*="),
                                             QRegularExpression::CaseInsensitiveOption);
    if (!byNumber.match(sql).hasMatch())
        return false;
    for (const QString& table : lookupIndexes::tables())
        if (QRegularExpression(QStringLiteral("\\b(from|update)\\s+\"?%1\"?\\s").arg(table),
                               QRegularExpression::CaseInsensitiveOption)
                .match(sql)
                .hasMatch())
            return true;
    return false;
}

class LookupPlan : public fixtures::InvoiceMonth { };

} // namespace

TEST_F(LookupPlan, EveryReadOfOneEnterpriseInAnInvoiceRunGoesThroughAnIndex)
{
    for (int e = 1; e <= 3; ++e) {
        const QString number = QStringLiteral("000%1").arg(e);
        enterprise(number, QStringLiteral("单位%1").arg(e));
        assign(number, QStringLiteral("W1"), QStringLiteral("COD"), 1, 1, QStringLiteral("废水"), "120.00");
    }
    // The files as copies of an earlier program made them.
    for (const auto& [file, tables] :
         {std::pair{dataFiles::billing(2003), QStringList{QStringLiteral("KPKZK")}},
          std::pair{QString::fromLatin1(dataFiles::enterprises), QStringList{QStringLiteral("dwwrw")}},
          std::pair{dataFiles::monthInvoices(Module1::gWorkMonth),
                    QStringList{QStringLiteral("KPDW"), QStringLiteral("MX")}}})
        for (const QString& t : tables)
            fixtures::exec(folder->data(file),
                           QStringLiteral("DROP INDEX IF EXISTS \"%1\"").arg(lookupIndexes::indexName(t)));

    QStringList statements;
    auto files = invoicing::RunFiles::open(Module1::gWorkMonth);
    for (db::Connection* c : {&files->enterprises, &files->print, &files->billing})
        trace(*c, &statements);
    invoicing::InvoiceGenerator generator(*files, invoicing::RunState::fromModule1());
    const auto result =
        generator.run({{QStringLiteral("0001")}, {QStringLiteral("0002")}, {QStringLiteral("0003")}}, false);
    ASSERT_EQ(result.invoices, 3);
    invoicing::FPForm report;
    report.DataReport_Initialize();
    const report::Document document =
        report.renderInvoices(files->print, {QStringLiteral("0001"), QStringLiteral("0002"), QStringLiteral("0003")});
    ASSERT_EQ(document.pages.size(), 3u);

    statements.removeDuplicates();
    int lookups = 0;
    for (const QString& sql : std::as_const(statements)) {
        if (!readsOneEnterprise(sql))
            continue;
        ++lookups;
        db::Connection& on = sql.contains(QStringLiteral("KPKZK"), Qt::CaseInsensitive) ? files->billing
            : sql.contains(QStringLiteral("dwwrw"), Qt::CaseInsensitive)                ? files->enterprises
                                                                                        : files->print;
        EXPECT_EQ(scans(on, sql), QStringList()) << sql.toStdString();
    }
    // The billing row of each invoice, and the header and the lines each page reads.
    EXPECT_GE(lookups, 3);
}
