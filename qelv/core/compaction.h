#pragma once
// Compacting a file of the data folder from a window, telling the operator what was left behind.
#include "platform/db/compact.h"

#include <QString>

class QWidget;

namespace compaction {

// Compacts the data-folder file `name` in place. A copy that an earlier version left under the
// transient name beside it is kept under a new name, and a message (owned by `owner`) says so. Throws
// what db::compact throws; the file is then as it was.
db::CompactResult compactDataFile(const QString& name, const QString& transientName, QWidget* owner);

} // namespace compaction
