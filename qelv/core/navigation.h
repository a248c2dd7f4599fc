#pragma once
// The moves of a navigation bar: a move past either end beeps and stays on the last (first) row. And
// the keys of the data-entry windows, which the windows with a navigation bar share.
#include <QString>
#include <Qt>
#include <functional>

class QPushButton;
class QWidget;

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

// The four buttons of a record bar over rows the window may not have yet (before they are shown).
// Each click makes its move on the rows; while there are none, the message that they are to be shown
// first is shown instead, and so is a move's failure, over the window.
class RecordBar {
public:
    void cmdFirst_Click();
    void cmdPrevious_Click();
    void cmdNext_Click();
    void cmdLast_Click();

    QPushButton* cmdFirst = nullptr;
    QPushButton* cmdPrevious = nullptr;
    QPushButton* cmdNext = nullptr;
    QPushButton* cmdLast = nullptr;

protected:
    // `rows` gives the rows or null; it is asked at each click.
    RecordBar(QWidget* window, std::function<db::Recordset*()> rows, const char* noRows);
    ~RecordBar() = default;
    RecordBar(const RecordBar&) = delete;
    RecordBar& operator=(const RecordBar&) = delete;

    // Connects the four buttons, once the window has made them, to their clicks.
    void connectRecordBar();

private:
    void navigate(void (*move)(db::Recordset&));

    QWidget* window_;
    std::function<db::Recordset*()> rows_;
    const char* noRows_;
};

} // namespace navigation
