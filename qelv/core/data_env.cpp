#include "qelv/core/data_env.h"

#include "platform/db/connection.h"
#include "platform/db/related_recordsets.h"
#include "platform/files/files.h"
#include "platform/report/report_data.h"
#include "qelv/core/Module1.h"
#include "qelv/core/data_files.h"
#include "qelv/core/lookup_indexes.h"

#include <QDate>
#include <array>

namespace {

struct ConnectionDef {
    const char* name;
    QString (*monthFile)(const QDate& month);
    const char* fallback;
};

QString yearFile(const QDate& month)
{
    return dataFiles::billing(month.year());
}

const std::array<ConnectionDef, 4> kConnections{{
    {"Conn", dataFiles::monthInvoices, dataFiles::invoiceTemplate},
    {"Conn2", dataFiles::monthCollections, dataFiles::collectionTemplate},
    {"conn3", dataFiles::monthFeeList, dataFiles::feeListTemplate},
    {"Conn4", yearFile, dataFiles::billingTemplate},
}};

struct CommandDef {
    const char* name;
    int connection; // index into kConnections
    const char* table;
    const char* child = nullptr; // the child command, related on DanWeiBianHao
    const char* childTable = nullptr;
};

const std::array<CommandDef, 4> kCommands{{
    {"Command1", 0, "KPDW", "Command2", "MX"},
    {"Command3", 1, "WTDW"},
    {"Command4", 2, "dw", "Command5", "ShuJu"},
    {"Command6", 3, "tjk"},
}};

const char* const kRelateField = "DanWeiBianHao";

int connectionIndex(const QString& name)
{
    for (std::size_t i = 0; i < kConnections.size(); ++i)
        if (name.compare(QLatin1String(kConnections[i].name), Qt::CaseInsensitive) == 0)
            return int(i);
    throw DataEnv::Error(QStringLiteral("数据环境中没有连接：%1").arg(name));
}

QString selectAll(const char* table)
{
    return QStringLiteral("SELECT * FROM %1").arg(db::quoteIdentifier(QString::fromLatin1(table)));
}

DataEnv* gLoaded = nullptr;

} // namespace

struct DataEnv::Impl {
    std::array<QString, 4> files;
    std::array<std::unique_ptr<db::Connection>, 4> connections;
};

DataEnv::DataEnv()
    : d(std::make_unique<Impl>())
{
    const QDate month = Module1::gWorkMonth;
    for (std::size_t i = 0; i < kConnections.size(); ++i) {
        const QString ofMonth = kConnections[i].monthFile(month);
        // The test and the connection both go through the data folder, so they name the same file.
        d->files[i] = files::exists(files::dataFile(ofMonth)) ? ofMonth : QString::fromLatin1(kConnections[i].fallback);
    }
}

DataEnv::~DataEnv() = default;

QStringList DataEnv::connectionNames()
{
    QStringList names;
    for (const ConnectionDef& c : kConnections)
        names << QString::fromLatin1(c.name);
    return names;
}

QString DataEnv::fileOf(const QString& connection) const
{
    return d->files[connectionIndex(connection)];
}

bool DataEnv::isOpen(const QString& connection) const
{
    const auto& c = d->connections[connectionIndex(connection)];
    return c && c->isOpen();
}

db::Connection& DataEnv::connection(const QString& connection)
{
    const int i = connectionIndex(connection);
    if (!d->connections[i]) {
        d->connections[i] = std::make_unique<db::Connection>(db::DataFile{d->files[i]});
        lookupIndexes::ensure(*d->connections[i]);
    }
    return *d->connections[i];
}

QStringList DataEnv::commandNames()
{
    QStringList names;
    for (const CommandDef& c : kCommands) {
        names << QString::fromLatin1(c.name);
        if (c.child)
            names << QString::fromLatin1(c.child);
    }
    names.sort();
    return names;
}

std::unique_ptr<report::RowSource> DataEnv::command(const QString& name)
{
    for (const CommandDef& c : kCommands) {
        if (c.child && name.compare(QLatin1String(c.child), Qt::CaseInsensitive) == 0)
            throw Error(QStringLiteral("命令 %1 是 %2 的子命令，只能随 %2 读取。").arg(name, QLatin1String(c.name)));
        if (name.compare(QLatin1String(c.name), Qt::CaseInsensitive) != 0)
            continue;
        db::Connection& conn = connection(QLatin1String(kConnections[c.connection].name));
        if (!c.child)
            return std::make_unique<report::OwnedRecordsetRows>(
                conn.openRecordset(selectAll(c.table), {}, db::LockType::ReadOnly));
        const QString key = QString::fromLatin1(kRelateField);
        return std::make_unique<report::RelatedRows>(std::make_unique<db::RelatedRecordsets>(
            conn, db::Relation{selectAll(c.table), selectAll(c.childTable), key, key}, db::LockType::ReadOnly));
    }
    throw Error(QStringLiteral("数据环境中没有命令：%1").arg(name));
}

DataEnv& DataEnv::load()
{
    if (!gLoaded)
        gLoaded = new DataEnv;
    return *gLoaded;
}

void DataEnv::unload()
{
    delete gLoaded;
    gLoaded = nullptr;
}

bool DataEnv::isLoaded()
{
    return gLoaded != nullptr;
}
