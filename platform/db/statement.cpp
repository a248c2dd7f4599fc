#include "platform/db/statement.h"

#include "platform/convert/currency.h"
#include "platform/db/error.h"
#include "platform/db/lock_watch.h"
#include "platform/db/types.h"
#include "platform/db/write_guard.h"

#include <QRegularExpression>
#include <sqlite3.h>

namespace db {

namespace {

QString afterColon(const QString& message)
{
    const qsizetype colon = message.indexOf(QStringLiteral(": "));
    return colon < 0 ? message : message.mid(colon + 2).trimmed();
}

// The test of a number column (see columnSql): the column's name, bare or quoted, before <''.
const QRegularExpression& numberOnlyCheck()
{
    static const QRegularExpression re(QStringLiteral("(?:^|[\\s:])\\+?(?:([^\\s:+\"]+)|\"((?:[^\"]|\"\")+)\")<''"));
    return re;
}

QString withReason(const char* text, const QString& reason)
{
    return QStringLiteral("%1（%2）").arg(QString::fromUtf8(text), reason);
}

} // namespace

QString describeFailure(sqlite3* db, int rc, const QString& path)
{
    const int extended = db ? sqlite3_extended_errcode(db) : rc;
    const QString reason = db ? QString::fromUtf8(sqlite3_errmsg(db)) : QString::fromUtf8(sqlite3_errstr(rc));
    switch (extended) {
    case SQLITE_CONSTRAINT_UNIQUE:
    case SQLITE_CONSTRAINT_PRIMARYKEY:
        return QStringLiteral("%1：由于将在索引、主关键字或关系中创建重复的值，请求对表的改变没有成功。（%2）")
            .arg(QString::fromUtf8(messages::duplicateValue), reason);
    case SQLITE_CONSTRAINT_NOTNULL:
        return QStringLiteral("%1：字段“%2”必须有一个值。（%3）")
            .arg(QString::fromUtf8(messages::requiredField), afterColon(reason), reason);
    case SQLITE_CONSTRAINT_CHECK:
        // The checks that the schema puts on each column say which rule the value broke.
        if (reason.contains(QStringLiteral("length(")))
            return withReason(messages::fieldTooSmall, reason);
        if (reason.contains(QStringLiteral("date(")))
            return QStringLiteral("%1：日期字段只能接受日期。（%2）")
                .arg(QString::fromUtf8(messages::typeMismatch), reason);
        if (const auto m = numberOnlyCheck().match(reason); m.hasMatch()) {
            QString field = m.captured(2).isEmpty() ? m.captured(1) : m.captured(2);
            field.replace(QStringLiteral("\"\""), QStringLiteral("\""));
            return QStringLiteral("%1：字段“%2”只能接受数字。（%3）")
                .arg(QString::fromUtf8(messages::typeMismatch), field, reason);
        }
        if (reason.contains(QStringLiteral("typeof(")))
            return QStringLiteral("%1或%2：值不符合字段的类型或范围。（%3）")
                .arg(QString::fromUtf8(messages::typeMismatch), QString::fromUtf8(messages::overflow), reason);
        return QStringLiteral("值不符合字段的有效性规则。（%1）").arg(reason);
    default:
        break;
    }
    switch (extended & 0xff) {
    case SQLITE_CONSTRAINT:
        return QStringLiteral("值不符合表的约束，请求对表的改变没有成功。（%1）").arg(reason);
    case SQLITE_BUSY:
    case SQLITE_LOCKED: {
        // Of several files attached to one connection, the one another program holds.
        const QString held = lockWatch::refusedFile(db);
        return QStringLiteral("文件正在使用：%1（%2）").arg(held.isEmpty() ? path : held, reason);
    }
    case SQLITE_NOTADB:
        return QStringLiteral("不可识别的数据库格式“%1”。").arg(path);
    case SQLITE_CORRUPT:
        return QStringLiteral("数据库文件“%1”已损坏。（%2）").arg(path, reason);
    case SQLITE_READONLY:
        return QStringLiteral("不能更新。数据库或对象为只读。（%1）").arg(path);
    case SQLITE_CANTOPEN:
        return QStringLiteral("找不到文件“%1”。").arg(path);
    case SQLITE_FULL:
        return QStringLiteral("磁盘已满，不能写入“%1”。").arg(path);
    case SQLITE_IOERR:
        return QStringLiteral("读写文件“%1”时出错。（%2）").arg(path, reason);
    default:
        break;
    }
    static const QRegularExpression noTable(QStringLiteral("^no such table: (?:main\\.)?(.+)$"));
    static const QRegularExpression noColumn(QStringLiteral("^no such column: (.+)$"));
    if (const auto m = noTable.match(reason); m.hasMatch())
        return QStringLiteral("找不到输入表或查询“%1”。").arg(m.captured(1));
    if (const auto m = noColumn.match(reason); m.hasMatch())
        return QStringLiteral("找不到字段“%1”。").arg(m.captured(1));
    if (reason.contains(QStringLiteral("syntax error")))
        return QStringLiteral("SQL 语句的语法错误。（%1）").arg(reason);
    return QStringLiteral("数据库错误：%1（%2）").arg(reason, path);
}

void raiseFailure(sqlite3* db, int rc, const QString& path)
{
    throw Error(describeFailure(db, rc, path));
}

void exec(ConnectionState& state, const char* sql)
{
    sqlite3* db = state.handle();
    BusyGuard busy(state);
    const int rc = sqlite3_exec(db, sql, nullptr, nullptr, nullptr);
    if (rc != SQLITE_OK)
        raiseFailure(db, rc, state.path);
}

namespace {

constexpr std::size_t keptStatements = 48;

// Statements worth keeping: those that read or write rows. Schema changes and pragmas are run once.
bool worthKeeping(const QString& sql)
{
    qsizetype i = 0;
    while (i < sql.size() && sql[i].isSpace())
        ++i;
    const QStringView head = QStringView(sql).mid(i, 7);
    for (const char* word : {"SELECT", "INSERT", "UPDATE", "DELETE", "WITH", "REPLACE"})
        if (head.startsWith(QLatin1String(word), Qt::CaseInsensitive))
            return true;
    return false;
}

// Statements that write values into rows, which the write guard watches.
bool writesValues(const QString& sql)
{
    qsizetype i = 0;
    while (i < sql.size() && sql[i].isSpace())
        ++i;
    const QStringView head = QStringView(sql).mid(i, 7);
    for (const char* word : {"INSERT", "UPDATE", "WITH", "REPLACE"})
        if (head.startsWith(QLatin1String(word), Qt::CaseInsensitive))
            return true;
    return false;
}

} // namespace

sqlite3_stmt* ConnectionState::takeStatement(const QString& sql, std::size_t hash)
{
    for (auto it = statements.rbegin(); it != statements.rend(); ++it) {
        if (it->hash == hash && it->sql == sql) {
            sqlite3_stmt* stmt = it->stmt;
            statements.erase(std::next(it).base());
            return stmt;
        }
    }
    return nullptr;
}

void ConnectionState::keepStatement(const QString& sql, std::size_t hash, sqlite3_stmt* stmt)
{
    sqlite3_reset(stmt);
    for (const Cached& c : statements) {
        if (c.hash == hash && c.sql == sql) { // a second one of the same text, used at the same time
            sqlite3_finalize(stmt);
            return;
        }
    }
    if (statements.size() >= keptStatements) {
        sqlite3_finalize(statements.front().stmt);
        statements.erase(statements.begin());
    }
    statements.push_back({sql, hash, stmt});
}

void ConnectionState::dropStatements()
{
    for (const Cached& c : statements)
        sqlite3_finalize(c.stmt);
    statements.clear();
}

Statement::Statement(ConnectionState& state, const QString& sql, bool single)
    : state_(state),
      busy_(state),
      sql_(sql)
{
    db_ = state.handle();
    if (!state.scratch.empty()) {
        ConnectionState::Scratch& kept = state.scratch.back();
        bound_.swap(kept.bound);
        text_.swap(kept.text);
        texts_.swap(kept.texts);
        state.scratch.pop_back();
    }
    hash_ = qHash(sql);
    stmt_ = state.takeStatement(sql, hash_);
    if (stmt_) {
        keep_ = true;
        guarded_ = writesValues(sql) && !sqlite3_stmt_readonly(stmt_);
        return;
    }
    const QByteArray text = sql.toUtf8();
    const char* tail = nullptr;
    int rc = sqlite3_prepare_v3(db_, text.constData(), static_cast<int>(text.size()), SQLITE_PREPARE_PERSISTENT, &stmt_,
                                &tail);
    if (rc != SQLITE_OK)
        raiseFailure(db_, rc, state.path);
    if (!stmt_)
        throw Error(QStringLiteral("SQL 语句为空。"));
    bool alone = true;
    if (tail && *tail) {
        // Only blanks, semicolons and comments may follow: preparing them gives no statement.
        sqlite3_stmt* next = nullptr;
        rc = sqlite3_prepare_v2(db_, tail, -1, &next, nullptr);
        alone = rc == SQLITE_OK && next == nullptr;
        sqlite3_finalize(next);
        if (single && !alone) {
            sqlite3_finalize(stmt_);
            stmt_ = nullptr;
            throw Error(QStringLiteral("一次只能执行一条 SQL 语句：%1").arg(sql));
        }
    }
    keep_ = alone && worthKeeping(sql);
    guarded_ = writesValues(sql) && !sqlite3_stmt_readonly(stmt_);
}

Statement::~Statement()
{
    if (releasing_) {
        sqlite3_reset(stmt_);
        endGuard(false);
    }
    if (stmt_) {
        // The bindings point into bound_, about to go.
        sqlite3_reset(stmt_);
        sqlite3_clear_bindings(stmt_);
    }
    // A statement whose handle has since been closed is finalised, never kept.
    if (keep_ && stmt_ && !state_.closed && state_.db == db_)
        state_.keepStatement(sql_, hash_, stmt_);
    else
        sqlite3_finalize(stmt_);
    if (state_.scratch.size() < 8) {
        bound_.clear(); // no blob kept alive
        ConnectionState::Scratch& kept = state_.scratch.emplace_back();
        bound_.swap(kept.bound);
        text_.swap(kept.text);
        texts_.swap(kept.texts);
    }
}

void Statement::bind(const QVariantList& params)
{
    bind(params.constData(), static_cast<int>(params.size()));
}

void Statement::bind(const QVariant* params, int count)
{
    bindAll(count, [params](int i) { return Param{&params[i], {}}; });
}

void Statement::bind(const QVariant* const* params, int count)
{
    bindAll(count, [params](int i) { return Param{params[i], {}}; });
}

void Statement::bind(const Param* params, int count)
{
    bindAll(count, [params](int i) -> const Param& { return params[i]; });
}

template <typename At> void Statement::bindAll(int count, At at)
{
    const int expected = sqlite3_bind_parameter_count(stmt_);
    if (count != expected)
        throw Error(QStringLiteral("参数个数不符：语句要 %1 个，给了 %2 个。").arg(expected).arg(count));
    // The bytes of texts stay here until the next binding or the statement's end, so that SQLite
    // need not copy them; texts are written into one buffer, kept from one use to the next, and
    // bound once all are written, the buffer then being where it stays.
    const std::size_t n = static_cast<std::size_t>(expected);
    texts_.assign(n, {0, -1});
    if (bound_.size() != n)
        bound_.resize(n);
    std::size_t used = 0;
    for (int i = 0; i < expected; ++i) {
        const QVariant* v = at(i).value;
        if (!v || typeOf(*v) != QMetaType::QString)
            continue;
        const QString& text = *static_cast<const QString*>(v->constData());
        const std::size_t room = 3 * static_cast<std::size_t>(text.size());
        if (text_.size() < used + room)
            text_.resize(std::max(used + room, text_.size() * 2));
        char* begin = text_.data() + used;
        char* end = utf8Of(text, begin);
        texts_[static_cast<std::size_t>(i)] = {used, static_cast<int>(end - begin)};
        used += static_cast<std::size_t>(end - begin);
    }
    const int currency = qMetaTypeId<convert::Currency>();
    for (int i = 0; i < expected; ++i) {
        const auto [offset, size] = texts_[static_cast<std::size_t>(i)];
        const Param& p = at(i);
        int rc = SQLITE_OK;
        if (size >= 0) {
            rc = sqlite3_bind_text64(stmt_, i + 1, text_.data() + offset, static_cast<sqlite3_uint64>(size),
                                     SQLITE_STATIC, SQLITE_UTF8);
        } else if (!p.value) {
            // Already in stored form, in storage that outlives the statement's use of it.
            const StoredValue& v = p.stored;
            switch (v.storage) {
            case SQLITE_INTEGER:
                rc = sqlite3_bind_int64(stmt_, i + 1, v.integer);
                break;
            case SQLITE_FLOAT:
                rc = sqlite3_bind_double(stmt_, i + 1, v.real);
                break;
            case SQLITE_TEXT:
                rc = sqlite3_bind_text64(stmt_, i + 1, v.bytes, static_cast<sqlite3_uint64>(v.size), SQLITE_STATIC,
                                         SQLITE_UTF8);
                break;
            case SQLITE_BLOB:
                rc = sqlite3_bind_blob64(stmt_, i + 1, v.bytes, static_cast<sqlite3_uint64>(v.size), SQLITE_STATIC);
                break;
            default:
                rc = sqlite3_bind_null(stmt_, i + 1);
                break;
            }
        } else if (typeOf(*p.value) == currency) {
            // Amounts are the most common value after texts: bound as bindValue binds them.
            rc = sqlite3_bind_double(
                stmt_, i + 1,
                static_cast<double>(static_cast<const convert::Currency*>(p.value->constData())->units()) / 10000.0);
        } else {
            bindValue(stmt_, i + 1, *p.value, &bound_[static_cast<std::size_t>(i)]);
        }
        if (rc != SQLITE_OK)
            throw Error(
                QStringLiteral("无法设置第 %1 个参数（%2）").arg(i + 1).arg(QString::fromUtf8(sqlite3_errstr(rc))));
    }
}

void Statement::endGuard(bool undo)
{
    releasing_ = false;
    if (WriteGuard* guard = state_.guard.get())
        guard->close(undo);
}

bool Statement::step()
{
    WriteGuard* guard = state_.guard.get();
    if (!guard || state_.db != db_) {
        const int rc = sqlite3_step(stmt_);
        if (rc == SQLITE_ROW)
            return true;
        if (rc == SQLITE_DONE)
            return false;
        raiseFailure(db_, rc, state_.path);
    }
    // A run of a writing statement begins: its rows are watched, inside a savepoint that undoes them
    // when one is refused.
    const bool watched = guarded_ && !sqlite3_stmt_busy(stmt_);
    if (watched) {
        if (releasing_)
            endGuard(false);
        guard->begin();
    }
    guard->stepping = true;
    const int rc = sqlite3_step(stmt_);
    guard->stepping = false;
    const bool failed = rc != SQLITE_ROW && rc != SQLITE_DONE;
    if (watched) {
        // SQLite's reason is taken before the savepoint's statements replace it.
        const QString failure = failed ? describeFailure(db_, rc, state_.path) : QString();
        const QString refusal = guard->finish(failed);
        if (!refusal.isEmpty())
            sqlite3_reset(stmt_);
        if (rc == SQLITE_ROW && refusal.isEmpty()) {
            // The rows of RETURNING: every row is written by now, but the savepoint cannot be released
            // while the statement still runs.
            releasing_ = true;
            return true;
        }
        const QString unreleased = guard->close(failed || !refusal.isEmpty());
        if (failed)
            throw Error(failure);
        if (!refusal.isEmpty())
            throw Error(refusal);
        if (!unreleased.isEmpty())
            throw Error(unreleased);
        return false;
    }
    if (releasing_ && rc != SQLITE_ROW) {
        const QString failure = failed ? describeFailure(db_, rc, state_.path) : QString();
        endGuard(failed);
        if (failed)
            throw Error(failure);
    }
    if (rc == SQLITE_ROW)
        return true;
    if (rc == SQLITE_DONE)
        return false;
    raiseFailure(db_, rc, state_.path);
}

int Statement::run()
{
    const sqlite3_int64 before = sqlite3_total_changes64(db_);
    while (step()) {
    }
    // sqlite3_changes keeps the count of the last INSERT, UPDATE or DELETE; any other statement
    // changed no rows.
    return sqlite3_total_changes64(db_) == before ? 0 : sqlite3_changes(db_);
}

const char* Statement::boundText(int i, int* size) const
{
    if (i < 0 || i >= static_cast<int>(texts_.size()) || texts_[static_cast<std::size_t>(i)].second < 0)
        return nullptr;
    *size = texts_[static_cast<std::size_t>(i)].second;
    return text_.data() + texts_[static_cast<std::size_t>(i)].first;
}

void Statement::reset()
{
    if (releasing_) {
        sqlite3_reset(stmt_);
        endGuard(false);
    }
    sqlite3_reset(stmt_);
}

int Statement::columnCount() const
{
    return sqlite3_column_count(stmt_);
}

} // namespace db
