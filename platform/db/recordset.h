#pragma once
// A static client-side recordset: every row of the query is read at open and kept in memory; the
// current row moves over them with BOF/EOF, a 1-based position, bookmarks, and edits written back to
// the base table by row id. With LockType::Optimistic the pending edit of a row is written when the
// current row changes (or on update()); with BatchOptimistic only by updateBatch().
//
// With LockType::ForwardOnly (reports, statistics) the rows are not kept: each is read from the query
// as the recordset moves on to it, and the query lets go of the file once read to the end. It reads
// the same rows and values as the static recordset; it is read-only, recordCount() is -1, moveNext,
// move by a positive count and moveFirst (the query run again) are its moves, and the others, bookmarks,
// find, filter and sort throw db::Error.
#include "platform/db/connection.h"

#include <QObject>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <functional>
#include <memory>
#include <vector>

namespace db {

using Bookmark = qint64; // > 0 for a real row
inline constexpr int PosUnknown = -1, PosBOF = -2, PosEOF = -3;

enum class EditMode { None, InProgress, Add };

class Recordset : public QObject {
    Q_OBJECT
public:
    ~Recordset() override;

    // Fields of the query, in its order.
    int fieldCount() const;
    QString fieldName(int index) const;
    int fieldIndex(const QString& name) const; // without regard to case; -1 when absent
    ColumnType fieldType(int index) const;
    QStringList fieldNames() const;

    // Current row. Reading or writing without a current row throws the noCurrentRecord error.
    QVariant value(int field) const;
    QVariant value(const QString& field) const; // throws when the field does not exist
    // Sets a pending value of the current row (converted to the column's type: a text that the column
    // cannot take throws at once, as Jet refuses it). Starts an edit (EditMode::InProgress).
    void setValue(int field, const QVariant& value);
    void setValue(const QString& field, const QVariant& value);

    bool isBOF() const;
    bool isEOF() const;
    int recordCount() const;
    int absolutePosition() const; // 1-based, or PosBOF / PosEOF / PosUnknown
    void setAbsolutePosition(int position);
    Bookmark bookmark() const; // throws without a current row
    void setBookmark(Bookmark mark); // throws when the row is gone
    EditMode editMode() const;
    // True for a query on one table (no join, grouping, DISTINCT, aggregate or compound) opened with
    // a lock other than ReadOnly; fields that are expressions stay read-only even then.
    bool isUpdatable() const;
    QString sql() const;
    // Emits moveComplete for the current row. The recordset is on its first row when it is returned by
    // openRecordset, before anyone could connect to its signals; a window that connects afterwards
    // calls this once to run its handler for that first row.
    void notifyMoveComplete();

    // Moves; each first writes the pending edit (Optimistic): when that write fails the move does not
    // happen, the error propagates and the row keeps its edit. A row added and left without any value
    // set is dropped instead of written. moveFirst/moveLast throw noCurrentRecord on an empty
    // recordset; moveNext at EOF and movePrevious at BOF throw it too. After deleteCurrent, moveNext
    // goes to the row that followed the deleted one and movePrevious to the one before it.
    void moveFirst();
    void moveLast();
    void moveNext();
    void movePrevious();
    void move(int rows);

    // Appends an empty row at the end and makes it current (EditMode::Add).
    void addNew();
    // Writes the current row's pending edit (an added row is inserted even without values). Defaults
    // and counters are read back from the table afterwards. A row the table refuses gives db::Error
    // with SQLite's reason and stays pending, to be corrected or cancelled.
    void update();
    // Discards the current row's pending edit; a row added and not written disappears.
    void cancelUpdate();
    // Deletes the current row from the table at once; afterwards no row is current until a move
    // (BOF and EOF are both false, the position is PosUnknown).
    void deleteCurrent();
    // Writes every pending change of every row, all in one step: when the table refuses one row,
    // nothing is written and every row keeps its pending change.
    void updateBatch();
    // Discards every pending change.
    void cancelBatch();
    // Runs the query again and stands on its first row; the filter and sort stay, bookmarks taken
    // before no longer lead anywhere. With BatchOptimistic, pending changes must be written or
    // cancelled first (db::Error otherwise).
    void requery();

    // Searches from the current row forward (or backward) for the first row whose field equals
    // value (text without regard to case); stands on it, or on EOF (BOF) when there is none.
    bool find(const QString& field, const QVariant& value, bool forward = true);
    // Shows only the rows whose field equals value; an empty field name removes the filter.
    void setFilter(const QString& field, const QVariant& value);
    void clearFilter();
    // Orders the rows by "Field [ASC|DESC], ..." (empty: the query's order): Null first, text without
    // regard to case. Filter and sort stand on the first row afterwards.
    void setSort(const QString& order);

    // Row access by index among the visible rows, for grids; index -1 is no row.
    int currentIndex() const;
    void moveToIndex(int index); // writes the pending edit first, like a move
    QVariant valueAt(int index, int field) const; // shows pending edits
    bool isNewRow(int index) const;

signals:
    // After every change of the current row: moves, addNew, cancelUpdate of an added row, requery,
    // find, filter, sort, moveToIndex (not deleteCurrent, which leaves no row current; not the open:
    // see notifyMoveComplete).
    void moveComplete();
    // Before the current row's pending change is written (does nothing in the layer itself).
    void willChangeRecord();
    // The set of rows changed (requery, add, delete, filter, sort): grids reset.
    void rowsReset();
    // One row's values changed (an edit or a write back).
    void rowChanged(int index);

protected:
    // Count the listeners of rowChanged, which a recordset filled field by field mostly has none of.
    void connectNotify(const QMetaMethod& signal) override;
    void disconnectNotify(const QMetaMethod& signal) override;

private:
    friend class Connection;
    struct Impl;
    explicit Recordset(std::unique_ptr<Impl> impl);
    std::unique_ptr<Impl> d;
};

} // namespace db
