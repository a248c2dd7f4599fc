#include "platform/db/recordset.h"

#include "platform/convert/convert.h"
#include "platform/db/connection_state.h"
#include "platform/db/query_shape.h"
#include "platform/db/statement.h"
#include "platform/db/types.h"

#include <QDate>
#include <QDateTime>
#include <algorithm>
#include <sqlite3.h>

namespace db {

namespace {

struct Field {
    QString name;           // as the query names it
    QString table;          // base table; empty for an expression
    QString origin;         // the base table's column
    ColumnType type = ColumnType::Text;
    int size = 0;
    bool typed = false;     // the declared type names a Jet type
    bool rowidAlias = false;   // the table's INTEGER PRIMARY KEY, which is the row id itself
};

struct Row {
    Bookmark mark = 0;
    qint64 rowid = 0;
    bool isNew = false;     // added and not yet written
    bool dirty = false;     // has pending values
    QVariantList values;    // as last read from the table
    QVariantList pending;
    std::vector<bool> changed;

    explicit Row(int fields) : changed(static_cast<std::size_t>(fields), false)
    {
        for (int i = 0; i < fields; ++i) {
            values << QVariant();
            pending << QVariant();
        }
    }
    QVariant shown(int f) const { return changed[static_cast<std::size_t>(f)] ? pending[f] : values[f]; }
    void clearPending()
    {
        std::fill(changed.begin(), changed.end(), false);
        for (QVariant& v : pending)
            v = QVariant();
        dirty = false;
    }
};

bool isNull(const QVariant& v)
{
    return !v.isValid() || (v.isNull() && v.userType() != qMetaTypeId<convert::Currency>());
}

bool isNumber(const QVariant& v)
{
    switch (v.userType()) {
    case QMetaType::Bool:
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Double:
    case QMetaType::Float:
        return true;
    default:
        return v.userType() == qMetaTypeId<convert::Currency>();
    }
}

bool isDate(const QVariant& v)
{
    return v.userType() == QMetaType::QDate || v.userType() == QMetaType::QDateTime;
}

double numberOf(const QVariant& v)
{
    if (v.userType() == qMetaTypeId<convert::Currency>())
        return v.value<convert::Currency>().toDouble();
    if (v.userType() == QMetaType::QString)
        return convert::toDouble(v.toString());
    return v.toDouble();
}

QString textOf(const QVariant& v)
{
    if (v.userType() == QMetaType::QDate)
        return v.toDate().toString(QStringLiteral("yyyy-MM-dd"));
    if (v.userType() == QMetaType::QDateTime)
        return v.toDateTime().toString(QStringLiteral("yyyy-MM-dd hh:mm:ss"));
    return v.toString();
}

// Jet's order: Null first, numbers by value, dates by time, text without regard to case.
int compareValues(const QVariant& a, const QVariant& b)
{
    const bool an = isNull(a), bn = isNull(b);
    if (an || bn)
        return an == bn ? 0 : (an ? -1 : 1);
    const bool aNum = isNumber(a) || (isNumber(b) && convert::isNumeric(a.toString()));
    const bool bNum = isNumber(b) || (isNumber(a) && convert::isNumeric(b.toString()));
    if (aNum && bNum) {
        if (a.userType() == qMetaTypeId<convert::Currency>() && b.userType() == a.userType()) {
            const auto x = a.value<convert::Currency>(), y = b.value<convert::Currency>();
            return x < y ? -1 : (y < x ? 1 : 0);
        }
        const double x = numberOf(a), y = numberOf(b);
        return x < y ? -1 : (y < x ? 1 : 0);
    }
    if (isDate(a) && isDate(b)) {
        const QDateTime x = a.userType() == QMetaType::QDate ? a.toDate().startOfDay() : a.toDateTime();
        const QDateTime y = b.userType() == QMetaType::QDate ? b.toDate().startOfDay() : b.toDateTime();
        return x < y ? -1 : (y < x ? 1 : 0);
    }
    const int c = QString::compare(textOf(a), textOf(b), Qt::CaseInsensitive);
    return c < 0 ? -1 : (c > 0 ? 1 : 0);
}

// Null equals nothing, not even Null, as in SQL.
bool valuesEqual(const QVariant& a, const QVariant& b)
{
    return !isNull(a) && !isNull(b) && compareValues(a, b) == 0;
}

QString columnText(sqlite3_stmt* stmt, const char* (*get)(sqlite3_stmt*, int), int i)
{
    const char* s = get(stmt, i);
    return s ? QString::fromUtf8(s) : QString();
}

} // namespace

struct Recordset::Impl {
    Recordset* q = nullptr;
    std::shared_ptr<ConnectionState> conn;
    QString sql;
    QVariantList params;
    LockType lock = LockType::Optimistic;

