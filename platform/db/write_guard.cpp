// Debian's SQLite is built with the pre-update hook; its declarations are only visible when asked for.
#define SQLITE_ENABLE_PREUPDATE_HOOK 1
#include "platform/db/write_guard.h"

#include "platform/convert/convert.h"
#include "platform/db/connection.h"
#include "platform/db/error.h"
#include "platform/db/statement.h"
#include "platform/error/error.h"

#include <cstring>
#include <sqlite3.h>

namespace db {

enum class Kind { None, Text, Whole, Number, Date };

struct WriteGuard::Rule {
    Kind kind = Kind::None;
    qint64 low = 0, high = 0; // Whole; Text: high is the size
    QString field;
};

namespace {

WriteGuard::Rule ruleOf(const QString& field, ColumnType type, int size)
{
    WriteGuard::Rule r;
    r.field = field;
    switch (type) {
    case ColumnType::Text:
        r.kind = Kind::Text;
        r.high = size > 0 ? size : 255;
        break;
    case ColumnType::Byte:
        r.kind = Kind::Whole, r.low = 0, r.high = 255;
        break;
    case ColumnType::Short:
        r.kind = Kind::Whole, r.low = -32768, r.high = 32767;
        break;
    case ColumnType::Long:
        r.kind = Kind::Whole, r.low = -2147483648LL, r.high = 2147483647LL;
        break;
    case ColumnType::Single:
    case ColumnType::Double:
    case ColumnType::Currency:
    case ColumnType::YesNo:
        r.kind = Kind::Number;
        break;
    case ColumnType::DateTime:
        r.kind = Kind::Date;
        break;
    case ColumnType::Memo:
    case ColumnType::Counter: // the row id: SQLite's own
        break;
    }
    return r;
}

bool digits(const char*& p, const char* end, int count, int low, int high)
{
    int n = 0;
    for (int i = 0; i < count; ++i, ++p) {
        if (p >= end || *p < '0' || *p > '9')
            return false;
        n = n * 10 + (*p - '0');
    }
    return n >= low && n <= high;
}

bool skip(const char*& p, const char* end, char c)
{
    if (p < end && *p == c) {
        ++p;
        return true;
    }
    return false;
}

void blanks(const char*& p, const char* end)
{
    while (p < end && (*p == ' ' || *p == '\t'))
        ++p;
}

// HH:MM[:SS[.fff]], then a zone (Z or +HH:MM) if any.
bool clock(const char*& p, const char* end)
{
    if (!digits(p, end, 2, 0, 24) || !skip(p, end, ':') || !digits(p, end, 2, 0, 59))
        return false;
    if (skip(p, end, ':')) {
        if (!digits(p, end, 2, 0, 59))
            return false;
        if (skip(p, end, '.'))
            while (p < end && *p >= '0' && *p <= '9')
                ++p;
    }
    blanks(p, end);
    if (skip(p, end, 'Z') || skip(p, end, 'z'))
        return true;
    if (p < end && (*p == '+' || *p == '-')) {
        ++p;
        return digits(p, end, 2, 0, 14) && skip(p, end, ':') && digits(p, end, 2, 0, 59);
    }
    return true;
}

// A text SQLite's date() reads as a date or a time: the forms written by the layer and by SQL.
bool isDateText(const char* p, int size)
{
    const char* end = p + size;
    blanks(p, end);
    while (end > p && (end[-1] == ' ' || end[-1] == '\t'))
        --end;
    if (end - p == 3 && (std::strncmp(p, "now", 3) == 0 || std::strncmp(p, "NOW", 3) == 0))
        return true;
    const char* at = p;
    if (clock(at, end) && at == end)
        return true;
    skip(p, end, '-');
    if (!digits(p, end, 4, 0, 9999) || !skip(p, end, '-') || !digits(p, end, 2, 1, 12) || !skip(p, end, '-') ||
        !digits(p, end, 2, 1, 31))
        return false;
    if (p == end)
        return true;
    if (*p != ' ' && *p != 'T' && *p != 't')
        return false;
    ++p;
    blanks(p, end);
    return clock(p, end) && p == end;
}

// Characters as SQLite's length() counts them.
qint64 characters(const unsigned char* p, int size)
{
    qint64 n = 0;
    for (int i = 0; i < size; ++i)
        if ((p[i] & 0xc0) != 0x80)
            ++n;
    return n;
}

QString shown(sqlite3_value* v)
{
    switch (sqlite3_value_type(v)) {
    case SQLITE_INTEGER:
        return QString::number(sqlite3_value_int64(v));
    case SQLITE_FLOAT:
        return convert::plainNumber(sqlite3_value_double(v));
    case SQLITE_TEXT:
        return QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_value_text(v)), sqlite3_value_bytes(v));
    default:
        return QStringLiteral("(%1 字节的二进制数据)").arg(sqlite3_value_bytes(v));
    }
}

