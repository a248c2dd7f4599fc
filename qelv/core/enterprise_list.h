#pragma once
// The list of enterprises of the run windows (invoices, notices): one row an enterprise, its number as
// the row's text and its full name and what the run adds in the columns after it, each row with a
// check box, cleared at every load, that picks it for a run of the ticked ones, and the key "No" and
// its position. The window keeps the count of rows its last load made; the runs walk that many.
#include <QList>
#include <QString>
#include <QStringList>
#include <cstdint>

class QTreeWidget;

namespace enterpriseList {

// Lays the list out as a report: the captions of its columns, the widths (twips) of the first ones.
void setUp(QTreeWidget* list, const QStringList& captions, const QList<double>& widths);

struct Row {
    QString number;
    QString name;
    QStringList more = {}; // the columns after the name; a null text leaves its column without one
};

// Puts the rows in place of the list's, in their order, and returns how many there are now. More rows
// than the 16-bit count holds throw convert::Error before anything changes, so that the list and the
// window's count never disagree.
std::int16_t fill(QTreeWidget* list, const QList<Row>& rows);

// The key of a row ("No1" for the first), empty past the end.
QString rowKey(const QTreeWidget* list, int row);

struct Listed {
    QString number;
    QString name;
    bool ticked = false;
};

// The first `count` rows, in list order, as a run takes them; rows the list no longer holds are left
// out.
QList<Listed> listed(const QTreeWidget* list, int count);

} // namespace enterpriseList
