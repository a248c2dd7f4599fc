#include "qelv/assessment/discharge_tables.h"

#include "platform/db/connection.h"
#include "platform/db/recordset.h"
#include "platform/db/transaction.h"
#include "platform/error/error.h"
#include "platform/files/files.h"
#include "platform/settings/settings.h"
#include "qelv/assessment/formula_tokens.h"
#include "qelv/core/data_files.h"

#include <QHash>

namespace discharge {

namespace {

const char* const feeColumns[] = {"收费金额", "加倍收费", "提高收费"};
const char* const ownItemColumn = "是否单独列为收费项目";

db::ColumnDef column(const QString& name, db::ColumnType type)
{
    db::ColumnDef c;
    c.name = name;
    c.type = type;
    return c;
}

QString outletText(const QVariant& outlet)
{
    return outlet.isNull() ? QString() : QString::number(outlet.toLongLong());
}

// Numbers are compared as the text columns compare them, without regard to case.
QString keyOf(const QString& number)
{
    return number.toCaseFolded();
}

// The formula variables of each pollutant, each read once.
class VariableCache {
public:
    explicit VariableCache(db::Connection& pollutants)
        : pollutants_(pollutants)
    {
    }
    const QStringList& of(const QString& pollutant)
    {
        const QString key = keyOf(pollutant);
        auto it = cache_.find(key);
        if (it == cache_.end())
            it = cache_.insert(key, formulaVariables(readFormulaTokens(pollutants_, pollutant)));
        return *it;
    }

private:
    db::Connection& pollutants_;
    QHash<QString, QStringList> cache_;
};

// The assignments of every enterprise of the register, enterprises in the register's stored order,
// each one's assignments in theirs.
QList<Assignment> assignmentsInOrder(db::Connection& enterprises)
{
    QHash<QString, QList<Assignment>> byEnterprise;
    {
        auto rows = enterprises.openRecordset(
            QStringLiteral("select DanWeiBianHao, WuRanWuBianHao, PaiWuKou from dwwrw order by rowid"), {},
            db::LockType::ReadOnly);
        for (; !rows->isEOF(); rows->moveNext()) {
            Assignment a{rows->value(0).toString(), rows->value(1).toString(), outletText(rows->value(2))};
            byEnterprise[keyOf(a.enterprise)] << a;
        }
    }
    auto register_ = enterprises.openRecordset(QStringLiteral("select DanWeiBianHao from dw order by rowid"), {},
                                               db::LockType::ReadOnly);
    if (register_->recordCount() == 0)
        throw BuildError(QStringLiteral("没有单位，不能创建数据库。"));
    QList<Assignment> all;
    for (; !register_->isEOF(); register_->moveNext())
        all << byEnterprise.value(keyOf(register_->value(0).toString()));
    return all;
}

QString describeAssignment(const Assignment& a)
{
    return QStringLiteral("单位 %1 污染物 %2 排污口 %3（表 %4）")
        .arg(a.enterprise, a.pollutant, a.outlet, tableName(a));
}

} // namespace

QString tableName(const Assignment& assignment)
{
    return QStringLiteral("WRW") + assignment.enterprise + assignment.pollutant + assignment.outlet;
}

QList<db::ColumnDef> columns(const QStringList& variables)
{
    QList<db::ColumnDef> list;
    for (const QString& v : variables)
        list << column(v, db::ColumnType::Currency);
    for (const char* f : feeColumns)
        list << column(QString::fromUtf8(f), db::ColumnType::Currency);
    list << column(QString::fromUtf8(ownItemColumn), db::ColumnType::YesNo);
    return list;
}

void createTable(db::Connection& file, const QString& name, const QStringList& variables)
{
    const QList<db::ColumnDef> cols = columns(variables);
    file.createTable(name, cols);
    QStringList zeros;
    for (qsizetype i = 0; i < cols.size(); ++i)
        zeros << QStringLiteral("0");
    file.execute(
        QStringLiteral("INSERT INTO %1 VALUES (%2)").arg(db::quoteIdentifier(name), zeros.join(QLatin1Char(','))));
}

bool ensureTable(db::Connection& file, db::Connection& pollutants, const Assignment& assignment)
{
    const QString name = tableName(assignment);
    if (file.tableExists(name))
        return false;
    const QStringList variables = formulaVariables(readFormulaTokens(pollutants, assignment.pollutant));
    db::inTransaction(file, [&] { createTable(file, name, variables); });
    return true;
}

int buildTemplate(db::Connection& enterprises, db::Connection& pollutants)
{
    const QList<Assignment> all = assignmentsInOrder(enterprises);
    const QString transient = files::dataFile(QString::fromLatin1(dataFiles::dischargeTemplateTransient));
    const QString target = files::dataFile(QString::fromLatin1(dataFiles::dischargeTemplate));
    if (files::exists(transient))
        files::remove(transient);
    files::copy(files::dataFile(QString::fromLatin1(dataFiles::blankDatabase)), transient);

    VariableCache variables(pollutants);
    int made = 0;
    {
        db::Connection out;
        const Assignment* at = nullptr;
        try {
            out.openPath(transient);
            // Every table made rewrites the schema, which for thousands of tables outgrows the default
            // page cache; without room for it each creation reads the schema back from the file.
            out.execute(QStringLiteral("PRAGMA cache_size = -65536"));
            out.beginTransaction();
            for (const Assignment& a : all) {
                at = &a;
                createTable(out, tableName(a), variables.of(a.pollutant));
                ++made;
            }
            at = nullptr;
            out.commit();
            out.close();
        } catch (const std::exception& e) {
            try {
                if (out.isOpen() && out.inTransaction())
                    out.rollback();
                out.close();
                files::remove(transient);
            } catch (const std::exception&) {
                // The transient file is no template; the next build starts it afresh.
                platform::warnDropped("discharge template: removing the unfinished build");
            }
            const QString why = platform::describe(e);
            if (at)
                throw BuildError(QStringLiteral("创建数据库停在%1：%2").arg(describeAssignment(*at), why));
            throw BuildError(QStringLiteral("创建数据库未完成：%1").arg(why));
        }
    }
    files::replace(transient, target);
    settings::save(QStringLiteral("ModifyDataGS"), QStringLiteral("0"));
    return made;
}

} // namespace discharge
