#include "platform/db/recordset.h"

#include "platform/convert/convert.h"
#include "platform/db/connection_state.h"
#include "platform/db/query_shape.h"
#include "platform/db/row_blocks.h"
#include "platform/db/statement.h"
#include "platform/db/types.h"

#include <QDate>
#include <QDateTime>
#include <QMetaMethod>
#include <algorithm>
#include <cstring>
#include <new>
#include <sqlite3.h>
#include <string>
#include <unordered_map>
#include <utility>

namespace db {

namespace {

struct Field {
    QString name; // as the query names it
    QString table; // base table; empty for an expression
    QString origin; // the base table's column
    ColumnType type = ColumnType::Text;
    int size = 0;
    bool typed = false; // the declared type names a Jet type
    bool rowidAlias = false; // the table's INTEGER PRIMARY KEY, which is the row id itself
    bool looked = false; // counter and row id looked up in the table's definition
};

// The values of a row that were set and not yet written, by field, in the order of the fields: only
// the fields set are kept, so that a batch changing a few fields of many rows stays small. A field of
// a known type keeps its value, converted for the column already, in the form the table stores it
// (see appendStored): a batch of many rows holds their bytes and nothing of the values given. Any
// other field keeps the value as it was given. Their room is the recordset's arena, from which a batch
// of many rows takes no allocation a row (see makePending).
struct Pending {
    struct Entry {
        int field;
        int at; // >= 0: where the value is in `bytes`; else loose[-at - 1]
    };
    explicit Pending(BlockArena* arena)
        : entries(arena),
          bytes(arena),
          loose(arena)
    {
    }
    std::pmr::vector<Entry> entries;
    std::pmr::string bytes;
    std::pmr::vector<QVariant> loose;
    // Every field from the first set once, in order, all in stored form: `bytes` is then the row.
    bool inOrder = true;

    const Entry* find(int f) const
    {
        const auto it =
            std::lower_bound(entries.begin(), entries.end(), f, [](const Entry& e, int k) { return e.field < k; });
        return it != entries.end() && it->field == f ? &*it : nullptr;
    }
    void set(int f, const QVariant& v, bool stored)
    {
        inOrder = inOrder && stored && f == static_cast<int>(entries.size());
        int at = 0;
        if (stored) {
            at = static_cast<int>(bytes.size());
            appendStored(bytes, v);
        } else {
            loose.push_back(v);
            at = -static_cast<int>(loose.size());
        }
        if (entries.empty() || entries.back().field < f) { // fields set in their order: an added row
            entries.push_back({f, at});
            return;
        }
        const auto it =
            std::lower_bound(entries.begin(), entries.end(), f, [](const Entry& e, int k) { return e.field < k; });
        if (it != entries.end() && it->field == f)
            it->at = at; // the bytes of the value before stay unused until the row is written
        else
            entries.insert(it, {f, at});
    }
    bool isStored(const Entry& e) const { return e.at >= 0; }
    void clear()
    {
        entries.clear();
        bytes.clear();
        loose.clear();
        inOrder = true;
    }
    // A stored value and the end of its bytes.
    const char* stored(const Entry& e, StoredValue* v) const { return readStored(bytes.data() + e.at, v); }
    const QVariant& value(const Entry& e) const { return loose[static_cast<std::size_t>(-e.at - 1)]; }
};

// Ends a Pending made in its arena, and tells the arena.
struct PendingRelease {
    void operator()(Pending* p) const noexcept
    {
        auto* arena = static_cast<BlockArena*>(p->entries.get_allocator().resource());
        p->~Pending();
        arena->deallocate(p, sizeof(Pending), alignof(Pending));
        arena->released();
    }
};
using PendingPtr = std::unique_ptr<Pending, PendingRelease>;

PendingPtr makePending(BlockArena& arena)
{
    void* room = arena.allocate(sizeof(Pending), alignof(Pending));
    arena.holding();
    return PendingPtr(new (room) Pending(&arena));
}

// A row keeps its values as last read from the table in SQLite's own compact form (see appendStored),
// converted to QVariant only when a value is read.
struct Row {
    Bookmark mark = 0;
    qint64 rowid = 0;
    // Every field, in order: in the recordset's blocks as read at the open or first written, the
    // recordset's row of Nulls for a row added, or here once the row has been written again.
    const char* data = nullptr;
    std::unique_ptr<char[]> own;
    int pos = -1; // index among the visible rows; -1 when not visible
    bool isNew = false; // added and not yet written
    bool dirty = false; // has pending values
    bool gone = false; // deleted, or added and discarded
    PendingPtr pending;

    const Pending::Entry* changed(int f) const { return pending ? pending->find(f) : nullptr; }
    void clearPending()
    {
        pending.reset();
        dirty = false;
    }
};

// Every row of a recordset, in the order added, laid in row blocks: a row keeps its address while
// rows are added after it, and a hundred thousand rows take some twenty blocks, not an allocation each.
class RowList {
public:
    static constexpr std::size_t perBlock = rowBlockSize / sizeof(Row);

    RowList() = default;
    RowList(RowList&& other) noexcept
        : blocks_(std::move(other.blocks_)),
          size_(std::exchange(other.size_, 0))
    {
    }
    RowList& operator=(RowList&& other) noexcept
    {
        if (this != &other) {
            clear();
            blocks_ = std::move(other.blocks_);
            size_ = std::exchange(other.size_, 0);
        }
        return *this;
    }
    ~RowList() { clear(); }

