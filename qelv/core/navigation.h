#pragma once
// The moves of a navigation bar: a move past either end beeps and stays on the last (first) row. And
// the keys of the data-entry windows, which the windows with a navigation bar share, and the bar's
// layout after a resize.
#include <QString>
#include <Qt>
#include <functional>
#include <optional>

class QLabel;
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

// What a window's navigation keys run, one handler an action. An action left without one is not among
// the window's keys (Esc closes only some windows): its key stays with the control.
struct KeyMoves {
    std::function<void()> close = {};
    std::function<void()> first = {};
    std::function<void()> previous = {};
    std::function<void()> next = {};
    std::function<void()> last = {};
};

// Runs the handler of the key's action (keyAction); true when one ran.
bool runKey(const KeyMoves& moves, int keyCode, Qt::KeyboardModifiers shift);

// The moves of a window's own record bar: its cmdFirst_Click, cmdPrevious_Click, cmdNext_Click and
// cmdLast_Click; Esc is left out.
template <class Window> KeyMoves barMoves(Window* window)
{
    return {.first = [window] { window->cmdFirst_Click(); },
            .previous = [window] { window->cmdPrevious_Click(); },
            .next = [window] { window->cmdNext_Click(); },
            .last = [window] { window->cmdLast_Click(); }};
}

// The record bar at the foot of a window after a resize: the status label, from 690 twips in, takes
// the window's outer width less `margin` twips, and the next and last buttons follow it 700 and 1,040
// twips after its width. A window narrower than the margin leaves the bar as it was and gives nothing;
// else the label's width in twips.
std::optional<double> fitRecordBar(const QWidget* window, double margin, QLabel* status, QPushButton* next,
                                   QPushButton* last);

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
