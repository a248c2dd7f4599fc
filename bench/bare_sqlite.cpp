#include "bench/bare_sqlite.h"

#include <QFile>
#include <cstdio>
#include <cstring>

namespace bare {

Connection::Connection(const QString& path)
{
    if (sqlite3_open_v2(QFile::encodeName(path).constData(), &db_, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX,
                        nullptr) != SQLITE_OK)
        fail("open");
    sqlite3_busy_timeout(db_, 5000);
    exec(QStringLiteral("PRAGMA journal_mode=DELETE"));
}

Connection::~Connection()
{
    sqlite3_close_v2(db_);
}

void Connection::fail(const char* what)
{
    std::fprintf(stderr, "bare loop: %s: %s\n", what, sqlite3_errmsg(db_));
    failed_ = true;
}

void Connection::attach(const QString& path, const char* schema)
{
    Statement attach(*this, QStringLiteral("ATTACH DATABASE ? AS %1").arg(QString::fromLatin1(schema)));
    attach.bind(1, path).run();
}

void Connection::exec(const QString& sql)
{
    if (sqlite3_exec(db_, sql.toUtf8().constData(), nullptr, nullptr, nullptr) != SQLITE_OK)
        fail("exec");
}

bool Connection::hasTable(const QString& name, const char* schema)
{
    return sqlite3_table_column_metadata(db_, schema, name.toUtf8().constData(), nullptr, nullptr, nullptr, nullptr,
                                         nullptr, nullptr) == SQLITE_OK;
}

Statement::Statement(Connection& db, const QString& sql)
    : db_(db)
{
    if (sqlite3_prepare_v2(db_.handle(), sql.toUtf8().constData(), -1, &st_, nullptr) != SQLITE_OK)
        db_.fail("prepare");
}

Statement::~Statement()
{
    sqlite3_finalize(st_);
}

Statement& Statement::reset()
{
    sqlite3_reset(st_);
    sqlite3_clear_bindings(st_);
    return *this;
}

Statement& Statement::bind(int i, const QString& text)
{
    const QByteArray utf8 = text.toUtf8();
    sqlite3_bind_text(st_, i, utf8.constData(), static_cast<int>(utf8.size()), SQLITE_TRANSIENT);
    return *this;
}

Statement& Statement::bind(int i, std::int64_t number)
{
    sqlite3_bind_int64(st_, i, number);
    return *this;
}

Statement& Statement::bind(int i, double number)
{
    sqlite3_bind_double(st_, i, number);
    return *this;
}

Statement& Statement::bindNull(int i)
{
    sqlite3_bind_null(st_, i);
    return *this;
}

bool Statement::step()
{
    const int rc = sqlite3_step(st_);
    if (rc == SQLITE_ROW)
        return true;
    if (rc != SQLITE_DONE)
        db_.fail("step");
    return false;
}

void Statement::run()
{
    while (step()) {
    }
}

int Statement::columnCount() const
{
    return sqlite3_column_count(st_);
}

QString Statement::columnName(int c) const
{
    return QString::fromUtf8(sqlite3_column_name(st_, c));
}

int Statement::column(const QString& name) const
{
    for (int c = 0; c < columnCount(); ++c)
        if (columnName(c).compare(name, Qt::CaseInsensitive) == 0)
            return c;
    return -1;
}

bool Statement::isNull(int c) const
{
    return sqlite3_column_type(st_, c) == SQLITE_NULL;
}

QString Statement::text(int c) const
{
    return QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st_, c)), sqlite3_column_bytes(st_, c));
}

double Statement::number(int c) const
{
    return sqlite3_column_double(st_, c);
}

std::int64_t Statement::integer(int c) const
{
    return sqlite3_column_int64(st_, c);
}

QStringList tableRows(const QString& path, const QString& table)
{
    QStringList rows;
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(QFile::encodeName(path).constData(), &db, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK) {
        sqlite3_stmt* st = nullptr;
        const QByteArray sql = QStringLiteral("select * from \"%1\" order by rowid").arg(table).toUtf8();
        if (sqlite3_prepare_v2(db, sql.constData(), -1, &st, nullptr) == SQLITE_OK) {
            while (sqlite3_step(st) == SQLITE_ROW) {
                QStringList values;
                for (int c = 0; c < sqlite3_column_count(st); ++c) {
                    static const char* const kinds[] = {"?", "i", "r", "t", "b", "n"};
                    const int type = sqlite3_column_type(st, c);
                    values << QString::fromLatin1(kinds[type >= 1 && type <= 5 ? type : 0]) +
                            QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st, c)));
                }
                rows << values.join(QLatin1Char('|'));
            }
        }
        sqlite3_finalize(st);
    }
    sqlite3_close(db);
    return rows;
}

QList<QStringList> rowsLeft(const QString& path, const QStringList& tables)
{
    QList<QStringList> rows;
    for (const QString& table : tables)
        rows << tableRows(path, table);
    return rows;
}

void sayDifferences(const QStringList& tables, const QList<QStringList>& ours, const QList<QStringList>& bare)
{
    for (qsizetype t = 0; t < tables.size(); ++t) {
        const QStringList mine = ours.value(t), theirs = bare.value(t);
        for (qsizetype i = 0; i < std::max(mine.size(), theirs.size()); ++i)
            if (mine.value(i) != theirs.value(i)) {
                std::fprintf(stderr, "%s row %lld: ours %s, bare loop %s\n", qPrintable(tables[t]),
                             static_cast<long long>(i + 1),
                             qPrintable(i < mine.size() ? mine[i] : QStringLiteral("none")),
                             qPrintable(i < theirs.size() ? theirs[i] : QStringLiteral("none")));
                break;
            }
    }
}

Times inTurns(int repetitions, const std::function<void()>& reset, const std::function<double()>& bareRun,
              const std::function<double()>& ourRun, const QString& path, const QStringList& tables)
{
    Times times;
    for (int i = 0; i < repetitions; ++i) {
        reset();
        times.base.push_back(bareRun());
        const QList<QStringList> bareRows = rowsLeft(path, tables);
        reset();
        times.ours.push_back(ourRun());
        sayDifferences(tables, rowsLeft(path, tables), bareRows);
    }
    return times;
}

} // namespace bare