    Row& emplace_back()
    {
        if (size_ == blocks_.size() * perBlock)
            blocks_.push_back(takeRowBlock());
        Row* r = new (slot(size_)) Row;
        ++size_;
        return *r;
    }
    void clear()
    {
        for (std::size_t i = 0; i < size_; ++i)
            at(i).~Row();
        size_ = 0;
        blocks_.clear();
    }
    std::size_t size() const { return size_; }

    template <typename List, typename Value> struct Iterator {
        List* list;
        std::size_t i;
        Value& operator*() const { return list->at(i); }
        Value* operator->() const { return &list->at(i); }
        Iterator& operator++()
        {
            ++i;
            return *this;
        }
        bool operator!=(const Iterator& other) const { return i != other.i; }
    };
    Iterator<RowList, Row> begin() { return {this, 0}; }
    Iterator<RowList, Row> end() { return {this, size_}; }
    Iterator<const RowList, const Row> begin() const { return {this, 0}; }
    Iterator<const RowList, const Row> end() const { return {this, size_}; }

    Row& at(std::size_t i) { return *std::launder(reinterpret_cast<Row*>(slot(i))); }
    const Row& at(std::size_t i) const { return *std::launder(reinterpret_cast<const Row*>(slot(i))); }

private:
    char* slot(std::size_t i) const { return blocks_[i / perBlock].get() + (i % perBlock) * sizeof(Row); }

