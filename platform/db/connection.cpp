#include "platform/db/connection.h"

#include "platform/db/connection_state.h"
#include "platform/db/lock_watch.h"
#include "platform/db/statement.h"
#include "platform/db/types.h"
#include "platform/db/write_guard.h"

#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <chrono>
#include <cstring>
#include <iterator>
#include <optional>
#include <sqlite3.h>

namespace db {

namespace {

// SQLite asks this each time another connection holds a lock it needs, `tries` counting from 0 within
// one statement; it tries again while this answers non-zero. The wait is as long as for a file that
// another process marks as being changed, and is announced first, naming the file held.
int waitForOtherProgram(void* handle, int tries)
{
    using Clock = std::chrono::steady_clock;
    thread_local Clock::time_point since;
    if (tries == 0) {
        auto* db = static_cast<sqlite3*>(handle);
        QString held = lockWatch::refusedFile(db);
        if (held.isEmpty())
            held = QFile::decodeName(sqlite3_db_filename(db, "main"));
        try {
            files::noticeWait(held);
        } catch (...) {
            // Nothing may leave through SQLite; the wait goes on unannounced.
        }
        since = Clock::now();
    }
    const auto waited = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - since).count();
    if (waited >= files::otherProcessWaitMs)
        return 0;
    // Short steps first: most writes of another program end within milliseconds.
    static constexpr int steps[] = {1, 2, 5, 10, 15, 20, 25, 25, 25, 50, 50, 100};
    const int step = tries < static_cast<int>(std::size(steps)) ? steps[tries] : 100;
    sqlite3_sleep(static_cast<int>(std::min<long long>(step, files::otherProcessWaitMs - waited)));
    return 1;
}

ConnectionState& need(const std::shared_ptr<ConnectionState>& state)
{
    if (!state || state->closed)
        throw Error(QString::fromUtf8(messages::closed));
    return *state;
}

QString savepointName(int depth)
{
    return QStringLiteral("qelv_level_%1").arg(depth);
}

void run(ConnectionState& state, const QString& sql)
{
    exec(state, sql.toUtf8().constData());
}

// A column's default as PRAGMA table_info gives it (SQL text) back as a value.
QVariant defaultFromSql(const QVariant& text)
{
    if (text.isNull())
        return QVariant();
    const QString t = text.toString().trimmed();
    if (t.size() >= 2 && t.startsWith(QLatin1Char('\'')) && t.endsWith(QLatin1Char('\'')))
        return t.mid(1, t.size() - 2).replace(QStringLiteral("''"), QStringLiteral("'"));
    if (t.compare(QStringLiteral("NULL"), Qt::CaseInsensitive) == 0)
        return QVariant();
    bool ok = false;
    const qlonglong whole = t.toLongLong(&ok);
    if (ok)
        return whole >= INT_MIN && whole <= INT_MAX ? QVariant(static_cast<int>(whole)) : QVariant(whole);
    const double d = t.toDouble(&ok);
    if (ok)
        return d;
    return t;
}

} // namespace

// --- the shared state ---------------------------------------------------------------------------------

ConnectionState::ConnectionState(const QString& p)
    : path(p)
{
}

ConnectionState::~ConnectionState()
{
    close();
}

