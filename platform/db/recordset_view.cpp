// Filtering and sorting: which rows are visible and in what order.
#include "platform/db/recordset_impl.h"
#include "platform/db/value_order.h"

namespace db {

// The rows that may pass the filter, in the query's order, or nullptr when every row must be
// compared. Only text against text is looked up: a number, a date or numeric text compare by value.
const std::vector<Row*>* Recordset::Impl::filterCandidates()
{
    static const std::vector<Row*> none;
    if (filterField < 0 || updatable)
        return nullptr;
    if (isNullValue(filterValue))
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
            if (isNullValue(v))
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

} // namespace db