    std::vector<RowBlock> blocks_;
    std::size_t size_ = 0;
};

// A row's data once written: in the recordset's blocks, or in an allocation of the row's own.
struct Written {
    const char* data = nullptr; // null: the row's data stays as it was
    std::unique_ptr<char[]> own;
    qint64 rowid = 0;
};

bool isNull(const QVariant& v)
{
    return !v.isValid() || (v.isNull() && v.userType() != qMetaTypeId<convert::Currency>());
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
    const bool aNum = convert::isNumber(a) || (convert::isNumber(b) && convert::isNumeric(a.toString()));
    const bool bNum = convert::isNumber(b) || (convert::isNumber(a) && convert::isNumeric(b.toString()));
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

// Text as compareValues matches it without regard to case: each code point folded on its own, as
// QString::compare folds them.
QString foldedText(const QString& text)
{
    QString folded;
    folded.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        char32_t c = text[i].unicode();
        if (QChar::isHighSurrogate(c) && i + 1 < text.size() && text[i + 1].isLowSurrogate())
            c = QChar::surrogateToUcs4(char16_t(c), text[++i].unicode());
        const char32_t f = QChar::toCaseFolded(c);
        if (QChar::requiresSurrogates(f)) {
            folded += QChar(QChar::highSurrogate(f));
            folded += QChar(QChar::lowSurrogate(f));
        } else {
            folded += QChar(char16_t(f));
        }
    }
    return folded;
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
    BlockArena arena; // the rows' pending values; outlives them
    RowList rows; // every row, in the query's order, added ones last
    std::vector<RowBlock> blocks; // the rows' data as read at the open or first written
    char* blockFree = nullptr; // the room left in the last block
    std::size_t blockLeft = 0;
    std::vector<Row*> visible; // the rows the filter lets through, in the sort's order
    // The current row is visible[cur]; cur == -1 is BOF and cur == size() EOF. After a delete no row
    // is current and cur is the index of the row after the deleted one.
    int cur = 0;
    bool onDeleted = false;
    Bookmark nextMark = 1;
    Bookmark markBeforeAdd = 0;
    int filterField = -1;
    QVariant filterValue;
    // The rows of a recordset that cannot be written never change until it is read again: a filter
    // on one of its text fields (a child following its parent, one key after the other) finds its
    // rows by their folded text instead of comparing every row. Made at the first such filter.
    int keyedField = -1;
    bool keyedByText = false; // every value of keyedField is text or Null
    std::unordered_map<QString, std::vector<Row*>> rowsByKey;
    std::vector<std::pair<int, bool>> sortKeys; // field, descending
    // Rows by bookmark, made when a bookmark is first set and kept up to date after.
    std::unordered_map<Bookmark, Row*> byMark;
    bool byMarkMade = false;
    // Every field of one row (the row last read) decoded from its data, so that reading every field
    // of a row goes over its data once.
    mutable const Row* offsetsOf = nullptr;
    mutable std::vector<StoredValue> decoded;
    // The statement texts of writes, by the fields they set ('I' or 'U', then one byte a field).
    std::unordered_map<std::string, QString> writeTexts;
    std::string shapeKey; // kept from one write to the next, with their room
    std::vector<Statement::Param> writeParams; // the pending values themselves, bound where they are
    QVariant writeRowid;
    std::pmr::string nullRow; // every added row's data until it is written: every field Null
    std::vector<Row*> writeList;
    std::vector<Written> writeResults;
    // The most room an added row's values took so far: room for the next. A row of a long memo does
    // not make every row after it take as much: the room given is bounded, a longer row grows its own.
    std::size_t addedBytes = 0;
    static constexpr std::size_t addedRoomLimit = 4096;
    // Connections to rowChanged, counted as Qt reports them: a disconnection removes at least one, so
    // the count never falls below the listeners left (it may stay above them, which costs an emit).
    int rowListenerCount = 0;
    bool rowListeners() const { return rowListenerCount > 0; }
    std::pmr::string rowBytes;
    QString rereadText;
    int rereadWhenAdded = -1; // defaults or a counter to learn after an insert; -1 not yet known

    // ForwardOnly: the running query and the number of rows read so far.
    bool forward = false;
    std::unique_ptr<Statement> stream;
    int streamed = 0;

    int count() const { return static_cast<int>(visible.size()); }
    bool hasCurrent() const
    {
        if (forward)
            return stream != nullptr;
        return !onDeleted && cur >= 0 && cur < count();
    }
    Row* current() const { return visible[static_cast<std::size_t>(cur)]; }

    ConnectionState& connection() const
    {
        if (!conn || conn->closed)
            throw Error(QString::fromUtf8(messages::closed));
        return *conn;
    }

    // The checks of every read stay inline; making the error is not.
    void requireCurrent() const
    {
        if (!hasCurrent()) [[unlikely]]
            refuse(messages::noCurrentRecord);
    }
    [[noreturn]] static void refuse(const char* message);

    void requireUpdatable() const
    {
        if (!updatable)
            throw Error(QString::fromUtf8(messages::readOnly));
    }

    void requireScrollable() const
    {
        if (forward)
            throw Error(QStringLiteral("记录集只能向前读取，不支持此操作。"));
    }

    void checkField(int f) const
    {
        if (f < 0 || f >= static_cast<int>(fields.size())) [[unlikely]]
            refuse(messages::itemNotFound);
    }

    int fieldOrThrow(const QString& name) const
    {
        for (std::size_t i = 0; i < fields.size(); ++i)
            if (fields[i].name.compare(name, Qt::CaseInsensitive) == 0)
                return static_cast<int>(i);
        throw Error(QStringLiteral("%1（%2）").arg(QString::fromUtf8(messages::itemNotFound), name));
    }

    // The value of a field as last read from the table.
    QVariant stored(const Row* r, int f) const
    {
        if (offsetsOf != r) {
            decoded.resize(fields.size());
            const char* p = r->data;
            for (StoredValue& v : decoded)
                p = readStored(p, &v);
            offsetsOf = r;
        }
        const StoredValue& v = decoded[static_cast<std::size_t>(f)];
        const Field& field = fields[static_cast<std::size_t>(f)];
        return valueFromStored(v, field.type, field.typed);
    }
    QVariant shown(const Row* r, int f) const
    {
        const Pending::Entry* e = r->changed(f);
        if (!e)
            return stored(r, f);
        if (!r->pending->isStored(*e))
            return r->pending->value(*e);
        StoredValue v;
        r->pending->stored(*e, &v);
        const Field& field = fields[static_cast<std::size_t>(f)];
        return valueFromStored(v, field.type, field.typed);
    }
    void setData(Row* r, Written& w)
    {
        if (offsetsOf == r)
            offsetsOf = nullptr;
        r->own = std::move(w.own);
        r->data = r->own ? r->own.get() : w.data;
    }
    // Where a row's data goes once written. An added row's goes into the blocks, as the rows read at
    // the open do, so that rows added by the thousand take no allocation each; a row written again
    // gets an allocation of its own, so that rewrites leave no bytes unused in the blocks.
    Written place(const Row& r, const char* bytes, std::size_t size, qint64 rowid)
    {
        Written w;
        w.rowid = rowid;
        if (!r.isNew) {
            w.own = std::make_unique_for_overwrite<char[]>(size);
            std::memcpy(w.own.get(), bytes, size);
            return w;
        }
        if (size > blockLeft) {
            blocks.push_back(takeRowBlock(size));
            blockFree = blocks.back().get();
            blockLeft = std::max(rowBlockSize, size);
        }
        std::memcpy(blockFree, bytes, size);
        w.data = blockFree;
        blockFree += size;
        blockLeft -= size;
        return w;
    }

    void setPending(int field, const QVariant& value)
    {
        Row* r = current();
        if (!r->pending) {
            r->pending = makePending(arena);
            r->pending->entries.reserve(r->isNew ? fields.size() : 2);
            if (r->isNew)
                r->pending->bytes.reserve(std::min(addedBytes, addedRoomLimit));
        }
        r->pending->set(field, value, fields[static_cast<std::size_t>(field)].typed);
        if (r->isNew)
            addedBytes = std::max(addedBytes, r->pending->bytes.capacity());
        r->dirty = true;
        if (rowListeners())
            emit q->rowChanged(cur);
    }

    int indexOf(const Row* r) const { return r->gone ? -1 : r->pos; }

    void setCurrent(int index)
    {
        cur = std::clamp(index, -1, count());
        onDeleted = false;
        emit q->moveComplete();
    }

    void renumber(std::size_t from)
    {
        for (std::size_t i = from; i < visible.size(); ++i)
            visible[i]->pos = static_cast<int>(i);
    }

    void removeRow(Row* r)
    {
        if (r->pos >= 0 && r->pos < count() && visible[static_cast<std::size_t>(r->pos)] == r) {
            const std::size_t at = static_cast<std::size_t>(r->pos);
            visible.erase(visible.begin() + static_cast<std::ptrdiff_t>(at));
            renumber(at);
        }
        r->pos = -1;
        r->gone = true;
        r->clearPending();
        r->own.reset();
        r->data = nullptr;
        if (offsetsOf == r)
            offsetsOf = nullptr;
        if (byMarkMade)
            byMark.erase(r->mark);
    }

    Row* rowOfMark(Bookmark mark)
    {
        if (!byMarkMade) {
            byMark.clear();
            for (Row& r : rows)
                if (!r.gone)
                    byMark.emplace(r.mark, &r);
            byMarkMade = true;
        }
        const auto it = byMark.find(mark);
        return it == byMark.end() ? nullptr : it->second;
    }

    void load();
    void openStream();
    bool addedRowsNeedReading();
    std::vector<Field> readFields(sqlite3_stmt* stmt, int offset, bool writable);
    void lookUp(Field& f, int* pkColumns) const;
    std::pmr::string reread(qint64 rowid, const Row& r);
    Written writeRow(const Row& r, std::unique_ptr<Statement>& held, const QString*& heldText);
    void writeRows(const std::vector<Row*>& list);
    // The list's room is kept from one write to the next (and stays out of reach of a write made by
    // a listener meanwhile).
    void writeOne(Row* r)
    {
        std::vector<Row*> list;
        list.swap(writeList);
        list.assign(1, r);
        writeRows(list);
        writeList.swap(list);
    }
    void leaveRow(bool mayDrop = true);
    const std::vector<Row*>* filterCandidates();
    void rebuildVisible();
    void returnAfterRemovedAdd();
};

void Recordset::Impl::refuse(const char* message)
{
    throw Error(QString::fromUtf8(message));
}

std::vector<Field> Recordset::Impl::readFields(sqlite3_stmt* stmt, int offset, bool writable)
{
    std::vector<Field> fields;
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
            f.type = typeFromDecl(decl, &f.size, &known);
            f.typed = known;
        }
        if (writable)
            lookUp(f, &pkColumns);
        fields.push_back(f);
    }
    return fields;
}

