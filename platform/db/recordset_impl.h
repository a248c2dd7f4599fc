#pragma once
// The state of one recordset, which its files share: the row store, the visible rows in the filter's
// and sort's order with the current row among them, the write path's statements and buffers, and the
// running query of a forward-only one. For the recordset's own files (recordset_*.cpp).
//
// A recordset is made in parts: the row store (recordset_rows.*), the write path
// (recordset_write.cpp), filtering and sorting (recordset_view.cpp, in the order of value_order.h),
// and the calls of recordset.h (recordset.cpp).
#include "platform/db/connection_state.h"
#include "platform/db/recordset.h"
#include "platform/db/recordset_rows.h"
#include "platform/db/statement.h"

#include <QString>
#include <QVariant>
#include <QVariantList>
#include <algorithm>
#include <cstring>
#include <memory>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

struct sqlite3_stmt;

namespace db {

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

} // namespace db