bool sameValue(sqlite3_value* a, sqlite3_value* b)
{
    const int type = sqlite3_value_type(a);
    if (type != sqlite3_value_type(b))
        return false;
    switch (type) {
    case SQLITE_NULL:
        return true;
    case SQLITE_INTEGER:
        return sqlite3_value_int64(a) == sqlite3_value_int64(b);
    case SQLITE_FLOAT:
        return sqlite3_value_double(a) == sqlite3_value_double(b);
    default: {
        const void* x = type == SQLITE_TEXT ? static_cast<const void*>(sqlite3_value_text(a)) : sqlite3_value_blob(a);
        const void* y = type == SQLITE_TEXT ? static_cast<const void*>(sqlite3_value_text(b)) : sqlite3_value_blob(b);
        const int n = sqlite3_value_bytes(a);
        return n == sqlite3_value_bytes(b) && (n == 0 || std::memcmp(x, y, static_cast<std::size_t>(n)) == 0);
    }
    }
}

// Why the rule refuses the value, or empty when it takes it.
QString refusal(const WriteGuard::Rule& r, sqlite3_value* v)
{
    const int type = sqlite3_value_type(v);
    if (type == SQLITE_NULL)
        return QString();
    switch (r.kind) {
    case Kind::None:
        return QString();
    case Kind::Text: {
        qint64 n = 0;
        if (type == SQLITE_TEXT)
            n = characters(sqlite3_value_text(v), sqlite3_value_bytes(v));
        else if (type == SQLITE_BLOB)
            n = sqlite3_value_bytes(v);
        else
            n = shown(v).size();
        if (n <= r.high)
            return QString();
        return QStringLiteral("%1（字段“%2”最多 %3 个字符：length(%4) <= %3）")
            .arg(QString::fromUtf8(messages::fieldTooSmall), r.field)
            .arg(r.high)
            .arg(quoteIdentifier(r.field));
    }
    case Kind::Whole:
        if (type == SQLITE_INTEGER && sqlite3_value_int64(v) >= r.low && sqlite3_value_int64(v) <= r.high)
            return QString();
        return QStringLiteral("%1或%2：字段“%3”只能接受 %4 到 %5 的整数，不能接受“%6”。（%7 BETWEEN %4 AND %5）")
            .arg(QString::fromUtf8(messages::typeMismatch), QString::fromUtf8(messages::overflow), r.field)
            .arg(r.low)
            .arg(r.high)
            .arg(shown(v), quoteIdentifier(r.field));
    case Kind::Number:
        if (type == SQLITE_INTEGER || type == SQLITE_FLOAT)
            return QString();
        return QStringLiteral("%1：字段“%2”只能接受数字，不能接受“%3”。（typeof(%4) IN ('integer', 'real')）")
            .arg(QString::fromUtf8(messages::typeMismatch), r.field, shown(v), quoteIdentifier(r.field));
    case Kind::Date:
        if (type == SQLITE_TEXT &&
            isDateText(reinterpret_cast<const char*>(sqlite3_value_text(v)), sqlite3_value_bytes(v)))
            return QString();
        return QStringLiteral("%1：日期字段“%2”只能接受日期，不能接受“%3”。（date(%4) IS NOT NULL）")
            .arg(QString::fromUtf8(messages::typeMismatch), r.field, shown(v), quoteIdentifier(r.field));
    }
    return QString();
}

// A table's key: its schema and its name, apart by a character no name of ours holds.
std::string keyOf(const char* schema, const char* table)
{
    std::string key(schema);
    key += '\x1f';
    key += table;
    return key;
}

} // namespace

WriteGuard::WriteGuard(sqlite3* db)
    : db_(db)
{
    sqlite3_set_authorizer(db_, &WriteGuard::onPrepare, this);
}

WriteGuard::~WriteGuard()
{
    sqlite3_preupdate_hook(db_, nullptr, nullptr);
    sqlite3_set_authorizer(db_, nullptr, nullptr);
    for (Deferred& d : deferred_)
        for (auto& [i, v] : d.values)
            sqlite3_value_free(v);
    for (sqlite3_stmt* s : {savepoint_, release_, rollback_, columns_})
        sqlite3_finalize(s);
}

void WriteGuard::run(sqlite3_stmt*& stmt, const char* sql)
{
    int rc = SQLITE_OK;
    if (!stmt)
        rc = sqlite3_prepare_v3(db_, sql, -1, SQLITE_PREPARE_PERSISTENT, &stmt, nullptr);
    if (rc == SQLITE_OK) {
        rc = sqlite3_step(stmt);
        sqlite3_reset(stmt);
    }
    if (rc != SQLITE_OK && rc != SQLITE_DONE)
        throw Error(describeFailure(db_, rc, QString()));
}