// What only the table's own definition tells of a column: a counter, the row id itself. Rows that
// are only read need it for fieldType alone, so they look it up when that is asked: for a read of a
// few rows, such as a ledger's, the lookup would cost more than the read.
void Recordset::Impl::lookUp(Field& f, int* pkColumns) const
{
    if (f.table.isEmpty() || !conn || conn->closed)
        return;
    f.looked = true;
    sqlite3* db = connection().handle();
    const QByteArray t = f.table.toUtf8(), c = f.origin.toUtf8();
    const char* declared = nullptr;
    int notNull = 0, pk = 0, autoinc = 0;
    if (sqlite3_table_column_metadata(db, "main", t.constData(), c.constData(), &declared, nullptr, &notNull, &pk,
                                      &autoinc) != SQLITE_OK)
        return;
    if (autoinc)
        f.type = ColumnType::Counter;
    if (pk && declared && QString::fromUtf8(declared).compare(QStringLiteral("INTEGER"), Qt::CaseInsensitive) == 0) {
        if (*pkColumns < 0) {
            Statement info(connection(), QStringLiteral("SELECT count(*) FROM pragma_table_info(?) WHERE pk > 0"));
            info.bind({f.table});
            *pkColumns = info.step() ? sqlite3_column_int(info.get(), 0) : 0;
        }
        f.rowidAlias = *pkColumns == 1;
    }
}

void Recordset::Impl::openStream()
{
    stream.reset();
    streamed = 0;
    auto st = std::make_unique<Statement>(connection(), sql);
    st->bind(params);
    const bool row = st->step();
    fields = readFields(st->get(), 0, false);
    if (row)
        stream = std::move(st);
}

void Recordset::Impl::load()
{
    if (forward) {
        openStream();
        return;
    }
    ConnectionState& s = connection();
    // A query on one table keeps each row's id beside its fields, so that an edited row is written
    // back to exactly that row. The query is stepped before its columns are looked at: a statement
    // kept from before a change of the table is prepared again by that first step.
    std::unique_ptr<Statement> st;
    bool hasRow = false;
    bool canWrite = false;
    QString base;
    int insertAt = -1;
    if (lock != LockType::ReadOnly && isSimpleSelect(sql, &insertAt)) {
        try {
            const QString injected =
                sql.left(insertAt) + QStringLiteral(" _rowid_ AS qelv_rowid_,") + sql.mid(insertAt);
            st = std::make_unique<Statement>(s, injected);
            st->bind(params);
            hasRow = st->step();
            // A view or a subquery answers _rowid_ with nothing; only a real table's row id will do.
            base = columnText(st->get(), sqlite3_column_table_name, 0);
            bool oneTable = !base.isEmpty();
            bool anyColumn = false;
            for (int i = 1; oneTable && i < st->columnCount(); ++i) {
                const QString t = columnText(st->get(), sqlite3_column_table_name, i);
                if (t.isEmpty())
                    continue;
                anyColumn = true;
                if (columnText(st->get(), sqlite3_column_database_name, i) != QLatin1String("main") ||
                    base.compare(t, Qt::CaseInsensitive) != 0)
                    oneTable = false;
            }
            canWrite = oneTable && anyColumn;
        } catch (const Error&) {
            canWrite = false;
        }
        if (!canWrite)
            st.reset();
    }
    if (!canWrite) {
        st = std::make_unique<Statement>(s, sql);
        st->bind(params);
        hasRow = st->step();
    }
    const int offset = canWrite ? 1 : 0;
    std::vector<Field> newFields = readFields(st->get(), offset, canWrite);
    // Read in full before anything is replaced, so that a failure leaves the recordset as it was.
    RowList read;
    std::vector<RowBlock> readBlocks;
    char* free = nullptr;
    std::size_t left = 0;
    const int n = static_cast<int>(newFields.size());
    std::vector<StoredValue> values(static_cast<std::size_t>(n));
    Bookmark mark = nextMark;
    while (hasRow) {
        Row& r = read.emplace_back();
        r.mark = mark++;
        if (canWrite)
            r.rowid = sqlite3_column_int64(st->get(), 0);
        std::size_t need = 0;
        for (int i = 0; i < n; ++i) {
            values[static_cast<std::size_t>(i)] = storedOf(st->get(), i + offset);
            need += storedSize(values[static_cast<std::size_t>(i)]);
        }
        // Rows are laid one after the other in large blocks rather than each in an allocation.
        if (need > left) {
            readBlocks.push_back(takeRowBlock(need));
            free = readBlocks.back().get();
            left = std::max(rowBlockSize, need);
        }
        r.data = free;
        for (const StoredValue& v : values)
            free = writeStored(free, v);
        left -= need;
        hasRow = st->step();
    }
    st.reset();
    nextMark = mark;
    updatable = canWrite;
    table = canWrite ? base : QString();
    if (filterField >= n)
        filterField = -1;
    if (n != static_cast<int>(fields.size()))
        sortKeys.clear();
    fields = std::move(newFields);
    nullRow.clear();
    visible.clear();
    offsetsOf = nullptr;
    byMark.clear();
    byMarkMade = false;
    writeTexts.clear();
    rereadWhenAdded = -1;
    rereadText.clear();
    rows = std::move(read);
    blocks = std::move(readBlocks);
    keyedField = -1;
    rowsByKey.clear();
    blockFree = free;
    blockLeft = left;
    rebuildVisible();
    cur = 0;
    onDeleted = false;
}