    bool updatable = false;
    QString table;
    std::vector<Field> fields;
    std::vector<std::unique_ptr<Row>> rows;   // every row, in the query's order, added ones last
    std::vector<Row*> visible;                // the rows the filter lets through, in the sort's order
    // The current row is visible[cur]; cur == -1 is BOF and cur == size() EOF. After a delete no row
    // is current and cur is the index of the row after the deleted one.
    int cur = 0;
    bool onDeleted = false;
    Bookmark nextMark = 1;
    Bookmark markBeforeAdd = 0;
    int filterField = -1;
    QVariant filterValue;
    std::vector<std::pair<int, bool>> sortKeys;   // field, descending

    int count() const { return static_cast<int>(visible.size()); }
    bool hasCurrent() const { return !onDeleted && cur >= 0 && cur < count(); }
    Row* current() const { return visible[static_cast<std::size_t>(cur)]; }

    ConnectionState& connection() const
    {
        if (!conn || conn->closed)
            throw Error(QString::fromUtf8(messages::closed));
        return *conn;
    }

    void requireCurrent() const
    {
        if (!hasCurrent())
            throw Error(QString::fromUtf8(messages::noCurrentRecord));
    }

    void requireUpdatable() const
    {
        if (!updatable)
            throw Error(QString::fromUtf8(messages::readOnly));
    }

    void checkField(int f) const
    {
        if (f < 0 || f >= static_cast<int>(fields.size()))
            throw Error(QString::fromUtf8(messages::itemNotFound));
    }

    int fieldOrThrow(const QString& name) const
    {
        for (std::size_t i = 0; i < fields.size(); ++i)
            if (fields[i].name.compare(name, Qt::CaseInsensitive) == 0)
                return static_cast<int>(i);
        throw Error(QStringLiteral("%1（%2）").arg(QString::fromUtf8(messages::itemNotFound), name));
    }

    int indexOf(const Row* r) const
    {
        const auto it = std::find(visible.begin(), visible.end(), r);
        return it == visible.end() ? -1 : static_cast<int>(it - visible.begin());
    }

    void setCurrent(int index)
    {
        cur = std::clamp(index, -1, count());
        onDeleted = false;
        emit q->moveComplete();
    }

    void removeRow(Row* r)
    {
        visible.erase(std::remove(visible.begin(), visible.end(), r), visible.end());
        rows.erase(std::remove_if(rows.begin(), rows.end(), [r](const std::unique_ptr<Row>& p) { return p.get() == r; }),
                   rows.end());
    }