void WriteGuard::begin()
{
    run(savepoint_, "SAVEPOINT qelv_guard");
    fault_.clear();
    watching_ = true;
    sqlite3_preupdate_hook(db_, &WriteGuard::onWrite, this);
}

QString WriteGuard::finish(bool failed)
{
    watching_ = false;
    sqlite3_preupdate_hook(db_, nullptr, nullptr);
    // Rows of tables met for the first time: their columns are asked for now that the statement is done.
    std::vector<Deferred> rows;
    rows.swap(deferred_);
    for (Deferred& d : rows) {
        if (!failed && fault_.isEmpty()) {
            auto it = tables_.find(d.table);
            if (it == tables_.end())
                it = tables_.emplace(d.table, loadTable(d.table, d.count)).first;
            const std::vector<Rule>& rules = it->second.rules;
            for (const auto& [i, v] : d.values) {
                if (i >= static_cast<int>(rules.size()))
                    continue;
                if (const QString why = refusal(rules[static_cast<std::size_t>(i)], v); !why.isEmpty()) {
                    fault_ = why;
                    break;
                }
            }
        }
        for (auto& [i, v] : d.values)
            sqlite3_value_free(v);
    }
    QString fault;
    fault.swap(fault_);
    return fault;
}

QString WriteGuard::close(bool undo)
{
    if (undo) {
        // A failure that ended the whole transaction took the savepoint with it.
        try {
            run(rollback_, "ROLLBACK TO qelv_guard");
            run(release_, "RELEASE qelv_guard");
        } catch (const Error&) {
            platform::warnDropped("write guard: rolling back to its savepoint");
        }
        return QString();
    }
    try {
        run(release_, "RELEASE qelv_guard");
    } catch (const Error& e) {
        if (!sqlite3_get_autocommit(db_))
            sqlite3_exec(db_, "ROLLBACK TO qelv_guard; RELEASE qelv_guard", nullptr, nullptr, nullptr);
        return e.description();
    }
    return QString();
}

void WriteGuard::know(const QString& schema, const QString& table, const QList<ColumnDef>& columns)
{
    Table t;
    t.count = static_cast<int>(columns.size());
    for (const ColumnDef& c : columns)
        t.rules.push_back(ruleOf(c.name, c.type, c.size));
    tables_[keyOf(schema.toUtf8().constData(), table.toUtf8().constData())] = std::move(t);
}

void WriteGuard::forget()
{
    if (!tables_.empty())
        tables_.clear();
}

// The columns as a query of all of them declares them: the query is prepared, never run, and goes at
// once. It costs less than the table's definition asked of SQLite, which prepares a pragma of its own
// and runs it. A column declared INTEGER may be the row id itself, which only the definition tells;
// so may a count of columns other than that of the rows written (hidden columns): the definition
// is asked for those.
bool WriteGuard::loadDeclared(const std::string& key, int count, Table* out)
{
    const std::size_t apart = key.find('\x1f');
    const QByteArray sql = "SELECT * FROM " +
        quoteIdentifier(QString::fromUtf8(key.data(), static_cast<qsizetype>(apart))).toUtf8() + '.' +
        quoteIdentifier(QString::fromUtf8(key.data() + apart + 1, static_cast<qsizetype>(key.size() - apart - 1)))
            .toUtf8();
    sqlite3_stmt* all = nullptr;
    if (sqlite3_prepare_v3(db_, sql.constData(), static_cast<int>(sql.size()), 0, &all, nullptr) != SQLITE_OK || !all) {
        sqlite3_finalize(all);
        return false;
    }
    bool plain = sqlite3_column_count(all) == count;
    Table t;
    for (int i = 0; plain && i < count; ++i) {
        const char* decl = sqlite3_column_decltype(all, i);
        if (decl && sqlite3_stricmp(decl, "INTEGER") == 0) {
            plain = false;
            break;
        }
        int size = 0;
        bool known = false;
        const ColumnType type = decl ? typeFromDecl(decl, &size, &known) : ColumnType::Text;
        t.rules.push_back(known ? ruleOf(QString::fromUtf8(sqlite3_column_name(all, i)), type, size) : Rule{});
    }
    sqlite3_finalize(all);
    if (!plain)
        return false;
    t.count = count;
    *out = std::move(t);
    return true;
}