// Whether the table fills in some field of a row added without it (a default, a counter), which is
// then read back after the insert. Asked at the first insert, not at every open.
bool Recordset::Impl::addedRowsNeedReading()
{
    if (rereadWhenAdded >= 0)
        return rereadWhenAdded != 0;
    bool need = false;
    for (const Field& f : fields)
        need = need || f.rowidAlias || f.type == ColumnType::Counter;
    if (!need) {
        Statement info(connection(),
                       QStringLiteral("SELECT name FROM pragma_table_info(?) WHERE dflt_value IS NOT NULL"));
        info.bind({table});
        QStringList defaults;
        while (info.step())
            defaults << QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(info.get(), 0)));
        for (const Field& f : fields)
            need = need || (!f.table.isEmpty() && defaults.contains(f.origin, Qt::CaseInsensitive));
    }
    rereadWhenAdded = need ? 1 : 0;
    return need;
}

// The row as the table has it now, for values the table gave itself (defaults, counters).
std::pmr::string Recordset::Impl::reread(qint64 rowid, const Row& r)
{
    if (rereadText.isEmpty()) {
        QStringList columns;
        for (const Field& f : fields)
            columns << (f.table.isEmpty() ? QStringLiteral("NULL") : quoteIdentifier(f.origin));
        rereadText = QStringLiteral("SELECT %1 FROM %2 WHERE _rowid_ = ?")
                         .arg(columns.join(QStringLiteral(", ")), quoteIdentifier(table));
    }
    Statement st(connection(), rereadText);
    st.bind({rowid});
    const bool found = st.step();
    std::pmr::string bytes;
    for (std::size_t i = 0; i < fields.size(); ++i) {
        const int f = static_cast<int>(i);
        if (found && !fields[i].table.isEmpty())
            appendStored(bytes, st.get(), f);
        else
            appendStored(bytes, shown(&r, f));
    }
    return bytes;
}

