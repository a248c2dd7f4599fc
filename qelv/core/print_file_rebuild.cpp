#include "qelv/core/print_file_rebuild.h"

#include "platform/db/connection.h"
#include "platform/error/error.h"
#include "platform/files/files.h"
#include "qelv/core/data_files.h"
#include "qelv/core/lookup_indexes.h"

#include <exception>

namespace printFiles {

namespace {

void removeIfThere(const QString& path)
{
    try {
        if (files::exists(path))
            files::remove(path);
    } catch (const std::exception&) {
        // A transient left behind is taken away by the next rebuild.
        platform::warnDropped("print file rebuild: removing a transient file");
    }
}

// The new file becomes the month's file and, copied, the template. When the template cannot take it,
// the month's file is put back as it was (kept aside meanwhile) and the failure is passed on.
void putInPlace(const Rebuild& r)
{
    const bool monthExisted = files::exists(r.month);
    if (monthExisted)
        files::copy(r.month, r.kept);
    try {
        files::replace(r.transient, r.month);
    } catch (...) {
        removeIfThere(r.kept);
        throw;
    }
    try {
        files::copy(r.month, r.templ);
    } catch (const std::exception& e) {
        QString why = platform::describe(e);
        try {
            if (monthExisted)
                files::replace(r.kept, r.month);
            else
                files::remove(r.month);
        } catch (const std::exception& back) {
            why += QStringLiteral("\n本月的打印文件无法恢复：%1").arg(platform::describe(back));
            if (monthExisted)
                why += QStringLiteral("\n原文件保存为 %1。").arg(r.kept);
        }
        throw platform::Error(why);
    }
    removeIfThere(r.kept);
}

} // namespace

bool holdsRows(const QString& path, const QStringList& tables)
{
    try {
        db::Connection conn;
        conn.openPath(path);
        for (const QString& table : tables)
            if (conn.tableExists(table) &&
                conn.scalar(QStringLiteral("select count(*) from %1").arg(db::quoteIdentifier(table))).toLongLong() > 0)
                return true;
        return false;
    } catch (const std::exception&) {
        platform::warnDropped("print file: reading whether it holds rows");
        return true;
    }
}

bool rebuild(const Rebuild& r, const Confirm& confirm)
{
    try {
        const QString blank = dataPath(dataFiles::blankDatabase);
        if (!files::exists(blank))
            throw files::Error(QStringLiteral("文件未找到：%1").arg(blank));
        if (files::exists(r.month) && holdsRows(r.month, r.documentTables) && !confirm(r.replaceQuestion))
            return false;

        // The tables in a file of their own first: until it is complete nothing else changes.
        removeIfThere(r.transient);
        files::copy(blank, r.transient);
        {
            db::Connection conn;
            conn.openPath(r.transient);
            conn.beginTransaction();
            r.makeTables(conn);
            lookupIndexes::create(conn);
            conn.commit();
        }

        // No other process may take either file while they are exchanged, nor while the month's file
        // is put back.
        const files::ExclusiveUse monthUse(r.month);
        const files::ExclusiveUse templateUse(r.templ);
        putInPlace(r);
        return true;
    } catch (...) {
        removeIfThere(r.transient);
        throw;
    }
}

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

} // namespace printFiles