sqlite3* ConnectionState::handle()
{
    if (closed)
        throw Error(QString::fromUtf8(messages::closed));
    if (db)
        return db;
    // SQLite takes an empty file for a new database and makes it one at the first write. An empty
    // file is what an interrupted copy or a full disk leaves; it is refused as damaged, never written.
    if (const QFileInfo info(path); info.isFile() && info.size() == 0)
        throw Error(describeFailure(nullptr, SQLITE_NOTADB, path));
    // Never SQLITE_OPEN_CREATE: a file that is gone (renamed, deleted) is an error, not a new database.
    sqlite3* h = nullptr;
    // A connection is used by one thread only: SQLite's own locking of every call is not needed.
    // URI names are taken so that an attached file can be opened without being created (see attachTo).
    // The files go through the lock watch, so that a lock refused names its file (see lock_watch.h).
    int rc = sqlite3_open_v2(QFile::encodeName(path).constData(), &h,
                             SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX | SQLITE_OPEN_URI, lockWatch::vfsName());
    if (rc != SQLITE_OK) {
        const QString description =
            QFileInfo::exists(path) ? describeFailure(h, rc, path) : QStringLiteral("找不到文件“%1”。").arg(path);
        sqlite3_close(h);
        throw Error(description);
    }
    sqlite3_extended_result_codes(h, 1);
    // A name quoted as an identifier that matches no column must fail, naming it, instead of being
    // taken for a text: a yearly file without one of its month's columns would otherwise be read and
    // written as if the column held that text.
    sqlite3_db_config(h, SQLITE_DBCONFIG_DQS_DML, 0, nullptr);
    sqlite3_busy_handler(h, waitForOtherProgram, h);
    // The rollback journal, deleted at each commit, keeps the file alone a complete database whenever
    // no write is in progress, so that copying the file copies all of it. Reading the schema here
    // also tells at once whether the file is a database at all.
    rc = sqlite3_exec(h, "PRAGMA journal_mode=DELETE; SELECT count(*) FROM sqlite_master;", nullptr, nullptr, nullptr);
    if (rc != SQLITE_OK) {
        const QString description = describeFailure(h, rc, path);
        sqlite3_close(h);
        throw Error(description);
    }
    try {
        for (const auto& file : attached)
            attachTo(h, *file);
    } catch (const Error&) {
        sqlite3_close(h);
        throw;
    }
    db = h;
    guard = std::make_unique<WriteGuard>(h);
    return db;
}

void ConnectionState::attachTo(sqlite3* h, const AttachedFile& file)
{
    if (const QFileInfo info(file.path); !info.isFile())
        throw Error(QStringLiteral("找不到文件“%1”。").arg(file.path));
    else if (info.size() == 0)
        throw Error(describeFailure(nullptr, SQLITE_NOTADB, file.path));
    // "mode=rw": a file that is gone is an error, never a new empty database.
    const QByteArray uri = "file:" + QFile::encodeName(file.path).toPercentEncoding("/") + "?mode=rw";
    const QByteArray schema = quoteIdentifier(file.schema).toUtf8();
    sqlite3_stmt* st = nullptr;
    const QByteArray attach = "ATTACH DATABASE ? AS " + schema;
    int rc = sqlite3_prepare_v2(h, attach.constData(), -1, &st, nullptr);
    if (rc == SQLITE_OK) {
        sqlite3_bind_text(st, 1, uri.constData(), static_cast<int>(uri.size()), SQLITE_TRANSIENT);
        rc = sqlite3_step(st);
        sqlite3_finalize(st);
        if (rc == SQLITE_DONE)
            rc = SQLITE_OK;
    }
    // Each file keeps its own rollback journal, which is what lets SQLite commit several files as one.
    const QByteArray settle =
        "PRAGMA " + schema + ".journal_mode=DELETE; SELECT count(*) FROM " + schema + ".sqlite_master";
    if (rc == SQLITE_OK)
        rc = sqlite3_exec(h, settle.constData(), nullptr, nullptr, nullptr);
    if (rc != SQLITE_OK) {
        const QString description = describeFailure(h, rc, file.path);
        sqlite3_exec(h, ("DETACH DATABASE " + schema).constData(), nullptr, nullptr, nullptr);
        throw Error(description);
    }
}

AttachedFile::AttachedFile(ConnectionState& o, QString s, QString p)
    : owner(o),
      schema(std::move(s)),
      path(std::move(p))
{
}

void AttachedFile::releaseHandle()
{
    owner.releaseHandle();
}

void ConnectionState::releaseHandle()
{
    if (!db)
        return;
    if (busy > 0 || inTransaction())
        throw files::Error(QStringLiteral("文件正在使用：%1").arg(path));
    dropStatements();
    guard.reset();
    if (sqlite3_close(db) != SQLITE_OK)
        throw files::Error(QStringLiteral("文件正在使用：%1").arg(path));
    db = nullptr;
}

void ConnectionState::close()
{
    if (closed)
        return;
    closed = true;
    transactionDepth = 0;
    if (db) {
        // Closing rolls back a transaction still open; statements are all finalised by now.
        dropStatements();
        guard.reset();
        sqlite3_close_v2(db);
        db = nullptr;
    }
    for (const auto& file : attached)
        files::untrack(file->path, file.get());
    attached.clear();
    files::untrack(path, this);
}

bool ConnectionState::inTransaction() const
{
    return transactionDepth > 0 || (db && !sqlite3_get_autocommit(db));
}

