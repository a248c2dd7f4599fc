#pragma once
// A connection to one database file, opened by its name in the data folder or by its path. Each file is
// an SQLite database; the connection keeps Jet's behaviour the stored data relies on: text compared
// without regard to case, yes/no as booleans, currency exact, dates as ISO text.
//
// The SQLite handle is opened on first use and may be closed by the file layer when the file is about
// to be copied, renamed, deleted or compacted; the next use opens it again.
#include "platform/db/error.h"
#include "platform/db/schema.h"

#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVariantList>
#include <memory>

struct sqlite3;

namespace db {

class Recordset;
struct ConnectionState;

// ForwardOnly: read-only rows streamed from the query, for reports and statistics that read each row
// once from first to last (see Recordset).
enum class LockType { ReadOnly, Optimistic, BatchOptimistic, ForwardOnly };

// A file of the data folder by its name ("qelvdw.mdb"), matched without regard to case.
struct DataFile {
    QString name;
};

class Connection {
public:
    Connection();
    // Opens at once; throws db::Error when the file does not exist or is no database.
    explicit Connection(const DataFile& file);
    ~Connection();
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    void open(const DataFile& file);
    // Opens the database file at an absolute path.
    void openPath(const QString& path);
    void close();
    bool isOpen() const;
    // Absolute path of the file, as resolved (case-insensitively) at open.
    QString path() const;

    // Runs one statement with `?` parameters bound in order; returns the rows changed.
    // Values: QString, numbers, bool (1/0), QDate/QDateTime (ISO text), convert::Currency, null QVariant.
    int execute(const QString& sql, const QVariantList& params = {});
    // Runs a query and returns its first column of its first row (null when no row).
    QVariant scalar(const QString& sql, const QVariantList& params = {});
    // Opens a static client-side recordset over a query. A single-table query gives an updatable
    // recordset (unless `lock` is ReadOnly); any other query a read-only one.
    std::unique_ptr<Recordset> openRecordset(const QString& sql, const QVariantList& params = {},
                                             LockType lock = LockType::Optimistic);

    // Attaches another database file under `schema` until detach() or the connection's end: statements
    // name its tables "schema"."table", and one transaction of the connection spans every attached
    // file and commits them together, all or nothing (SQLite commits several files through a
    // super-journal, so a crash leaves all of them before or all after). The attached file is marked
    // in use as a connection of its own is, and is let go of with this connection's handle. Throws
    // db::Error when the file is missing or no database, or inside a transaction.
    void attach(const DataFile& file, const QString& schema);
    void attachPath(const QString& path, const QString& schema);
    void detach(const QString& schema);

    // A transaction that writes takes the right to write every file of the connection as it begins
    // (SQLite's reserved lock), waiting while another program writes one of them, as long as for any
    // lock. Taken only at the first write, after a read of the same file, that right could not be
    // waited for: the other program must see the read end before it can finish, so SQLite gives up
    // at once. A transaction that only reads takes its locks as it reads. Nested, either is a
    // savepoint of the transaction already open.
    enum class Access { Write, Read };
    void beginTransaction(Access access = Access::Write);
    void commit();
    void rollback();
    bool inTransaction() const;

    // Schema operations (tables made at run time get the same column types as the shipped files).
    // `schema` names an attached file; empty is the connection's own.
    QStringList tableNames() const;
    // Exact (case-sensitive) or case-insensitive test for a table name.
    bool tableExists(const QString& name, bool exactCase = false, const QString& schema = QString()) const;
    // The table's name as the file spells it (names are matched without regard to case); empty when none.
    QString tableSpelling(const QString& name, const QString& schema = QString()) const;
    QList<ColumnDef> columns(const QString& table) const;
    void createTable(const QString& name, const QList<ColumnDef>& columns, const QString& schema = QString());
    void dropTable(const QString& name, const QString& schema = QString());
    void addColumn(const QString& table, const ColumnDef& column);
    void dropColumn(const QString& table, const QString& column);

    // The raw handle, opened if it was let go of. For the layer's own use and for tests.
    sqlite3* handle() const;
    std::shared_ptr<ConnectionState> state() const { return state_; }

private:
    std::shared_ptr<ConnectionState> state_;
};

// Copies a database file as files::copy does, after playing back a journal that a program killed in the
// middle of a write left beside it: the bytes copied are then the database as SQLite sees it, never
// half of a transaction (the journal does not go with the copy). Throws db::Error or files::Error.
void copyDatabase(const QString& from, const QString& to);

// Quotes a name built at run time as an SQL identifier: WRW0012011 -> "WRW0012011".
QString quoteIdentifier(const QString& name);
// A table of an attached file (or of the connection's own with an empty schema), quoted: "znj"."ZNJ001".
QString qualified(const QString& schema, const QString& table);

} // namespace db
