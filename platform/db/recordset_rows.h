#pragma once
// The row store of a static recordset: each row's values as last read from the table or written to it,
// in SQLite's own compact form (see appendStored) and laid in large blocks, converted to QVariant only
// when read; beside a row, the values set and not yet written; and the fields of the query. For the
// recordset's own files (recordset_*.cpp).
#include "platform/db/recordset.h"
#include "platform/db/row_blocks.h"
#include "platform/db/types.h"

#include <QString>
#include <QVariant>
#include <algorithm>
#include <memory>
#include <memory_resource>
#include <new>
#include <string>
#include <utility>
#include <vector>

namespace db {

// A field of the query and what the recordset knows of its column.
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

inline PendingPtr makePending(BlockArena& arena)
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

} // namespace db
