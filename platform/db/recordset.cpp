#include "platform/db/recordset.h"

#include "platform/db/recordset_impl.h"
#include "platform/db/value_order.h"

#include <QMetaMethod>
#include <sqlite3.h>

namespace db {

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