// --- Connection ---------------------------------------------------------------------------------------

Connection::Connection() = default;

Connection::Connection(const DataFile& file)
{
    open(file);
}

// The state lives on while a recordset opened here still uses it.
Connection::~Connection() = default;

void Connection::open(const DataFile& file)
{
    openPath(files::dataFile(file.name));
}

void Connection::openPath(const QString& given)
{
    close();
    const QString path = files::resolve(given);
    if (!QFileInfo(path).isFile())
        throw Error(QStringLiteral("找不到文件“%1”。").arg(path));
    auto state = std::make_shared<ConnectionState>(path);
    try {
        files::track(path, state.get()); // marks the file in use for other processes as well
    } catch (const files::Error& e) {
        throw Error(e.description());
    }
    state->handle(); // throws for a file that is no database; the state then untracks itself
    state_ = std::move(state);
}

void Connection::close()
{
    if (state_) {
        state_->close();
        state_.reset();
    }
}

void Connection::attach(const DataFile& file, const QString& schema)
{
    attachPath(files::dataFile(file.name), schema);
}

void Connection::attachPath(const QString& given, const QString& schema)
{
    ConnectionState& s = need(state_);
    if (s.inTransaction())
        throw Error(QStringLiteral("事务进行中，不能附加文件。"));
    for (const auto& file : s.attached)
        if (file->schema.compare(schema, Qt::CaseInsensitive) == 0)
            throw Error(QStringLiteral("已经附加了“%1”。").arg(schema));
    const QString path = files::resolve(given);
    if (!QFileInfo(path).isFile())
        throw Error(QStringLiteral("找不到文件“%1”。").arg(path));
    auto file = std::make_unique<AttachedFile>(s, schema, path);
    try {
        files::track(path, file.get()); // marks the file in use for other processes as well
    } catch (const files::Error& e) {
        throw Error(e.description());
    }
    try {
        s.attachTo(s.handle(), *file);
    } catch (...) {
        files::untrack(path, file.get());
        throw;
    }
    s.attached.push_back(std::move(file));
}

void Connection::detach(const QString& schema)
{
    ConnectionState& s = need(state_);
    const auto it = std::find_if(s.attached.begin(), s.attached.end(), [&](const auto& file) {
        return file->schema.compare(schema, Qt::CaseInsensitive) == 0;
    });
    if (it == s.attached.end())
        return;
    if (s.inTransaction())
        throw Error(QStringLiteral("事务进行中，不能分离文件。"));
    if (s.db) {
        s.dropStatements(); // a kept statement may read the file
        if (s.guard)
            s.guard->forget();
        exec(s, ("DETACH DATABASE " + quoteIdentifier(schema).toUtf8()).constData());
    }
    files::untrack((*it)->path, it->get());
    s.attached.erase(it);
}

bool Connection::isOpen() const
{
    return state_ && !state_->closed;
}

QString Connection::path() const
{
    return state_ ? state_->path : QString();
}

sqlite3* Connection::handle() const
{
    return need(state_).handle();
}

int Connection::execute(const QString& sql, const QVariantList& params)
{
    Statement st(need(state_), sql);
    st.bind(params);
    return st.run();
}

QVariant Connection::scalar(const QString& sql, const QVariantList& params)
{
    Statement st(need(state_), sql);
    st.bind(params);
    return st.step() ? valueFromSql(st.get(), 0) : QVariant();
}

void Connection::beginTransaction(Access access)
{
    ConnectionState& s = need(state_);
    if (s.transactionDepth == 0) {
        sqlite3* db = s.handle();
        if (!sqlite3_get_autocommit(db))
            throw Error(QStringLiteral("事务已由语句开始，不能再开始事务。"));
        if (access == Access::Read) {
            exec(s, "BEGIN");
        } else {
            BusyGuard busy(s);
            const int rc = sqlite3_exec(db, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr);
            // A file that may only be read: the transaction can still read it, and a write fails as
            // it would have.
            if ((rc & 0xff) == SQLITE_READONLY)
                exec(s, "BEGIN");
            else if (rc != SQLITE_OK)
                raiseFailure(db, rc, s.path);
        }
    } else {
        run(s, QStringLiteral("SAVEPOINT ") + savepointName(s.transactionDepth));
    }
    ++s.transactionDepth;
}