// `held` is the statement of the row written before, kept for the next row of the same shape.
Written Recordset::Impl::writeRow(const Row& r, std::unique_ptr<Statement>& held, const QString*& heldText)
{
    ConnectionState& s = connection();
    const int n = static_cast<int>(fields.size());
    std::string& shape = shapeKey;
    shape.assign(1, r.isNew ? 'I' : 'U');
    std::vector<Statement::Param>& params = writeParams;
    params.clear();
    qint64 rowid = r.rowid;
    bool untyped = false;
    shape.append(static_cast<std::size_t>(n), '0');
    if (r.pending) {
        for (const Pending::Entry& e : r.pending->entries) {
            shape[static_cast<std::size_t>(e.field) + 1] = '1';
            const Field& f = fields[static_cast<std::size_t>(e.field)];
            Statement::Param& p = params.emplace_back();
            if (r.pending->isStored(e))
                r.pending->stored(e, &p.stored);
            else
                p.value = &r.pending->value(e);
            untyped = untyped || !f.typed;
            if (f.rowidAlias && !r.isNew) {
                if (p.value && !isNull(*p.value))
                    rowid = p.value->toLongLong();
                else if (!p.value && p.stored.storage == SQLITE_INTEGER)
                    rowid = p.stored.integer;
            }
        }
    }
    if (!r.isNew && params.empty())
        return {nullptr, nullptr, r.rowid};
    auto text = writeTexts.find(shape);
    if (text == writeTexts.end()) {
        QStringList names;
        for (int i = 0; i < n; ++i)
            if (shape[static_cast<std::size_t>(i) + 1] == '1')
                names << quoteIdentifier(fields[static_cast<std::size_t>(i)].origin);
        QString sqlText;
        if (r.isNew && names.isEmpty()) {
            sqlText = QStringLiteral("INSERT INTO %1 DEFAULT VALUES").arg(quoteIdentifier(table));
        } else if (r.isNew) {
            QStringList marks;
            for (qsizetype i = 0; i < names.size(); ++i)
                marks << QStringLiteral("?");
            sqlText =
                QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                    .arg(quoteIdentifier(table), names.join(QStringLiteral(", ")), marks.join(QStringLiteral(", ")));
        } else {
            QStringList sets;
            for (const QString& name : names)
                sets << name + QStringLiteral(" = ?");
            sqlText = QStringLiteral("UPDATE %1 SET %2 WHERE _rowid_ = ?")
                          .arg(quoteIdentifier(table), sets.join(QStringLiteral(", ")));
        }
        text = writeTexts.emplace(shape, sqlText).first;
    }
    if (!held || heldText != &text->second) {
        held.reset();
        held = std::make_unique<Statement>(s, text->second);
        held->trustValues(); // every value was converted for its column when it was set
        heldText = &text->second;
    } else {
        held->reset();
    }
    Statement& st = *held;
    if (r.isNew) {
        st.bind(params.data(), static_cast<int>(params.size()));
        st.run();
        rowid = sqlite3_last_insert_rowid(s.handle());
    } else {
        writeRowid = QVariant(r.rowid);
        params.push_back({&writeRowid, {}});
        st.bind(params.data(), static_cast<int>(params.size()));
        if (st.run() == 0)
            throw Error(QStringLiteral("无法为更新定位行。一些值可能已在最后一次读取后已更改。"));
    }
    // What was written is what the table now holds, in the form it holds it, except for what the
    // table gives itself (defaults and counters of an added row) and for columns of no known type,
    // whose stored form depends on SQLite's affinity: those are read back.
    if (untyped || (r.isNew && addedRowsNeedReading())) {
        const std::pmr::string bytes = reread(rowid, r);
        return place(r, bytes.data(), bytes.size(), rowid);
    }
    if (r.isNew && r.pending && r.pending->inOrder && static_cast<int>(r.pending->entries.size()) == n)
        return place(r, r.pending->bytes.data(), r.pending->bytes.size(), rowid);
    std::pmr::string& bytes = rowBytes;
    bytes.clear();
    StoredValue v;
    const char* p = r.data;
    int param = 0; // the set fields are the statement's first parameters, in the fields' order
    for (int i = 0; i < n; ++i) {
        const char* next = readStored(p, &v);
        if (const Pending::Entry* e = r.changed(i)) {
            int size = 0;
            StoredValue stored;
            if (r.pending->isStored(*e)) {
                const char* begin = r.pending->bytes.data() + e->at;
                bytes.append(begin, static_cast<std::size_t>(r.pending->stored(*e, &stored) - begin));
            } else if (const char* utf8 = st.boundText(param, &size)) {
                appendStoredText(bytes, utf8, size); // converted once, for the statement and the row
            } else {
                appendStored(bytes, r.pending->value(*e));
            }
            ++param;
        } else {
            bytes.append(p, static_cast<std::size_t>(next - p));
        }
        p = next;
    }
    return place(r, bytes.data(), bytes.size(), rowid);
}

void Recordset::Impl::writeRows(const std::vector<Row*>& list)
{
    if (list.empty())
        return;
    ConnectionState& s = connection();
    emit q->willChangeRecord();
    // All rows or none: a row the table refuses leaves every row pending as it was, to be corrected.
    // One statement is all or nothing by itself.
    const bool several = list.size() > 1;
    std::vector<Written> results;
    results.swap(writeResults); // its room, kept from the write before
    results.clear();
    results.reserve(list.size());
    if (several)
        exec(s, "SAVEPOINT qelv_write");
    try {
        std::unique_ptr<Statement> held;
        const QString* heldText = nullptr;
        for (Row* r : list)
            results.push_back(writeRow(*r, held, heldText));
        held.reset();
        if (several)
            exec(s, "RELEASE qelv_write");
    } catch (...) {
        if (several) {
            try {
                exec(s, "ROLLBACK TO qelv_write");
                exec(s, "RELEASE qelv_write");
            } catch (const Error&) {
            }
        }
        throw;
    }
    const bool told = rowListeners();
    for (std::size_t k = 0; k < list.size(); ++k) {
        Row* r = list[k];
        if (results[k].data || results[k].own)
            setData(r, results[k]);
        r->rowid = results[k].rowid;
        r->isNew = false;
        r->clearPending();
        const int index = indexOf(r);
        if (index >= 0 && told)
            emit q->rowChanged(index);
    }
    results.clear();
    writeResults.swap(results);
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
        writeOne(r);
}

// The rows that may pass the filter, in the query's order, or nullptr when every row must be
// compared. Only text against text is looked up: a number, a date or numeric text compare by value.
const std::vector<Row*>* Recordset::Impl::filterCandidates()
{
    static const std::vector<Row*> none;
    if (filterField < 0 || updatable)
        return nullptr;
    if (isNull(filterValue))
        return &none;
    if (filterValue.userType() != QMetaType::QString)
        return nullptr;
    if (keyedField != filterField) {
        keyedField = filterField;
        rowsByKey.clear();
        keyedByText = true;
        for (Row& r : rows) {
            if (r.gone)
                continue;
            const QVariant v = shown(&r, filterField);
            if (isNull(v))
                continue;
            if (v.userType() != QMetaType::QString) {
                keyedByText = false;
                rowsByKey.clear();
                break;
            }
            rowsByKey[foldedText(v.toString())].push_back(&r);
        }
    }
    if (!keyedByText)
        return nullptr;
    const auto it = rowsByKey.find(foldedText(filterValue.toString()));
    return it == rowsByKey.end() ? &none : &it->second;
}

