#pragma once
// The moves of a navigation bar: a move past either end beeps and stays on the last (first) row.
namespace db {
class Recordset;
}

namespace navigation {

void moveNextOrBeep(db::Recordset& rs);
void movePreviousOrBeep(db::Recordset& rs);

} // namespace navigation