void Connection::commit()
{
    ConnectionState& s = need(state_);
    if (s.transactionDepth == 0)
        throw Error(QStringLiteral("没有活动的事务。"));
    const int level = s.transactionDepth - 1;
    if (level == 0)
        exec(s, "COMMIT");
    else
        run(s, QStringLiteral("RELEASE ") + savepointName(level));
    s.transactionDepth = level;
}

void Connection::rollback()
{
    ConnectionState& s = need(state_);
    if (s.transactionDepth == 0)
        throw Error(QStringLiteral("没有活动的事务。"));
    const int level = s.transactionDepth - 1;
    if (level == 0) {
        exec(s, "ROLLBACK");
    } else {
        run(s, QStringLiteral("ROLLBACK TO ") + savepointName(level));
        run(s, QStringLiteral("RELEASE ") + savepointName(level));
    }
    s.transactionDepth = level;
}

bool Connection::inTransaction() const
{
    return state_ && !state_->closed && state_->inTransaction();
}

QStringList Connection::tableNames() const
{
    Statement st(
        need(state_),
        QStringLiteral("SELECT name FROM sqlite_master WHERE type = 'table' AND name NOT LIKE 'sqlite\\_%' ESCAPE '\\' "
                       "ORDER BY name COLLATE NOCASE"));
    QStringList names;
    while (st.step())
        names << QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st.get(), 0)));
    return names;
}

namespace {

// Whether the file has the table, found by name (without regard to case) in the schema SQLite keeps in
// memory rather than by reading every row of sqlite_master: a month's file holds a table an assignment,
// the ledger file one an enterprise, and a lookup that reads them all makes every per-enterprise step
// grow with the county. Unknown when the file cannot be asked; then the caller reads sqlite_master.
std::optional<bool> knownTable(ConnectionState& s, const QString& name, const QString& schema)
{
    // SQLite's own tables are found in memory but are no rows of sqlite_master.
    if (name.startsWith(QStringLiteral("sqlite_"), Qt::CaseInsensitive))
        return std::nullopt;
    {
        // A statement that reads the file first compares the file's schema with the one in memory and
        // takes the file's when another connection changed it.
        Statement fresh(
            s, QStringLiteral("SELECT 1 FROM %1 LIMIT 1").arg(qualified(schema, QStringLiteral("sqlite_master"))));
        fresh.step();
    }
    sqlite3* db = s.handle();
    const QByteArray file = schema.isEmpty() ? QByteArrayLiteral("main") : schema.toUtf8();
    const QByteArray table = name.toUtf8();
    const int rc = sqlite3_table_column_metadata(db, file.constData(), table.constData(), nullptr, nullptr, nullptr,
                                                 nullptr, nullptr, nullptr);
    if (rc == SQLITE_OK)
        return true;
    if (rc == SQLITE_ERROR && std::strncmp(sqlite3_errmsg(db), "no such table", 13) == 0)
        return false;
    return std::nullopt;
}

} // namespace

bool Connection::tableExists(const QString& name, bool exactCase, const QString& schema) const
{
    ConnectionState& s = need(state_);
    if (!exactCase) {
        if (const std::optional<bool> known = knownTable(s, name, schema))
            return *known;
    }
    const QString master = qualified(schema, QStringLiteral("sqlite_master"));
    Statement st(s,
                 QStringLiteral("SELECT 1 FROM %1 WHERE type = 'table' AND name = ? COLLATE %2")
                     .arg(master, exactCase ? QStringLiteral("BINARY") : QStringLiteral("NOCASE")));
    st.bind({name});
    return st.step();
}

QString Connection::tableSpelling(const QString& name, const QString& schema) const
{
    ConnectionState& s = need(state_);
    if (const std::optional<bool> known = knownTable(s, name, schema)) {
        if (!*known)
            return QString();
        // A query of the table names it as the file spells it.
        Statement st(s, QStringLiteral("SELECT * FROM %1 LIMIT 0").arg(qualified(schema, name)));
        if (const char* spelled = sqlite3_column_table_name(st.get(), 0))
            return QString::fromUtf8(spelled);
    }
    Statement st(s,
                 QStringLiteral("SELECT name FROM %1 WHERE type = 'table' AND name = ? COLLATE NOCASE")
                     .arg(qualified(schema, QStringLiteral("sqlite_master"))));
    st.bind({name});
    return st.step() ? QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st.get(), 0))) : QString();
}