void Recordset::Impl::rebuildVisible()
{
    if (const std::vector<Row*>* candidates = filterCandidates()) {
        for (Row* r : visible)
            r->pos = -1;
        visible.clear();
        for (Row* r : *candidates)
            if (valuesEqual(shown(r, filterField), filterValue))
                visible.push_back(r);
    } else {
        visible.clear();
        visible.reserve(rows.size());
        for (Row& r : rows) {
            r.pos = -1;
            if (!r.gone && (filterField < 0 || valuesEqual(shown(&r, filterField), filterValue)))
                visible.push_back(&r);
        }
    }
    if (!sortKeys.empty()) {
        // The keys are read once a row, not at every comparison.
        std::vector<std::pair<Row*, QVariantList>> keyed;
        keyed.reserve(visible.size());
        for (Row* r : visible) {
            QVariantList keys;
            for (const auto& key : sortKeys)
                keys << shown(r, key.first);
            keyed.emplace_back(r, std::move(keys));
        }
        std::stable_sort(keyed.begin(), keyed.end(), [this](const auto& a, const auto& b) {
            for (std::size_t k = 0; k < sortKeys.size(); ++k) {
                const int c = compareValues(a.second[static_cast<qsizetype>(k)], b.second[static_cast<qsizetype>(k)]);
                if (c != 0)
                    return sortKeys[k].second ? c > 0 : c < 0;
            }
            return false;
        });
        for (std::size_t i = 0; i < keyed.size(); ++i)
            visible[i] = keyed[i].first;
    }
    renumber(0);
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
    impl->forward = lock == LockType::ForwardOnly;
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

int Recordset::fieldCount() const
{
    return static_cast<int>(d->fields.size());
}

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
    Field& f = d->fields[static_cast<std::size_t>(index)];
    if (!f.looked) {
        int pkColumns = -1;
        d->lookUp(f, &pkColumns);
    }
    return f.type;
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
    if (d->forward) {
        const Field& f = d->fields[static_cast<std::size_t>(field)];
        return valueFromSql(d->stream->get(), field, f.type, f.typed);
    }
    return d->shown(d->current(), field);
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
    // Most values need no conversion; those then go on as they are, with no QVariant made and destroyed.
    if ((f.typed || f.type == ColumnType::Counter) && !fitsAsIs(value, f.type, f.size))
        d->setPending(field, valueForColumn(value, f.type, f.size, f.name));
    else
        d->setPending(field, value);
}

void Recordset::setValue(const QString& field, const QVariant& value)
{
    setValue(d->fieldOrThrow(field), value);
}

// --- position --------------------------------------------------------------------------------------------

bool Recordset::isBOF() const
{
    if (d->forward)
        return !d->stream && d->streamed == 0;
    return !d->onDeleted && (d->visible.empty() || d->cur < 0);
}

bool Recordset::isEOF() const
{
    if (d->forward)
        return !d->stream;
    return !d->onDeleted && (d->visible.empty() || d->cur >= d->count());
}

int Recordset::recordCount() const
{
    return d->forward ? -1 : d->count();
}

int Recordset::absolutePosition() const
{
    if (d->forward)
        return d->stream ? d->streamed + 1 : (d->streamed == 0 ? PosUnknown : PosEOF);
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
    d->requireScrollable();
    if (position < 1 || position > d->count())
        throw Error(QStringLiteral("参数类型不正确，或不在可以接受的范围之内，或与其他参数冲突。"));
    moveToIndex(position - 1);
}

Bookmark Recordset::bookmark() const
{
    d->requireScrollable();
    d->requireCurrent();
    return d->current()->mark;
}

void Recordset::setBookmark(Bookmark mark)
{
    d->requireScrollable();
    Row* target = d->rowOfMark(mark);
    if (!target || d->indexOf(target) < 0)
        throw Error(QStringLiteral("书签无效。"));
    const bool same = d->hasCurrent() && d->current() == target;
    d->leaveRow(!same);
    if (target->gone)
        throw Error(QStringLiteral("书签无效。"));
    d->setCurrent(d->indexOf(target));
}

EditMode Recordset::editMode() const
{
    if (!d->hasCurrent() || d->forward)
        return EditMode::None;
    const Row* r = d->current();
    return r->isNew ? EditMode::Add : (r->dirty ? EditMode::InProgress : EditMode::None);
}

bool Recordset::isUpdatable() const
{
    return d->updatable;
}
QString Recordset::sql() const
{
    return d->sql;
}

void Recordset::connectNotify(const QMetaMethod& signal)
{
    if (signal == QMetaMethod::fromSignal(&Recordset::rowChanged))
        ++d->rowListenerCount;
}

// Qt calls this with its connection lock held, so no QObject function (isSignalConnected among them)
// may be called here: that locks it again and never returns. A disconnection of all signals comes with
// no signal and leaves the count as it is.
void Recordset::disconnectNotify(const QMetaMethod& signal)
{
    if (signal == QMetaMethod::fromSignal(&Recordset::rowChanged) && d->rowListenerCount > 0)
        --d->rowListenerCount;
}

void Recordset::notifyMoveComplete()
{
    emit moveComplete();
}

// --- moves -----------------------------------------------------------------------------------------------

void Recordset::moveFirst()
{
    if (d->forward) {
        // Back to the first row is the query run again.
        if (d->streamed > 0 || !d->stream)
            d->openStream();
        if (!d->stream)
            throw Error(QString::fromUtf8(messages::noCurrentRecord));
        emit moveComplete();
        return;
    }
    d->leaveRow();
    if (d->visible.empty())
        throw Error(QString::fromUtf8(messages::noCurrentRecord));
    d->setCurrent(0);
}

void Recordset::moveLast()
{
    d->requireScrollable();
    d->leaveRow();
    if (d->visible.empty())
        throw Error(QString::fromUtf8(messages::noCurrentRecord));
    d->setCurrent(d->count() - 1);
}

