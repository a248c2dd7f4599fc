#pragma once
// The bare SQLite side of the benchmarks: connections opened with the file settings the program's
// database layer gives every file, statements reset and bound by position, and the rows a run left in
// a table, for telling whether a bare loop wrote what the program wrote. Nothing here checks a value
// or converts a type: a failing call is said on stderr and remembered, and the loop goes on.
#include <QString>
#include <QStringList>
#include <cstdint>
#include <functional>
#include <sqlite3.h>
#include <vector>

namespace bare {

class Connection {
public:
    // Opened as the layer opens its files: used by one thread (no locking of every call), a 5 s busy
    // timeout, the rollback journal deleted at each commit.
    explicit Connection(const QString& path);
    ~Connection();
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    // The file under `schema` for statements on this connection.
    void attach(const QString& path, const char* schema);
    void exec(const QString& sql);
    // Whether the file holds a table of that name, letter case aside, as SQLite finds a table for a
    // statement: through its schema in memory, not by reading the list of tables.
    bool hasTable(const QString& name, const char* schema = "main");

    sqlite3* handle() const { return db_; }
    // Whether any call on it, or on one of its statements, failed.
    bool failed() const { return failed_; }
    void fail(const char* what);

private:
    sqlite3* db_ = nullptr;
    bool failed_ = false;
};

class Statement {
public:
    Statement(Connection& db, const QString& sql);
    ~Statement();
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    // Back to its first row, every parameter Null; returns itself for binding.
    Statement& reset();
    Statement& bind(int i, const QString& text);
    Statement& bind(int i, std::int64_t number);
    Statement& bind(int i, double number);
    Statement& bindNull(int i);
    // The next row; false when there is none (or the step failed).
    bool step();
    // Steps it to its end, for a statement that returns no rows.
    void run();

    int columnCount() const;
    QString columnName(int c) const;
    // Where the table has a column of that name, letter case aside; -1 where it has none.
    int column(const QString& name) const;
    bool isNull(int c) const;
    QString text(int c) const;
    double number(int c) const;
    std::int64_t integer(int c) const;

private:
    Connection& db_;
    sqlite3_stmt* st_ = nullptr;
};

// Every row of a table in row id order, each as its values' storage classes and texts: two runs that
// wrote the same rows give the same list. Empty where the file or the table is missing.
QStringList tableRows(const QString& path, const QString& table);
// The rows of each table named, table by table.
QList<QStringList> rowsLeft(const QString& path, const QStringList& tables);
// Says on stderr, table by table, the first row in which the bare loop left other rows than the
// program: its ratio would compare other work.
void sayDifferences(const QStringList& tables, const QList<QStringList>& ours, const QList<QStringList>& bare);

// The times of the program's runs and of the bare loop's.
struct Times {
    std::vector<double> ours, base;
};
// The bare loop and the program's run in turns, `repetitions` times, each after `reset` has put the
// files back; after each pair the rows the two left in the tables of `path` are compared.
Times inTurns(int repetitions, const std::function<void()>& reset, const std::function<double()>& bareRun,
              const std::function<double()>& ourRun, const QString& path, const QStringList& tables);

} // namespace bare
