#pragma once
// Super-journals a crash left behind. To commit a transaction over several files (see
// Connection::attach) SQLite writes each file's rollback journal, then a super-journal beside the
// main file ("<main file>-mj<hex digits>") that lists those journals, then names the super-journal at
// the end of each journal; deleting the super-journal is the moment of commit. A program killed after
// making the super-journal and before naming it in the journals leaves it for good: SQLite rolls each
// journal back on its own and never looks at it again.
//
// A super-journal is stale when no rollback journal names it. One that a journal names is never
// removed: SQLite plays that journal back only while its super-journal exists, and without it would
// take a commit stopped half way for a finished one. For the same reason nothing is removed while
// another program writes to a file whose journal is in the folder or listed (its commit may be about
// to name a super-journal): that waits for a later start.
#include <QString>
#include <QStringList>

namespace db {

// Removes the stale super-journals of `folder` and gives their names. A journal that cannot be read
// counts as naming every super-journal. Meant for the start, before the program writes to any file of
// the folder. Never throws; a file that cannot be removed stays.
QStringList removeStaleSuperJournals(const QString& folder);

} // namespace db
