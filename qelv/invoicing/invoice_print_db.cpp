#include "qelv/invoicing/invoice_print_db.h"

#include "platform/db/connection.h"
#include "platform/error/error.h"
#include "platform/files/files.h"
#include "qelv/core/data_files.h"

#include <QVariant>
#include <exception>
#include <optional>

namespace invoicing {

const char* const replaceGeneratedQuestion =
    "本月的发票打印文件中有已生成的发票。重新生成发票结构将删除这些发票，之后需要重新生成。是否继续？";

namespace {

QString dataPath(const char* name)
{
    return files::dataFile(QString::fromLatin1(name));
}

db::ColumnDef textColumn(const QString& name, int size)
{
    db::ColumnDef c;
    c.name = name;
    c.type = db::ColumnType::Text;
    c.size = size;
    return c;
}

void appendFields(QList<db::ColumnDef>& columns, const QList<LayoutField>& fields)
{
    for (const LayoutField& f : fields)
        columns << textColumn(f.name.toString(), 100);
}

// Whether the file holds rows in either print table. A file that cannot be read may hold anything,
// so it counts as holding invoices: the operator is asked before it is replaced.
bool holdsInvoices(const QString& path)
{
    try {
        db::Connection conn;
        conn.openPath(path);
        for (const char* table : {"KPDW", "MX"})
            if (conn.tableExists(QString::fromLatin1(table)) &&
                conn.scalar(QStringLiteral("select count(*) from %1").arg(QString::fromLatin1(table))).toLongLong() > 0)
                return true;
        return false;
    } catch (const std::exception&) {
        return true;
    }
}

void removeIfThere(const QString& path)
{
    try {
        if (files::exists(path))
            files::remove(path);
    } catch (const std::exception&) {
        // A transient left behind is taken away by the next rebuild.
    }
}

// The new file becomes the month's file and, copied, the template. When the template cannot take it,
// the month's file is put back as it was (kept aside meanwhile) and the failure is passed on.
void putInPlace(const QString& fresh, const QString& month, const QString& templ)
{
    const QString kept = dataPath(dataFiles::printFileKept);
    const bool monthExisted = files::exists(month);
    if (monthExisted)
        files::copy(month, kept);
    try {
        files::replace(fresh, month);
    } catch (...) {
        removeIfThere(kept);
        throw;
    }
    try {
        files::copy(month, templ);
    } catch (const std::exception& e) {
        QString why = platform::describe(e);
        try {
            if (monthExisted)
                files::replace(kept, month);
            else
                files::remove(month);
        } catch (const std::exception& back) {
            why += QStringLiteral("\n本月的发票打印文件无法恢复：%1").arg(platform::describe(back));
            if (monthExisted)
                why += QStringLiteral("\n原文件保存为 %1。").arg(kept);
        }
        throw platform::Error(why);
    }
    removeIfThere(kept);
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
    const QString month = files::dataFile(dataFiles::monthInvoices(workMonth));
    const QString templ = dataPath(dataFiles::invoiceTemplate);
    const QString fresh = dataPath(dataFiles::printTablesTransient);
    try {
        InvoiceLayout layout;
        layout.fields = InvoiceLayout::readFields(layoutFile);
        const QStringList problems = layoutProblems(layout, LayoutUse::PrintTables);
        if (!problems.isEmpty()) {
            errors(problems.join(QLatin1Char('\n')) + QStringLiteral("\n发票结构没有生成。"));
            return false;
        }
        const QString blank = dataPath(dataFiles::blankDatabase);
        if (!files::exists(blank))
            throw files::Error(QStringLiteral("文件未找到：%1").arg(blank));
        if (files::exists(month) && holdsInvoices(month) &&
            !confirmReplace(QString::fromUtf8(replaceGeneratedQuestion)))
            return false;

        // Both tables in a file of their own first: until it is complete nothing else changes.
        removeIfThere(fresh);
        files::copy(blank, fresh);
        {
            db::Connection conn;
            conn.openPath(fresh);
            conn.beginTransaction();
            conn.createTable(QStringLiteral("KPDW"), headerColumns(layout));
            conn.createTable(QStringLiteral("MX"), lineColumns(layout));
            conn.commit();
        }

        // No other process may take either file while they are exchanged, nor while the month's file
        // is put back.
        const files::ExclusiveUse monthUse(month);
        const files::ExclusiveUse templateUse(templ);
        putInPlace(fresh, month, templ);
        return true;
    } catch (const std::exception& e) {
        removeIfThere(fresh);
        errors(platform::describe(e) + QStringLiteral("\n发票结构没有生成。"));
        return false;
    }
}

} // namespace invoicing