void Recordset::moveNext()
{
    if (isEOF())
        throw Error(QString::fromUtf8(messages::noCurrentRecord));
    if (d->forward) {
        ++d->streamed;
        if (!d->stream->step())
            d->stream.reset(); // the statement goes back to the connection at once
        emit moveComplete();
        return;
    }
    d->leaveRow();
    d->setCurrent(d->onDeleted ? d->cur : d->cur + 1);
}

void Recordset::movePrevious()
{
    d->requireScrollable();
    if (isBOF())
        throw Error(QString::fromUtf8(messages::noCurrentRecord));
    d->leaveRow();
    d->setCurrent(d->cur - 1);
}

void Recordset::move(int rows)
{
    if (d->forward && rows > 0) {
        for (int i = 0; i < rows && !isEOF(); ++i)
            moveNext();
        return;
    }
    d->requireScrollable();
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
    Row& r = d->rows.emplace_back();
    r.mark = d->nextMark++;
    r.isNew = true;
    if (d->nullRow.empty())
        for (int i = 0; i < fieldCount(); ++i)
            appendStored(d->nullRow, QVariant());
    r.data = d->nullRow.data();
    r.pos = d->count();
    d->visible.push_back(&r);
    if (d->byMarkMade)
        d->byMark.emplace(r.mark, &r);
    emit rowsReset();
    d->setCurrent(d->count() - 1);
}

void Recordset::update()
{
    d->requireCurrent();
    if (d->forward)
        return;
    Row* r = d->current();
    if (r->isNew || r->dirty)
        d->writeOne(r);
}

void Recordset::cancelUpdate()
{
    if (!d->hasCurrent() || d->forward)
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
        Statement st(d->connection(),
                     QStringLiteral("DELETE FROM %1 WHERE _rowid_ = ?").arg(quoteIdentifier(d->table)));
        st.bind({r->rowid});
        st.run(); // a row someone else deleted already is just as gone
    }
    const int index = d->cur;
    d->removeRow(r);
    d->cur = index;
    d->onDeleted = true;
    emit rowsReset();
}

void Recordset::updateBatch()
{
    if (d->forward)
        return;
    std::vector<Row*> pending;
    for (Row& r : d->rows)
        if (!r.gone && (r.isNew || r.dirty))
            pending.push_back(&r);
    d->writeRows(pending);
}

void Recordset::cancelBatch()
{
    if (d->forward)
        return;
    Row* before = d->hasCurrent() ? d->current() : nullptr;
    const bool currentGone = before && before->isNew;
    for (Row& r : d->rows) {
        if (r.gone)
            continue;
        if (r.isNew)
            d->removeRow(&r);
        else
            r.clearPending();
    }
    if (currentGone) {
        d->returnAfterRemovedAdd();
        return;
    }
    emit rowsReset();
    d->cur = before ? d->indexOf(before) : std::clamp(d->cur, -1, d->count());
}

void Recordset::requery()
{
    if (d->forward) {
        d->openStream();
        emit rowsReset();
        emit moveComplete();
        return;
    }
    if (d->lock == LockType::Optimistic) {
        d->leaveRow();
    } else {
        for (const Row& r : d->rows)
            if (!r.gone && (r.isNew || r.dirty))
                throw Error(QStringLiteral("记录集中有未保存的更改，请先更新或取消这些更改。"));
    }
    d->load();
    emit rowsReset();
    d->setCurrent(0);
}

// --- searching, filter, sort -------------------------------------------------------------------------------

bool Recordset::find(const QString& field, const QVariant& value, bool forward)
{
    d->requireScrollable();
    const int f = d->fieldOrThrow(field);
    d->leaveRow();
    const int n = d->count();
    if (forward) {
        for (int i = std::max(d->cur, 0); i < n; ++i)
            if (valuesEqual(d->shown(d->visible[static_cast<std::size_t>(i)], f), value)) {
                d->setCurrent(i);
                return true;
            }
        d->setCurrent(n);
    } else {
        const int start = d->onDeleted ? d->cur - 1 : std::min(d->cur, n - 1);
        for (int i = start; i >= 0; --i)
            if (valuesEqual(d->shown(d->visible[static_cast<std::size_t>(i)], f), value)) {
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
    d->requireScrollable();
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
    d->requireScrollable();
    d->leaveRow();
    d->filterField = -1;
    d->filterValue = QVariant();
    d->rebuildVisible();
    emit rowsReset();
    d->setCurrent(0);
}

void Recordset::setSort(const QString& order)
{
    d->requireScrollable();
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

int Recordset::currentIndex() const
{
    if (d->forward)
        return d->stream ? d->streamed : -1;
    return d->hasCurrent() ? d->cur : -1;
}

void Recordset::moveToIndex(int index)
{
    if (d->forward) {
        if (index < d->streamed)
            d->requireScrollable();
        move(index - d->streamed);
        return;
    }
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
    if (d->forward) {
        if (index != currentIndex() || index < 0)
            throw Error(QString::fromUtf8(messages::noCurrentRecord));
        return value(field);
    }
    if (index < 0 || index >= d->count())
        throw Error(QString::fromUtf8(messages::noCurrentRecord));
    return d->shown(d->visible[static_cast<std::size_t>(index)], field);
}

bool Recordset::isNewRow(int index) const
{
    return !d->forward && index >= 0 && index < d->count() && d->visible[static_cast<std::size_t>(index)]->isNew;
}

} // namespace db
