// The navigation keys' dispatch that the record windows share, and the record bar's layout after a
// resize.
#include "platform/ui/twips.h"
#include "qelv/core/navigation.h"

#include <QLabel>
#include <QPushButton>
#include <QWidget>
#include <gtest/gtest.h>
#include <string>

namespace {

// Moves that write the action they stand for; `withClose` false leaves Esc out, as some windows do.
navigation::KeyMoves recording(std::string& ran, bool withClose)
{
    navigation::KeyMoves moves{.first = [&ran] { ran += "first"; },
                               .previous = [&ran] { ran += "previous"; },
                               .next = [&ran] { ran += "next"; },
                               .last = [&ran] { ran += "last"; }};
    if (withClose)
        moves.close = [&ran] { ran += "close"; };
    return moves;
}

} // namespace

TEST(NavigationKeys, EachKeyRunsItsOneActionAndOnlyExactlyCtrlGoesToTheEnds)
{
    struct Case {
        int key;
        Qt::KeyboardModifiers shift;
        const char* action; // "" for a key that is no navigation key
    };
    const Qt::KeyboardModifiers none = Qt::NoModifier, ctrl = Qt::ControlModifier;
    const Case cases[] = {
        {Qt::Key_Escape, none, "close"},
        {Qt::Key_Escape, Qt::ShiftModifier, "close"},
        {Qt::Key_Home, none, "first"},
        {Qt::Key_Home, ctrl, "first"},
        {Qt::Key_End, none, "last"},
        {Qt::Key_Up, none, "previous"},
        {Qt::Key_PageUp, none, "previous"},
        {Qt::Key_Up, ctrl, "first"},
        {Qt::Key_PageUp, ctrl, "first"},
        {Qt::Key_Up, ctrl | Qt::ShiftModifier, "previous"},
        {Qt::Key_Up, Qt::ShiftModifier, "previous"},
        {Qt::Key_Down, none, "next"},
        {Qt::Key_PageDown, none, "next"},
        {Qt::Key_Down, ctrl, "last"},
        {Qt::Key_PageDown, ctrl, "last"},
        {Qt::Key_Down, ctrl | Qt::AltModifier, "next"},
        {Qt::Key_Down, ctrl | Qt::KeypadModifier, "last"}, // the keypad's arrows are the same keys
        {Qt::Key_Left, none, ""},
        {Qt::Key_Return, none, ""},
        {Qt::Key_A, ctrl, ""},
    };
    for (const Case& c : cases) {
        for (const bool withClose : {true, false}) {
            SCOPED_TRACE(testing::Message()
                         << "key " << c.key << " shift " << c.shift.toInt() << " with close " << withClose);
            std::string ran;
            const bool expected = *c.action && (withClose || std::string(c.action) != "close");
            EXPECT_EQ(navigation::runKey(recording(ran, withClose), c.key, c.shift), expected);
            EXPECT_EQ(ran, expected ? c.action : "") << "one action, or none";
        }
    }
}

TEST(NavigationKeys, AWindowWithoutMovesLeavesEveryKeyToItsControl)
{
    for (const int key : {Qt::Key_Escape, Qt::Key_Home, Qt::Key_End, Qt::Key_Up, Qt::Key_PageDown})
        EXPECT_FALSE(navigation::runKey({}, key, Qt::NoModifier)) << key;
}

TEST(RecordBar, TheStatusLabelTakesTheWidthLessTheMarginAndTheLastButtonsFollowIt)
{
    struct Case {
        int windowPixels;
        double margin;
        bool laidOut;
    };
    const Case cases[] = {
        {500, 1500, true}, // 7,500 twips: a label of 6,000
        {500, 2000, true},
        {100, 1500, true}, // exactly the margin: a label of no width
        {99, 1500, false}, // narrower than the margin: the bar stays as it was
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.windowPixels << " pixels, margin " << c.margin);
        QWidget window;
        window.resize(c.windowPixels, 300);
        auto* status = new QLabel(&window);
        auto* next = new QPushButton(&window);
        auto* last = new QPushButton(&window);
        const QRect before(3, 4, 50, 6);
        status->setGeometry(before);
        next->move(7, 8);
        last->move(9, 10);
        const double outer = ui::twips(window.frameGeometry().width());
        const std::optional<double> width = navigation::fitRecordBar(&window, c.margin, status, next, last);
        if (!c.laidOut) {
            EXPECT_FALSE(width.has_value());
            EXPECT_EQ(status->geometry(), before);
            EXPECT_EQ(next->pos(), QPoint(7, 8));
            EXPECT_EQ(last->pos(), QPoint(9, 10));
            continue;
        }
        ASSERT_TRUE(width.has_value());
        EXPECT_EQ(*width, outer - c.margin);
        EXPECT_EQ(status->geometry(), QRect(ui::px(690), 0, ui::px(outer - c.margin), ui::px(300)));
        EXPECT_EQ(next->pos(), QPoint(ui::px(outer - c.margin + 700), 0));
        EXPECT_EQ(last->pos(), QPoint(ui::px(outer - c.margin + 1040), 0));
    }
}
