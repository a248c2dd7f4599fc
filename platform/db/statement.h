#pragma once
// One prepared SQLite statement with its parameters, finalised when it goes; and the Chinese
// descriptions of SQLite's failures. For the layer's own use.
#include "platform/db/connection_state.h"
#include "platform/db/types.h"

#include <QString>
#include <QVariant>
#include <QVariantList>
#include <string>
#include <vector>

struct sqlite3;
struct sqlite3_stmt;

namespace db {

// Queries and row writes (SELECT, INSERT, UPDATE, DELETE) are prepared once per text and kept by the
// connection for the next use of the same text; SQLite prepares a kept statement again by itself when
// the schema changed, so its columns are those of the table as it is now once it has been stepped.
class Statement {
public:
    // Prepares the first statement of `sql`; with `single`, any further statement in the text is an error.
    Statement(ConnectionState& state, const QString& sql, bool single = true);
    ~Statement();
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    void bind(const QVariantList& params);
    void bind(const QVariant* params, int count);
    // The same, each parameter where it already is (no copy of the values).
    void bind(const QVariant* const* params, int count);
    // A parameter given as a value, or (value null) already in the form SQLite stores it.
    struct Param {
        const QVariant* value = nullptr;
        StoredValue stored;
    };
    void bind(const Param* params, int count);
    // True while there is a row; throws db::Error on failure.
    bool step();
    // Runs to the end; the number of rows changed.
    int run();
    // Ready to be bound and run again.
    void reset();
    // Rows this statement writes are not checked by the write guard: every value was converted for its
    // column beforehand (the recordset's writes).
    void trustValues() { guarded_ = false; }
    sqlite3_stmt* get() const { return stmt_; }
    int columnCount() const;
    // The UTF-8 bytes a text parameter (0-based) was bound as, until the next binding; null for others.
    const char* boundText(int i, int* size) const;

private:
    ConnectionState& state_;
    BusyGuard busy_;
    sqlite3* db_ = nullptr;
    sqlite3_stmt* stmt_ = nullptr;
    QString sql_;
    std::size_t hash_ = 0; // of sql_, for the connection's kept statements
    bool keep_ = false; // goes back to the connection's statements when done
    bool guarded_ = false; // writes rows: each run is watched by the write guard (see write_guard.h)
    bool releasing_ = false; // the guard's savepoint is still open while the statement gives rows
    std::vector<QByteArray> bound_;
    std::string text_;
    std::vector<std::pair<std::size_t, int>> texts_; // where each text parameter is in text_, or size -1

    void endGuard(bool failed);
    template <typename At> void bindAll(int count, At at);
};

// The description of the handle's last failure, in words the operator reads, SQLite's own reason
// appended; `path` names the file where that helps.
QString describeFailure(sqlite3* db, int rc, const QString& path);
[[noreturn]] void raiseFailure(sqlite3* db, int rc, const QString& path);
// Runs statements that take no parameters and return no rows (transaction control, pragmas).
void exec(ConnectionState& state, const char* sql);

} // namespace db
