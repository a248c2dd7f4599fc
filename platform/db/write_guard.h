#pragma once
// Refuses what Jet refuses in rows written by statements: a text over its size, a whole number out of
// its column's range or with a fraction, anything but a number in a number column, anything but a
// date in a date column. A CHECK in every column would do the same, but it doubles the schema of a
// file of thousands of small tables, which SQLite reads whole at every open; the rules come instead
// from the columns' declared types ("TEXT(50)", "BYTE", "CURRENCY"), which the file keeps anyway.
//
// The guard watches one statement at a time through SQLite's pre-update hook, inside a savepoint, so
// that a refused row leaves the file as it was before the statement. The recordset, which converts
// every value for its column before writing, writes without it. For the layer's own use.
#include "platform/db/schema.h"

#include <QList>
#include <QString>
#include <string>
#include <unordered_map>
#include <vector>

struct sqlite3;
struct sqlite3_stmt;
struct sqlite3_value;

namespace db {

class WriteGuard {
public:
    // Watches `db` from now on (it sets the handle's authorizer, which tells of schema changes).
    explicit WriteGuard(sqlite3* db);
    ~WriteGuard();
    WriteGuard(const WriteGuard&) = delete;
    WriteGuard& operator=(const WriteGuard&) = delete;

    // Around one statement's first step: opens the savepoint and watches the rows written.
    void begin();
    // After that step: stops watching; empty when every row written was acceptable, else the refusal.
    QString finish(bool failed);
    // Ends the savepoint: rolled back with `undo`, else released. A release that fails (the savepoint
    // that began the transaction could not commit it) undoes the statement and gives the reason.
    QString close(bool undo);
    // The columns of a table just made in `schema` ("main" or an attached file's), so that its first
    // write need not ask the file for them.
    void know(const QString& schema, const QString& table, const QList<ColumnDef>& columns);
    // Every table's columns are asked for again (the schema changed).
    void forget();
    // True while SQLite runs a statement; a statement prepared again then means the schema was read anew.
    bool stepping = false;

    struct Rule;
    struct Table {
        int count = -1; // columns in a row
        std::vector<Rule> rules;
    };

private:
    static void onWrite(void* self, sqlite3* db, int op, const char* database, const char* table, long long, long long);
    static int onPrepare(void* self, int action, const char*, const char*, const char*, const char*);
    void check(int op, const char* schema, const char* table);
    const Table* tableOf(const std::string& key);
    // `count` is the number of columns the rows written carry.
    Table loadTable(const std::string& key, int count);
    bool loadDeclared(const std::string& key, int count, Table* out);
    void refuse(const QString& text);
    void run(sqlite3_stmt*& stmt, const char* sql);

    // Tables are known by their schema and name (see keyOf in write_guard.cpp).
    struct Deferred {
        std::string table;
        int count = 0; // columns in a row
        std::vector<std::pair<int, sqlite3_value*>> values;
    };

    sqlite3* db_;
    bool watching_ = false;
    QString fault_;
    std::unordered_map<std::string, Table> tables_;
    std::vector<Deferred> deferred_; // rows of tables whose columns are not known yet
    sqlite3_stmt* savepoint_ = nullptr;
    sqlite3_stmt* release_ = nullptr;
    sqlite3_stmt* rollback_ = nullptr;
    sqlite3_stmt* columns_ = nullptr;
};

} // namespace db
