#pragma once
// A data folder of the test's own with small database files made from SQL, for the database layer's
// tests; and a helper that gives the description of the db::Error an action throws.
#include "platform/db/connection.h"
#include "platform/db/recordset.h"
#include "tests/fixtures/sqlite_probe.h"

#include <QDir>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace dbtest {

// The columns' SQL as the layer makes it, joined for a CREATE TABLE.
inline QString tableSql(const QString& name, const QList<db::ColumnDef>& columns)
{
    QStringList defs;
    for (const db::ColumnDef& c : columns)
        defs << db::columnSql(c);
    return QStringLiteral("CREATE TABLE %1 (%2);").arg(db::quoteIdentifier(name), defs.join(QStringLiteral(", ")));
}

// Two tables most of the layer's tests use: a keyed text table, and one column of every kind.
inline QList<db::ColumnDef> userColumns()
{
    return {
        {QStringLiteral("UserName"), db::ColumnType::Text, 50, true, true, {}},
        {QStringLiteral("PassWord"), db::ColumnType::Text, 50, false, false, {}},
    };
}

inline QList<db::ColumnDef> kindColumns(bool withMemo)
{
    QList<db::ColumnDef> columns = {
        {QStringLiteral("ID"), db::ColumnType::Counter, 0, false, false, {}},
        {QStringLiteral("Code"), db::ColumnType::Text, 4, false, false, {}},
        {QStringLiteral("B"), db::ColumnType::Byte, 0, false, false, {}},
        {QStringLiteral("S"), db::ColumnType::Short, 0, false, false, {}},
        {QStringLiteral("L"), db::ColumnType::Long, 0, false, false, {}},
        {QStringLiteral("F"), db::ColumnType::Single, 0, false, false, {}},
        {QStringLiteral("D"), db::ColumnType::Double, 0, false, false, {}},
        {QStringLiteral("M"), db::ColumnType::Currency, 0, false, false, 0},
        {QStringLiteral("Y"), db::ColumnType::YesNo, 0, true, false, false},
        {QStringLiteral("T"), db::ColumnType::DateTime, 0, false, false, {}},
    };
    if (withMemo)
        columns.append({QStringLiteral("Memo"), db::ColumnType::Memo, 0, false, false, {}});
    return columns;
}

template <typename F> QString dbError(F&& f)
{
    try {
        f();
    } catch (const db::Error& e) {
        return e.description();
    }
    return QStringLiteral("<no error>");
}

class DataFolderTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        QDir(dir.path()).mkpath(QStringLiteral("Data"));
    }
    QString file(const QString& name) const { return dir.path() + QStringLiteral("/Data/") + name; }
    // Makes the file (directly, as the build makes the shipped files: the layer never creates one).
    QString make(const QString& name, const QString& sql) const
    {
        fixtures::exec(file(name), sql);
        return file(name);
    }

    QTemporaryDir dir;
};

} // namespace dbtest
