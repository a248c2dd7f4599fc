#include "qelv/invoicing/invoice_print_db.h"

#include "platform/db/connection.h"
#include "platform/error/error.h"
#include "platform/files/files.h"
#include "qelv/core/data_files.h"
#include "qelv/core/print_file_rebuild.h"

#include <QVariant>
#include <exception>

namespace invoicing {

const char* const replaceGeneratedQuestion =
    "本月的发票打印文件中有已生成的发票。重新生成发票结构将删除这些发票，之后需要重新生成。是否继续？";

namespace {

using printFiles::dataPath;
using printFiles::textColumn;

void appendFields(QList<db::ColumnDef>& columns, const QList<LayoutField>& fields)
{
    for (const LayoutField& f : fields)
        columns << textColumn(f.name.toString(), 100);
}

} // namespace

bool EnsureMonthFile(const QDate& workMonth, const ErrorSink& errors)
{
    try {
        const QString month = files::dataFile(dataFiles::monthInvoices(workMonth));
        if (!files::exists(month))
            files::copy(dataPath(dataFiles::invoiceTemplate), month);
        return true;
    } catch (const std::exception& e) {
        errors(platform::describe(e));
        return false;
    }
}

QList<db::ColumnDef> headerColumns(const InvoiceLayout& layout)
{
    QList<db::ColumnDef> columns{textColumn(QStringLiteral("DanWeiBianHao"), 50)};
    appendFields(columns, layout.fieldsOf({Header, Footer}));
    return columns;
}

QList<db::ColumnDef> lineColumns(const InvoiceLayout& layout)
{
    db::ColumnDef id;
    id.name = QStringLiteral("ID");
    id.type = db::ColumnType::Short;
    QList<db::ColumnDef> columns{id, textColumn(QStringLiteral("DanWeiBianHao"), 50)};
    appendFields(columns, layout.fieldsOf({Line}));
    return columns;
}

bool RebuildPrintTables(db::Connection& layoutFile, const QDate& workMonth, const Confirm& confirmReplace,
                        const ErrorSink& errors)
{
    try {
        InvoiceLayout layout;
        layout.fields = InvoiceLayout::readFields(layoutFile);
        const QStringList problems = layoutProblems(layout, LayoutUse::PrintTables);
        if (!problems.isEmpty()) {
            errors(problems.join(QLatin1Char('\n')) + QStringLiteral("\n发票结构没有生成。"));
            return false;
        }
        printFiles::Rebuild r;
        r.month = files::dataFile(dataFiles::monthInvoices(workMonth));
        r.templ = dataPath(dataFiles::invoiceTemplate);
        r.transient = dataPath(dataFiles::printTablesTransient);
        r.kept = dataPath(dataFiles::printFileKept);
        r.documentTables = {QStringLiteral("KPDW"), QStringLiteral("MX")};
        r.replaceQuestion = QString::fromUtf8(replaceGeneratedQuestion);
        r.makeTables = [&layout](db::Connection& conn) {
            conn.createTable(QStringLiteral("KPDW"), headerColumns(layout));
            conn.createTable(QStringLiteral("MX"), lineColumns(layout));
        };
        return printFiles::rebuild(r, confirmReplace);
    } catch (const std::exception& e) {
        errors(platform::describe(e) + QStringLiteral("\n发票结构没有生成。"));
        return false;
    }
}

} // namespace invoicing
