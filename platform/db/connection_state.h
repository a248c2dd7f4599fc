#pragma once
// The shared state of one connection: the file, its SQLite handle (opened on demand, let go of when the
// file layer asks) and its transaction depth. A connection and the recordsets opened on it share it,
// so a recordset keeps its connection alive. For the layer's own use.
#include "platform/files/files.h"

#include <QByteArray>
#include <QString>
#include <memory>
#include <string>
#include <vector>

struct sqlite3;
struct sqlite3_stmt;

namespace db {

class WriteGuard;
struct ConnectionState;

// A file attached to a connection (see Connection::attach): marked in use as a holder of its own, and
// let go of with the connection's handle, through which it is open.
struct AttachedFile : files::HandleHolder {
    AttachedFile(ConnectionState& owner, QString schema, QString path);
    void releaseHandle() override;
    ConnectionState& owner;
    const QString schema;
    const QString path;
};

struct ConnectionState : files::HandleHolder {
    explicit ConnectionState(const QString& path);
    ~ConnectionState() override;

    // The handle, opened when it has been let go of. Throws db::Error when the connection is closed or
    // the file cannot be opened (it is never created).
    sqlite3* handle();
    // Closes the handle unless a transaction or a statement is in progress (files::Error then).
    void releaseHandle() override;
    // Ends the connection for good: a transaction still open is rolled back.
    void close();
    bool inTransaction() const;

    // Prepared statements kept for reuse, most recently used last (see Statement), found by the hash
    // of their text first: many texts differ only in a table's name of one length. Finalised before
    // the handle is closed.
    struct Cached {
        QString sql;
        std::size_t hash;
        sqlite3_stmt* stmt;
    };
    std::vector<Cached> statements;
    sqlite3_stmt* takeStatement(const QString& sql, std::size_t hash);
    void keepStatement(const QString& sql, std::size_t hash, sqlite3_stmt* stmt);
    void dropStatements();
    // The binding buffers of statements gone, for the next ones (see Statement): a statement run
    // once a row then allocates nothing of its own.
    struct Scratch {
        std::vector<QByteArray> bound;
        std::string text;
        std::vector<std::pair<std::size_t, int>> texts;
    };
    std::vector<Scratch> scratch;

    // Attached again, in this order, whenever the handle is opened anew.
    std::vector<std::unique_ptr<AttachedFile>> attached;
    // Attaches the file to the open handle (not recorded); throws db::Error.
    void attachTo(sqlite3* h, const AttachedFile& file);

    const QString path;
    sqlite3* db = nullptr;
    std::unique_ptr<WriteGuard> guard; // lives as long as the handle (see write_guard.h)
    bool closed = false;
    int transactionDepth = 0; // nested levels beyond the first are savepoints
    int busy = 0; // statements running now
};

// Marks a statement in progress for as long as it lives.
struct BusyGuard {
    explicit BusyGuard(ConnectionState& s)
        : state(s)
    {
        ++state.busy;
    }
    ~BusyGuard() { --state.busy; }
    BusyGuard(const BusyGuard&) = delete;
    BusyGuard& operator=(const BusyGuard&) = delete;
    ConnectionState& state;
};

} // namespace db
