// Reading the query into the row store: the fields, what the table's definition tells of them, and the
// rows; or, forward-only, the running query.
#include "platform/db/query_shape.h"
#include "platform/db/recordset_impl.h"

#include <sqlite3.h>

namespace db {

namespace {

QString columnText(sqlite3_stmt* stmt, const char* (*get)(sqlite3_stmt*, int), int i)
{
    const char* s = get(stmt, i);
    return s ? QString::fromUtf8(s) : QString();
}

} // namespace

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

} // namespace db