QList<ColumnDef> Connection::columns(const QString& table) const
{
    ConnectionState& s = need(state_);
    if (!tableExists(table))
        throw Error(QStringLiteral("找不到输入表或查询“%1”。").arg(table));
    QStringList uniqueColumns;
    {
        Statement indexes(s, QStringLiteral("PRAGMA index_list(%1)").arg(quoteIdentifier(table)));
        QStringList uniqueIndexes;
        while (indexes.step()) {
            // seq, name, unique, origin ('c' made by CREATE INDEX, 'u' by UNIQUE, 'pk'), partial
            if (sqlite3_column_int(indexes.get(), 2) != 0)
                uniqueIndexes << QString::fromUtf8(
                    reinterpret_cast<const char*>(sqlite3_column_text(indexes.get(), 1)));
        }
        for (const QString& index : uniqueIndexes) {
            Statement info(s, QStringLiteral("PRAGMA index_info(%1)").arg(quoteIdentifier(index)));
            QStringList cols;
            while (info.step())
                cols << QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(info.get(), 2)));
            if (cols.size() == 1)
                uniqueColumns << cols.first();
        }
    }
    QList<ColumnDef> result;
    Statement st(s, QStringLiteral("PRAGMA table_info(%1)").arg(quoteIdentifier(table)));
    const QByteArray tableUtf8 = table.toUtf8();
    while (st.step()) {
        ColumnDef c;
        c.name = QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st.get(), 1)));
        const QString decl = QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st.get(), 2)));
        c.type = typeFromDecl(decl, &c.size);
        c.required = sqlite3_column_int(st.get(), 3) != 0;
        c.defaultValue = defaultFromSql(valueFromSql(st.get(), 4, ColumnType::Text, false));
        c.unique = uniqueColumns.contains(c.name, Qt::CaseInsensitive);
        int autoinc = 0;
        const QByteArray column = c.name.toUtf8();
        if (sqlite3_table_column_metadata(s.handle(), "main", tableUtf8.constData(), column.constData(), nullptr,
                                          nullptr, nullptr, nullptr, &autoinc) == SQLITE_OK &&
            autoinc) {
            c.type = ColumnType::Counter;
            c.required = false;
            c.unique = false;
        }
        result << c;
    }
    return result;
}

void Connection::createTable(const QString& name, const QList<ColumnDef>& columns, const QString& schema)
{
    if (columns.isEmpty())
        throw Error(QStringLiteral("表“%1”至少要有一个字段。").arg(name));
    QStringList defs;
    for (const ColumnDef& c : columns)
        defs << columnSql(c);
    execute(QStringLiteral("CREATE TABLE %1 (%2)").arg(qualified(schema, name), defs.join(QStringLiteral(", "))));
    // Its first row need not wait for the file to tell the guard its columns.
    if (WriteGuard* guard = state_->guard.get())
        guard->know(schema.isEmpty() ? QStringLiteral("main") : schema, name, columns);
}

void Connection::dropTable(const QString& name, const QString& schema)
{
    execute(QStringLiteral("DROP TABLE %1").arg(qualified(schema, name)));
}

void Connection::addColumn(const QString& table, const ColumnDef& column)
{
    execute(QStringLiteral("ALTER TABLE %1 ADD COLUMN %2").arg(quoteIdentifier(table), columnSql(column)));
}

void Connection::dropColumn(const QString& table, const QString& column)
{
    execute(QStringLiteral("ALTER TABLE %1 DROP COLUMN %2").arg(quoteIdentifier(table), quoteIdentifier(column)));
}

void copyDatabase(const QString& from, const QString& to)
{
    const QString source = files::resolve(from);
    if (QFileInfo(source + QStringLiteral("-journal")).size() > 0) {
        // Reading the schema makes SQLite play the journal back, if it is a hot one.
        Connection settle;
        settle.openPath(source);
        settle.close();
    }
    files::copy(source, to);
}

QString quoteIdentifier(const QString& name)
{
    QString q = name;
    q.replace(QLatin1Char('"'), QStringLiteral("\"\""));
    return QLatin1Char('"') + q + QLatin1Char('"');
}

QString qualified(const QString& schema, const QString& table)
{
    return schema.isEmpty() ? quoteIdentifier(table)
                            : quoteIdentifier(schema) + QLatin1Char('.') + quoteIdentifier(table);
}

} // namespace db
