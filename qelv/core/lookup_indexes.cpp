#include "qelv/core/lookup_indexes.h"

#include "platform/db/connection.h"
#include "platform/error/error.h"
#include "platform/files/files.h"

#include <QFile>
#include <QSet>
#include <sys/stat.h>

namespace lookupIndexes {

namespace {

const char* const keyColumn = "DanWeiBianHao";

bool needsIndex(db::Connection& file, const QString& table)
{
    const QString column = QString::fromLatin1(keyColumn);
    // A table the file lacks has no columns here.
    if (file.scalar(QStringLiteral("select count(*) from pragma_table_info(?) where name = ? collate nocase"),
                    {table, column})
            .toInt() == 0)
        return false;
    return file.scalar(QStringLiteral("select count(*) from pragma_index_list(?) as l, pragma_index_info(l.name) as i "
                                      "where i.seqno = 0 and i.name = ? collate nocase"),
                       {table, column})
               .toInt() == 0;
}

// The file as the disk knows it: its name, and which file is under it now.
QString identity(const QString& path)
{
    struct stat st { };
    if (::stat(QFile::encodeName(path).constData(), &st) != 0)
        return QString();
    return QStringLiteral("%1|%2|%3").arg(files::trackingKey(path)).arg(st.st_dev).arg(st.st_ino);
}

QSet<QString>& seen()
{
    static QSet<QString> files;
    return files;
}

} // namespace

QStringList tables()
{
    return {QStringLiteral("KPKZK"), QStringLiteral("dwwrw"),         QStringLiteral("KPDW"), QStringLiteral("MX"),
            QStringLiteral("tzdw"),  QStringLiteral("WuRanWuMingXi"), QStringLiteral("ShuJu")};
}

QString indexName(const QString& table)
{
    return table + QLatin1Char('_') + QString::fromLatin1(keyColumn);
}

void create(db::Connection& file)
{
    for (const QString& table : tables())
        if (needsIndex(file, table))
            file.execute(QStringLiteral("CREATE INDEX IF NOT EXISTS %1 ON %2 (%3)")
                             .arg(db::quoteIdentifier(indexName(table)), db::quoteIdentifier(table),
                                  db::quoteIdentifier(QString::fromLatin1(keyColumn))));
}

void ensure(db::Connection& file)
{
    if (!file.isOpen() || file.inTransaction())
        return;
    const QString id = identity(file.path());
    if (id.isEmpty() || seen().contains(id))
        return;
    try {
        create(file);
    } catch (const std::exception&) {
        // Tried again the next time the file is opened.
        platform::warnDropped("lookup indexes: making an index");
        return;
    }
    // Made now, the index changed the file, but not which file it is.
    seen().insert(id);
}

} // namespace lookupIndexes