WriteGuard::Table WriteGuard::loadTable(const std::string& key, int count)
{
    Table t;
    if (loadDeclared(key, count, &t))
        return t;
    // One pass over the columns: whether a column is the row id itself depends on how many make up
    // the key, which is known once all are read.
    if (!columns_ &&
        sqlite3_prepare_v3(db_, "SELECT name, type, pk FROM pragma_table_xinfo(?1, ?2) ORDER BY cid", -1,
                           SQLITE_PREPARE_PERSISTENT, &columns_, nullptr) != SQLITE_OK)
        return t;
    const std::size_t apart = key.find('\x1f');
    sqlite3_bind_text(columns_, 1, key.data() + apart + 1, static_cast<int>(key.size() - apart - 1), SQLITE_STATIC);
    sqlite3_bind_text(columns_, 2, key.data(), static_cast<int>(apart), SQLITE_STATIC);
    int keyColumns = 0;
    int integerKey = -1; // a key column declared INTEGER
    while (sqlite3_step(columns_) == SQLITE_ROW) {
        const QString field = QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(columns_, 0)));
        const QString decl = QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(columns_, 1)));
        int size = 0;
        bool known = false;
        const ColumnType type = typeFromDecl(decl, &size, &known);
        if (sqlite3_column_int(columns_, 2) > 0) {
            ++keyColumns;
            if (decl.compare(QStringLiteral("INTEGER"), Qt::CaseInsensitive) == 0)
                integerKey = static_cast<int>(t.rules.size());
        }
        t.rules.push_back(known ? ruleOf(field, type, size) : Rule{});
    }
    sqlite3_reset(columns_);
    sqlite3_clear_bindings(columns_);
    // The row id itself (the single INTEGER key): SQLite's own.
    if (keyColumns == 1 && integerKey >= 0)
        t.rules[static_cast<std::size_t>(integerKey)] =
            ruleOf(t.rules[static_cast<std::size_t>(integerKey)].field, ColumnType::Counter, 0);
    t.count = static_cast<int>(t.rules.size());
    return t;
}

const WriteGuard::Table* WriteGuard::tableOf(const std::string& key)
{
    const auto it = tables_.find(key);
    if (it == tables_.end())
        return nullptr;
    if (it->second.count != sqlite3_preupdate_count(db_)) {
        tables_.erase(it); // made anew by other means: asked for again afterwards
        return nullptr;
    }
    return &it->second;
}

void WriteGuard::check(int op, const char* schema, const char* table)
{
    std::string key = keyOf(schema, table);
    const Table* t = tableOf(key);
    const int n = sqlite3_preupdate_count(db_);
    if (t) {
        for (int i = 0; i < n; ++i) {
            const Rule& rule = t->rules[static_cast<std::size_t>(i)];
            if (rule.kind == Kind::None)
                continue;
            sqlite3_value* v = nullptr;
            if (sqlite3_preupdate_new(db_, i, &v) != SQLITE_OK || !v)
                continue;
            if (op == SQLITE_UPDATE) {
                sqlite3_value* old = nullptr;
                // A value the row already had is no new refusal, whoever wrote it.
                if (sqlite3_preupdate_old(db_, i, &old) == SQLITE_OK && old && sameValue(old, v))
                    continue;
            }
            if (const QString why = refusal(rule, v); !why.isEmpty()) {
                fault_ = why;
                return;
            }
        }
        return;
    }
    Deferred d;
    d.table = std::move(key);
    d.count = n;
    for (int i = 0; i < n; ++i) {
        sqlite3_value* v = nullptr;
        if (sqlite3_preupdate_new(db_, i, &v) != SQLITE_OK || !v || sqlite3_value_type(v) == SQLITE_NULL)
            continue;
        if (op == SQLITE_UPDATE) {
            sqlite3_value* old = nullptr;
            if (sqlite3_preupdate_old(db_, i, &old) == SQLITE_OK && old && sameValue(old, v))
                continue;
        }
        if (sqlite3_value* copy = sqlite3_value_dup(v))
            d.values.emplace_back(i, copy);
    }
    if (!d.values.empty())
        deferred_.push_back(std::move(d));
}

void WriteGuard::onWrite(void* self, sqlite3*, int op, const char* database, const char* table, long long, long long)
{
    auto* g = static_cast<WriteGuard*>(self);
    // The temporary schema holds nothing of the files'; attached files are checked as the main one is.
    if (!g->watching_ || !g->fault_.isEmpty() || op == SQLITE_DELETE || std::strcmp(database, "temp") == 0)
        return;
    g->check(op, database, table);
}

int WriteGuard::onPrepare(void* self, int action, const char*, const char*, const char*, const char*)
{
    auto* g = static_cast<WriteGuard*>(self);
    switch (action) {
    case SQLITE_TRANSACTION:
    case SQLITE_SAVEPOINT:
        break;
    case SQLITE_CREATE_TABLE:
    case SQLITE_DROP_TABLE:
    case SQLITE_ALTER_TABLE:
        g->forget();
        break;
    default:
        // Prepared again while running: the schema was read anew, perhaps changed by another connection.
        if (g->stepping)
            g->forget();
        break;
    }
    return SQLITE_OK;
}

} // namespace db