    void load();
    std::vector<Field> readFields(sqlite3_stmt* stmt, int offset);
    QVariantList reread(qint64 rowid, const QVariantList& old);
    std::pair<QVariantList, qint64> writeRow(const Row& r);
    void writeRows(const std::vector<Row*>& list);
    void leaveRow(bool mayDrop = true);
    void rebuildVisible();
    void returnAfterRemovedAdd();
};

std::vector<Field> Recordset::Impl::readFields(sqlite3_stmt* stmt, int offset)
{
    std::vector<Field> fields;
    sqlite3* db = connection().handle();
    const int n = sqlite3_column_count(stmt);
    int pkColumns = -1;
    for (int i = offset; i < n; ++i) {
        Field f;
        f.name = QString::fromUtf8(sqlite3_column_name(stmt, i));
        f.table = columnText(stmt, sqlite3_column_table_name, i);
        f.origin = columnText(stmt, sqlite3_column_origin_name, i);
        const char* decl = sqlite3_column_decltype(stmt, i);
        if (decl) {
            bool known = false;
            f.type = typeFromDecl(QString::fromUtf8(decl), &f.size, &known);
            f.typed = known;
        }
        if (!f.table.isEmpty()) {
            const QByteArray t = f.table.toUtf8(), c = f.origin.toUtf8();
            const char* declared = nullptr;
            int notNull = 0, pk = 0, autoinc = 0;
            if (sqlite3_table_column_metadata(db, "main", t.constData(), c.constData(), &declared, nullptr, &notNull,
                                              &pk, &autoinc) == SQLITE_OK) {
                if (autoinc)
                    f.type = ColumnType::Counter;
                if (pk && declared && QString::fromUtf8(declared).compare(QStringLiteral("INTEGER"), Qt::CaseInsensitive) == 0) {
                    if (pkColumns < 0) {
                        Statement info(connection(), QStringLiteral("SELECT count(*) FROM pragma_table_info(?) WHERE pk > 0"));
                        info.bind({f.table});
                        pkColumns = info.step() ? sqlite3_column_int(info.get(), 0) : 0;
                    }
                    f.rowidAlias = pkColumns == 1;
                }
            }
        }
        fields.push_back(f);
    }
    return fields;
}

void Recordset::Impl::load()
{
    ConnectionState& s = connection();
    auto plain = std::make_unique<Statement>(s, sql);
    QString base;
    bool oneTable = true;
    for (int i = 0; i < plain->columnCount(); ++i) {
        const QString t = columnText(plain->get(), sqlite3_column_table_name, i);
        if (t.isEmpty())
            continue;
        if (columnText(plain->get(), sqlite3_column_database_name, i) != QLatin1String("main"))
            oneTable = false;
        if (base.isEmpty())
            base = t;
        else if (base.compare(t, Qt::CaseInsensitive) != 0)
            oneTable = false;
    }

    // A query on one table keeps each row's id beside its fields, so that an edited row is written
    // back to exactly that row.
    std::unique_ptr<Statement> withRowid;
    int insertAt = -1;
    if (lock != LockType::ReadOnly && oneTable && !base.isEmpty() && isSimpleSelect(sql, &insertAt)) {
        try {
            const QString injected = sql.left(insertAt) + QStringLiteral(" _rowid_ AS qelv_rowid_,") + sql.mid(insertAt);
            withRowid = std::make_unique<Statement>(s, injected);
            // A view or a subquery answers _rowid_ with nothing; only a real table's row id will do.
            if (withRowid->columnCount() != plain->columnCount() + 1 ||
                columnText(withRowid->get(), sqlite3_column_table_name, 0).compare(base, Qt::CaseInsensitive) != 0)
                withRowid.reset();
        } catch (const Error&) {
            withRowid.reset();
        }
    }
    const bool canWrite = withRowid != nullptr;
    Statement& st = canWrite ? *withRowid : *plain;
    const int offset = canWrite ? 1 : 0;
    std::vector<Field> newFields = readFields(st.get(), offset);
    st.bind(params);

    // Read in full before anything is replaced, so that a failure leaves the recordset as it was.
    std::vector<std::unique_ptr<Row>> read;
    const int n = static_cast<int>(newFields.size());
    while (st.step()) {
        auto r = std::make_unique<Row>(n);
        r->mark = nextMark++;
        if (canWrite)
            r->rowid = sqlite3_column_int64(st.get(), 0);
        for (int i = 0; i < n; ++i) {
            const Field& f = newFields[static_cast<std::size_t>(i)];
            r->values[i] = valueFromSql(st.get(), i + offset, f.type, f.typed);
        }
        read.push_back(std::move(r));
    }
    updatable = canWrite;
    table = canWrite ? base : QString();
    if (filterField >= n)
        filterField = -1;
    if (n != static_cast<int>(fields.size()))
        sortKeys.clear();
    fields = std::move(newFields);
    visible.clear();
    rows = std::move(read);
    rebuildVisible();
    cur = 0;
    onDeleted = false;
}

QVariantList Recordset::Impl::reread(qint64 rowid, const QVariantList& old)
{
    QStringList columns;
    std::vector<int> index;
    for (std::size_t i = 0; i < fields.size(); ++i) {
        if (fields[i].table.isEmpty())
            continue;
        columns << quoteIdentifier(fields[i].origin);
        index.push_back(static_cast<int>(i));
    }
    QVariantList values = old;
    if (columns.isEmpty())
        return values;
    Statement st(connection(), QStringLiteral("SELECT %1 FROM %2 WHERE _rowid_ = ?")
                                   .arg(columns.join(QStringLiteral(", ")), quoteIdentifier(table)));
    st.bind({rowid});
    if (st.step()) {
        for (std::size_t k = 0; k < index.size(); ++k) {
            const Field& f = fields[static_cast<std::size_t>(index[k])];
            values[index[k]] = valueFromSql(st.get(), static_cast<int>(k), f.type, f.typed);
        }
    }
    return values;
}

std::pair<QVariantList, qint64> Recordset::Impl::writeRow(const Row& r)
{
    ConnectionState& s = connection();
    QStringList names;
    QVariantList params;
    qint64 rowid = r.rowid;
    for (std::size_t i = 0; i < fields.size(); ++i) {
        if (!r.changed[i])
            continue;
        names << quoteIdentifier(fields[i].origin);
        params << r.pending[static_cast<int>(i)];
        if (fields[i].rowidAlias && !r.isNew && !isNull(r.pending[static_cast<int>(i)]))
            rowid = r.pending[static_cast<int>(i)].toLongLong();
    }
    if (r.isNew) {
        QString text;
        if (names.isEmpty()) {
            text = QStringLiteral("INSERT INTO %1 DEFAULT VALUES").arg(quoteIdentifier(table));
        } else {
            QStringList marks;
            for (qsizetype i = 0; i < names.size(); ++i)
                marks << QStringLiteral("?");
            text = QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                       .arg(quoteIdentifier(table), names.join(QStringLiteral(", ")), marks.join(QStringLiteral(", ")));
        }
        Statement st(s, text);
        st.bind(params);
        st.run();
        rowid = sqlite3_last_insert_rowid(s.handle());
    } else {
        if (names.isEmpty())
            return {r.values, r.rowid};
        QStringList sets;
        for (const QString& n : names)
            sets << n + QStringLiteral(" = ?");
        Statement st(s, QStringLiteral("UPDATE %1 SET %2 WHERE _rowid_ = ?")
                            .arg(quoteIdentifier(table), sets.join(QStringLiteral(", "))));
        params << r.rowid;
        st.bind(params);
        if (st.run() == 0)
            throw Error(QStringLiteral("无法为更新定位行。一些值可能已在最后一次读取后已更改。"));
    }
    // Read back: the database fills defaults and counters, and stores what it stores.
    return {reread(rowid, r.values), rowid};
}

void Recordset::Impl::writeRows(const std::vector<Row*>& list)
{
    if (list.empty())
        return;
    ConnectionState& s = connection();
    emit q->willChangeRecord();
    // All rows or none: a row the table refuses leaves every row pending as it was, to be corrected.
    exec(s, "SAVEPOINT qelv_write");
    std::vector<std::pair<QVariantList, qint64>> results;
    try {
        for (Row* r : list)
            results.push_back(writeRow(*r));
        exec(s, "RELEASE qelv_write");
    } catch (...) {
        try {
            exec(s, "ROLLBACK TO qelv_write");
            exec(s, "RELEASE qelv_write");
        } catch (const Error&) {
        }
        throw;
    }
    for (std::size_t k = 0; k < list.size(); ++k) {
        Row* r = list[k];
        r->values = results[k].first;
        r->rowid = results[k].second;
        r->isNew = false;
        r->clearPending();
        const int index = indexOf(r);
        if (index >= 0)
            emit q->rowChanged(index);
    }
}

// Before the current row changes. With optimistic locking the row's pending edit is written now, and a
// failure keeps the row current with its edit. An added row left untouched is dropped rather than
// written as an empty row.
void Recordset::Impl::leaveRow(bool mayDrop)
{
    if (lock != LockType::Optimistic || !hasCurrent())
        return;
    Row* r = current();
    if (r->isNew && !r->dirty && mayDrop) {
        removeRow(r);
        onDeleted = true;
        emit q->rowsReset();
        return;
    }
    if (r->isNew || r->dirty)
        writeRows({r});
}

void Recordset::Impl::rebuildVisible()
{
    visible.clear();
    for (const auto& r : rows)
        if (filterField < 0 || valuesEqual(r->shown(filterField), filterValue))
            visible.push_back(r.get());
    if (!sortKeys.empty()) {
        std::stable_sort(visible.begin(), visible.end(), [this](const Row* a, const Row* b) {
            for (const auto& [f, descending] : sortKeys) {
                const int c = compareValues(a->shown(f), b->shown(f));
                if (c != 0)
                    return descending ? c > 0 : c < 0;
            }
            return false;
        });
    }
}

// After an added row was discarded: back to the row that was current when it was added.
void Recordset::Impl::returnAfterRemovedAdd()
{
    int target = -1;
    for (int i = 0; i < count(); ++i)
        if (visible[static_cast<std::size_t>(i)]->mark == markBeforeAdd)
            target = i;
    if (target < 0)
        target = count() > 0 ? count() - 1 : 0;
    emit q->rowsReset();
    setCurrent(target);
}

// --- opening -------------------------------------------------------------------------------------------

std::unique_ptr<Recordset> Connection::openRecordset(const QString& sql, const QVariantList& params, LockType lock)
{
    if (!state_ || state_->closed)
        throw Error(QString::fromUtf8(messages::closed));
    auto impl = std::make_unique<Recordset::Impl>();
    impl->conn = state_;
    impl->sql = sql;
    impl->params = params;
    impl->lock = lock;
    impl->load();
    std::unique_ptr<Recordset> rs(new Recordset(std::move(impl)));
    return rs;
}

Recordset::Recordset(std::unique_ptr<Impl> impl)
    : d(std::move(impl))
{
    d->q = this;
}

Recordset::~Recordset() = default;

// --- fields ----------------------------------------------------------------------------------------------

int Recordset::fieldCount() const { return static_cast<int>(d->fields.size()); }

QString Recordset::fieldName(int index) const
{
    d->checkField(index);
    return d->fields[static_cast<std::size_t>(index)].name;
}

int Recordset::fieldIndex(const QString& name) const
{
    for (std::size_t i = 0; i < d->fields.size(); ++i)
        if (d->fields[i].name.compare(name, Qt::CaseInsensitive) == 0)
            return static_cast<int>(i);
    return -1;
}

ColumnType Recordset::fieldType(int index) const
{
    d->checkField(index);
    return d->fields[static_cast<std::size_t>(index)].type;
}

QStringList Recordset::fieldNames() const
{
    QStringList names;
    for (const Field& f : d->fields)
        names << f.name;
    return names;
}

QVariant Recordset::value(int field) const
{
    d->checkField(field);
    d->requireCurrent();
    return d->current()->shown(field);
}

QVariant Recordset::value(const QString& field) const
{
    return value(d->fieldOrThrow(field));
}

void Recordset::setValue(int field, const QVariant& value)
{
    d->checkField(field);
    d->requireCurrent();
    d->requireUpdatable();
    const Field& f = d->fields[static_cast<std::size_t>(field)];
    if (f.table.isEmpty())
        throw Error(QStringLiteral("字段“%1”是计算得到的，不能更新。").arg(f.name));
    const QVariant converted = f.typed || f.type == ColumnType::Counter ? valueForColumn(value, f.type, f.size, f.name)
                                                                        : value;
    Row* r = d->current();
    r->pending[field] = converted;
    r->changed[static_cast<std::size_t>(field)] = true;
    r->dirty = true;
    emit rowChanged(d->cur);
}

void Recordset::setValue(const QString& field, const QVariant& value)
{
    setValue(d->fieldOrThrow(field), value);
}

// --- position --------------------------------------------------------------------------------------------

bool Recordset::isBOF() const { return !d->onDeleted && (d->visible.empty() || d->cur < 0); }
bool Recordset::isEOF() const { return !d->onDeleted && (d->visible.empty() || d->cur >= d->count()); }
int Recordset::recordCount() const { return d->count(); }

int Recordset::absolutePosition() const
{
    if (d->onDeleted || d->visible.empty())
        return PosUnknown;
    if (d->cur < 0)
        return PosBOF;
    if (d->cur >= d->count())
        return PosEOF;
    return d->cur + 1;
}

void Recordset::setAbsolutePosition(int position)
{
    if (position < 1 || position > d->count())
        throw Error(QStringLiteral("参数类型不正确，或不在可以接受的范围之内，或与其他参数冲突。"));
    moveToIndex(position - 1);
}

Bookmark Recordset::bookmark() const
{
    d->requireCurrent();
    return d->current()->mark;
}

void Recordset::setBookmark(Bookmark mark)
{
    Row* target = nullptr;
    for (Row* r : d->visible)
        if (r->mark == mark)
            target = r;
    if (!target)
        throw Error(QStringLiteral("书签无效。"));
    const bool same = d->hasCurrent() && d->current() == target;
    d->leaveRow(!same);
    d->setCurrent(d->indexOf(target));
}

EditMode Recordset::editMode() const
{
    if (!d->hasCurrent())
        return EditMode::None;
    const Row* r = d->current();
    return r->isNew ? EditMode::Add : (r->dirty ? EditMode::InProgress : EditMode::None);
}

bool Recordset::isUpdatable() const { return d->updatable; }
QString Recordset::sql() const { return d->sql; }

void Recordset::notifyMoveComplete() { emit moveComplete(); }

// --- moves -----------------------------------------------------------------------------------------------

void Recordset::moveFirst()
{
    d->leaveRow();
    if (d->visible.empty())
        throw Error(QString::fromUtf8(messages::noCurrentRecord));
    d->setCurrent(0);
}

void Recordset::moveLast()
{
    d->leaveRow();
    if (d->visible.empty())
        throw Error(QString::fromUtf8(messages::noCurrentRecord));
    d->setCurrent(d->count() - 1);
}

void Recordset::moveNext()
{
    if (isEOF())
        throw Error(QString::fromUtf8(messages::noCurrentRecord));
    d->leaveRow();
    d->setCurrent(d->onDeleted ? d->cur : d->cur + 1);
}

void Recordset::movePrevious()
{
    if (isBOF())
        throw Error(QString::fromUtf8(messages::noCurrentRecord));
    d->leaveRow();
    d->setCurrent(d->cur - 1);
}

void Recordset::move(int rows)
{
    if (rows == 0) {
        d->requireCurrent();
        d->leaveRow(false);
        d->setCurrent(d->cur);
        return;
    }
    if ((rows > 0 && isEOF()) || (rows < 0 && isBOF()))
        throw Error(QString::fromUtf8(messages::noCurrentRecord));
    d->leaveRow();
    // From a deleted row, one forward is the row that took its place.
    const qint64 target = static_cast<qint64>(d->cur) + rows - (d->onDeleted && rows > 0 ? 1 : 0);
    d->setCurrent(static_cast<int>(std::clamp<qint64>(target, -1, d->count())));
}

// --- changes ---------------------------------------------------------------------------------------------

void Recordset::addNew()
{
    d->requireUpdatable();
    d->leaveRow();
    d->markBeforeAdd = d->hasCurrent() ? d->current()->mark : 0;
    auto r = std::make_unique<Row>(fieldCount());
    r->mark = d->nextMark++;
    r->isNew = true;
    d->visible.push_back(r.get());
    d->rows.push_back(std::move(r));
    emit rowsReset();
    d->setCurrent(d->count() - 1);
}

void Recordset::update()
{
    d->requireCurrent();
    Row* r = d->current();
    if (r->isNew || r->dirty)
        d->writeRows({r});
}

void Recordset::cancelUpdate()
{
    if (!d->hasCurrent())
        return;
    Row* r = d->current();
    if (r->isNew) {
        d->removeRow(r);
        d->returnAfterRemovedAdd();
    } else if (r->dirty) {
        r->clearPending();
        emit rowChanged(d->cur);
    }
}

void Recordset::deleteCurrent()
{
    d->requireCurrent();
    d->requireUpdatable();
    Row* r = d->current();
    if (!r->isNew) {
        emit willChangeRecord();
        Statement st(d->connection(), QStringLiteral("DELETE FROM %1 WHERE _rowid_ = ?").arg(quoteIdentifier(d->table)));
        st.bind({r->rowid});
        st.run();   // a row someone else deleted already is just as gone
    }
    const int index = d->cur;
    d->removeRow(r);
    d->cur = index;
    d->onDeleted = true;
    emit rowsReset();
}

void Recordset::updateBatch()
{
    std::vector<Row*> pending;
    for (const auto& r : d->rows)
        if (r->isNew || r->dirty)
            pending.push_back(r.get());
    d->writeRows(pending);
}

void Recordset::cancelBatch()
{
    Row* before = d->hasCurrent() ? d->current() : nullptr;
    const bool currentGone = before && before->isNew;
    std::vector<Row*> added;
    for (const auto& r : d->rows) {
        if (r->isNew)
            added.push_back(r.get());
        else
            r->clearPending();
    }
    for (Row* r : added)
        d->removeRow(r);
    if (currentGone) {
        d->returnAfterRemovedAdd();
        return;
    }
    emit rowsReset();
    d->cur = before ? d->indexOf(before) : std::clamp(d->cur, -1, d->count());
}

void Recordset::requery()
{
    if (d->lock == LockType::Optimistic) {
        d->leaveRow();
    } else {
        for (const auto& r : d->rows)
            if (r->isNew || r->dirty)
                throw Error(QStringLiteral("记录集中有未保存的更改，请先更新或取消这些更改。"));
    }
    d->load();
    emit rowsReset();
    d->setCurrent(0);
}

// --- searching, filter, sort -------------------------------------------------------------------------------

bool Recordset::find(const QString& field, const QVariant& value, bool forward)
{
    const int f = d->fieldOrThrow(field);
    d->leaveRow();
    const int n = d->count();
    if (forward) {
        for (int i = std::max(d->cur, 0); i < n; ++i)
            if (valuesEqual(d->visible[static_cast<std::size_t>(i)]->shown(f), value)) {
                d->setCurrent(i);
                return true;
            }
        d->setCurrent(n);
    } else {
        const int start = d->onDeleted ? d->cur - 1 : std::min(d->cur, n - 1);
        for (int i = start; i >= 0; --i)
            if (valuesEqual(d->visible[static_cast<std::size_t>(i)]->shown(f), value)) {
                d->setCurrent(i);
                return true;
            }
        d->setCurrent(-1);
    }
    return false;
}

void Recordset::setFilter(const QString& field, const QVariant& value)
{
    if (field.isEmpty()) {
        clearFilter();
        return;
    }
    const int f = d->fieldOrThrow(field);
    d->leaveRow();
    d->filterField = f;
    d->filterValue = value;
    d->rebuildVisible();
    emit rowsReset();
    d->setCurrent(0);
}

void Recordset::clearFilter()
{
    d->leaveRow();
    d->filterField = -1;
    d->filterValue = QVariant();
    d->rebuildVisible();
    emit rowsReset();
    d->setCurrent(0);
}

void Recordset::setSort(const QString& order)
{
    std::vector<std::pair<int, bool>> keys;
    for (const QString& part : order.split(QLatin1Char(','), Qt::SkipEmptyParts)) {
        QStringList words = part.trimmed().split(QLatin1Char(' '), Qt::SkipEmptyParts);
        if (words.isEmpty())
            continue;
        bool descending = false;
        if (words.size() > 1) {
            const QString dir = words.takeLast();
            if (dir.compare(QStringLiteral("DESC"), Qt::CaseInsensitive) == 0)
                descending = true;
            else if (dir.compare(QStringLiteral("ASC"), Qt::CaseInsensitive) != 0)
                words << dir;
        }
        QString name = words.join(QLatin1Char(' '));
        if (name.startsWith(QLatin1Char('[')) && name.endsWith(QLatin1Char(']')))
            name = name.mid(1, name.size() - 2);
        keys.emplace_back(d->fieldOrThrow(name), descending);
    }
    d->leaveRow();
    d->sortKeys = keys;
    d->rebuildVisible();
    emit rowsReset();
    d->setCurrent(0);
}

// --- grids -----------------------------------------------------------------------------------------------

int Recordset::currentIndex() const { return d->hasCurrent() ? d->cur : -1; }

void Recordset::moveToIndex(int index)
{
    if (index < 0 || index >= d->count())
        throw Error(QStringLiteral("行号 %1 超出范围（共 %2 行）。").arg(index).arg(d->count()));
    Row* target = d->visible[static_cast<std::size_t>(index)];
    if (d->hasCurrent() && d->current() == target)
        return;
    d->leaveRow();
    d->setCurrent(d->indexOf(target));
}

QVariant Recordset::valueAt(int index, int field) const
{
    d->checkField(field);
    if (index < 0 || index >= d->count())
        throw Error(QString::fromUtf8(messages::noCurrentRecord));
    return d->visible[static_cast<std::size_t>(index)]->shown(field);
}

bool Recordset::isNewRow(int index) const
{
    return index >= 0 && index < d->count() && d->visible[static_cast<std::size_t>(index)]->isNew;
}

} // namespace db
