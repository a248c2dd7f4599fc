// The write path: a row's pending values written back to its table by row id, an added row inserted
// and the values the table gave it read back, several rows all or none.
#include "platform/db/recordset_impl.h"
#include "platform/db/value_order.h"
#include "platform/error/error.h"

#include <QStringList>
#include <sqlite3.h>

namespace db {

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
                if (p.value && !isNullValue(*p.value))
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
                // The write's own failure is what the caller needs to hear.
                platform::warnDropped("recordset: rolling a batch write back to its savepoint");
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

} // namespace db
