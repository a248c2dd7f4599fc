#pragma once
// The keys the operator types: enterprise, pollutant and outlet numbers. Blanks before or after a key
// would make a second key that looks like the first in every list, on every document and in every
// table name built from it, so such a key is refused before anything is written.
#include <QString>

namespace ui {
class RecordsetModel;
}

namespace typedKeys {

// Why the typed key of the field (its caption, "单位编号") is refused: blanks before or after it, or
// nothing but blanks. Empty when it is taken, and for an empty text, which is no key at all.
QString blanksProblem(const QString& field, const QString& typed);

// Whether a field holds such a key: DanWeiBianHao, WuRanWuBianHao, PaiWuKou (letter case aside).
bool isKeyField(const QString& field);

// Makes the grid model refuse such a text in its key columns, naming the column by its caption.
void guardKeyColumns(ui::RecordsetModel& model);

} // namespace typedKeys
