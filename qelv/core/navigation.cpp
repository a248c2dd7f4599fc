#include "qelv/core/navigation.h"

#include "platform/db/recordset.h"
#include "platform/ui/dialogs.h"
#include "platform/ui/twips.h"

#include <QLabel>
#include <QPushButton>

namespace navigation {

void moveNextOrBeep(db::Recordset& rs)
{
    if (!rs.isEOF())
        rs.moveNext();
    if (rs.isEOF() && rs.recordCount() > 0) {
        ui::beep();
        rs.moveLast();
    }
}

void movePreviousOrBeep(db::Recordset& rs)
{
    if (!rs.isBOF())
        rs.movePrevious();
    if (rs.isBOF() && rs.recordCount() > 0) {
        ui::beep();
        rs.moveFirst();
    }
}

QString recordCaption(const db::Recordset& rs)
{
    const int position = rs.absolutePosition();
    return QStringLiteral("Record: ") + (position > 0 ? QString::number(position) : QString());
}

KeyAction keyAction(int keyCode, Qt::KeyboardModifiers shift)
{
    const bool ctrlOnly = (shift & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier)) == Qt::ControlModifier;
    switch (keyCode) {
    case Qt::Key_Escape:
        return KeyAction::Close;
    case Qt::Key_End:
        return KeyAction::Last;
    case Qt::Key_Home:
        return KeyAction::First;
    case Qt::Key_Up:
    case Qt::Key_PageUp:
        return ctrlOnly ? KeyAction::First : KeyAction::Previous;
    case Qt::Key_Down:
    case Qt::Key_PageDown:
        return ctrlOnly ? KeyAction::Last : KeyAction::Next;
    default:
        return KeyAction::None;
    }
}

bool runKey(const KeyMoves& moves, int keyCode, Qt::KeyboardModifiers shift)
{
    const std::function<void()>* handler = nullptr;
    switch (keyAction(keyCode, shift)) {
    case KeyAction::Close:
        handler = &moves.close;
        break;
    case KeyAction::First:
        handler = &moves.first;
        break;
    case KeyAction::Previous:
        handler = &moves.previous;
        break;
    case KeyAction::Next:
        handler = &moves.next;
        break;
    case KeyAction::Last:
        handler = &moves.last;
        break;
    case KeyAction::None:
        return false;
    }
    if (!*handler)
        return false;
    (*handler)();
    return true;
}

std::optional<double> fitRecordBar(const QWidget* window, double margin, QLabel* status, QPushButton* next,
                                   QPushButton* last)
{
    // The bar's buttons and label are one bar high, as the windows make them.
    constexpr double barHeight = 300;
    const double statusWidth = ui::twips(window->frameGeometry().width()) - margin;
    if (statusWidth < 0)
        return std::nullopt;
    status->setGeometry(ui::px(690), 0, ui::px(statusWidth), ui::px(barHeight));
    next->move(ui::px(statusWidth + 700), 0);
    last->move(ui::px(statusWidth + 700 + 340), 0);
    return statusWidth;
}

RecordBar::RecordBar(QWidget* window, std::function<db::Recordset*()> rows, const char* noRows)
    : window_(window),
      rows_(std::move(rows)),
      noRows_(noRows)
{
}

void RecordBar::connectRecordBar()
{
    QObject::connect(cmdFirst, &QPushButton::clicked, window_, [this] { cmdFirst_Click(); });
    QObject::connect(cmdPrevious, &QPushButton::clicked, window_, [this] { cmdPrevious_Click(); });
    QObject::connect(cmdNext, &QPushButton::clicked, window_, [this] { cmdNext_Click(); });
    QObject::connect(cmdLast, &QPushButton::clicked, window_, [this] { cmdLast_Click(); });
}

void RecordBar::navigate(void (*move)(db::Recordset&))
{
    ui::showingErrors(window_, [&] {
        db::Recordset* rs = rows_();
        if (!rs)
            throw db::Error(QString::fromUtf8(noRows_));
        move(*rs);
    });
}

void RecordBar::cmdFirst_Click()
{
    navigate([](db::Recordset& rs) { rs.moveFirst(); });
}

void RecordBar::cmdPrevious_Click()
{
    navigate(movePreviousOrBeep);
}

void RecordBar::cmdNext_Click()
{
    navigate(moveNextOrBeep);
}

void RecordBar::cmdLast_Click()
{
    navigate([](db::Recordset& rs) { rs.moveLast(); });
}

} // namespace navigation
