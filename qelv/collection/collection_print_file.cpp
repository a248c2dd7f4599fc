#include "qelv/collection/collection_print_file.h"

#include "platform/convert/convert.h"
#include "platform/db/connection.h"
#include "platform/db/recordset.h"
#include "platform/error/error.h"
#include "platform/files/files.h"
#include "qelv/core/data_files.h"
#include "qelv/core/print_file_rebuild.h"

#include <QSet>
#include <exception>

namespace collection {

const char* const replaceDocumentsQuestion =
    "本月的委托单打印文件中有已生成的委托单。重新生成委托单结构将删除这些委托单，之后需要重新生成。是否继续？";

namespace {

const char* const notBuilt = "\n委托单结构没有生成。";

using printFiles::dataPath;
using printFiles::textColumn;

QString nameOf(const CollectionField& f)
{
    return f.name.isNull() ? QString() : f.name.toString();
}

} // namespace

QList<CollectionField> readCollectionFields(db::Connection& layoutFile)
{
    QList<CollectionField> fields;
    auto rs = layoutFile.openRecordset(QStringLiteral("Select * from wt Where ZiDuanBiaoQian = ? Order by ID"),
                                       {QStringLiteral("字段")}, db::LockType::ReadOnly);
    for (; !rs->isEOF(); rs->moveNext()) {
        const QVariant id = rs->value(QStringLiteral("ID"));
        fields << CollectionField{id.isNull() ? 0 : convert::toInt32(convert::toDouble(id)),
                                  rs->value(QStringLiteral("Name"))};
    }
    return fields;
}

QStringList collectionFieldProblems(const QList<CollectionField>& fields)
{
    if (fields.isEmpty())
        return {QStringLiteral("委托单格式中没有“字段”类型的行。")};
    QStringList problems;
    QSet<QString> seen;
    for (const CollectionField& f : fields) {
        const QString name = nameOf(f);
        if (name.trimmed().isEmpty()) {
            problems << QStringLiteral("委托单格式第 %1 号字段没有名称。").arg(f.id);
            continue;
        }
        const QString lower = name.toLower();
        if (lower == QLatin1String("danweibianhao"))
            problems << QStringLiteral("委托单格式的字段不能叫“%1”：这一列由程序自己加上。").arg(name);
        else if (seen.contains(lower))
            problems << QStringLiteral("委托单格式的字段中“%1”出现了不止一次。").arg(name);
        seen.insert(lower);
    }
    return problems;
}

QList<db::ColumnDef> collectionColumns(const QList<CollectionField>& fields)
{
    QList<db::ColumnDef> columns{textColumn(QStringLiteral("DanWeiBianHao"), 50)};
    for (const CollectionField& f : fields)
        columns << textColumn(nameOf(f), 100);
    return columns;
}

bool RebuildCollectionPrintTables(db::Connection& layoutFile, const QDate& workMonth,
                                  const printFiles::Confirm& confirmReplace, const ErrorSink& errors)
{
    try {
        const QList<CollectionField> fields = readCollectionFields(layoutFile);
        const QStringList problems = collectionFieldProblems(fields);
        if (!problems.isEmpty()) {
            errors(problems.join(QLatin1Char('\n')) + QString::fromUtf8(notBuilt));
            return false;
        }
        printFiles::Rebuild r;
        r.month = files::dataFile(dataFiles::monthCollections(workMonth));
        r.templ = dataPath(dataFiles::collectionTemplate);
        r.transient = dataPath(dataFiles::collectionTablesTransient);
        r.kept = dataPath(dataFiles::collectionFileKept);
        r.documentTables = {QStringLiteral("WTDW")};
        r.replaceQuestion = QString::fromUtf8(replaceDocumentsQuestion);
        r.makeTables = [&fields](db::Connection& conn) {
            conn.createTable(QStringLiteral("WTDW"), collectionColumns(fields));
        };
        return printFiles::rebuild(r, confirmReplace);
    } catch (const std::exception& e) {
        errors(platform::describe(e) + QString::fromUtf8(notBuilt));
        return false;
    }
}

} // namespace collection
