#pragma once
// The moves of a navigation bar: a move past either end beeps and stays on the last (first) row. And
// the keys of the data-entry windows, which the windows with a navigation bar share.
#include <QString>
#include <Qt>

namespace db {
class Recordset;
}

namespace navigation {

void moveNextOrBeep(db::Recordset& rs);
void movePreviousOrBeep(db::Recordset& rs);

// The record bar's caption: "Record: " and the current row's position, nothing after it without a
// current row.
QString recordCaption(const db::Recordset& rs);

enum class KeyAction { None, Close, First, Previous, Next, Last };
// Esc closes; Home and End go to the first and last row; Up and Page Up to the previous row, with
// Ctrl alone to the first; Down and Page Down to the next, with Ctrl alone to the last.
KeyAction keyAction(int keyCode, Qt::KeyboardModifiers shift);

} // namespace navigation
