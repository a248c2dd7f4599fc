#pragma once
// Compacting a database file without ever leaving it missing: the file is written compacted into a
// transient file beside it, the copy is checked, and only then does it replace the original (an
// atomic rename). A failure leaves the original as it was.
#include <QString>

namespace db {

enum class CompactResult {
    Compacted, // the file was replaced by its compacted copy
    Missing, // no such file: nothing done
    InUse, // a connection of the program has the file open: nothing done
};

// `transientName` is a file name in the same folder ("qelvbbk.mdb"). A transient file already there
// (left by an interrupted run) is never overwritten: it is first kept under a new name, which
// `keptAs` receives, and `keptFrom` the name of the database it was being made from ("qelvdw.mdb";
// empty when that is not known). Throws db::Error when the compaction fails; the original is then
// untouched. A file that another process uses is refused ("文件正在使用：..."), as is an empty file
// (a damaged one).
CompactResult compact(const QString& path, const QString& transientName, QString* keptAs = nullptr,
                      QString* keptFrom = nullptr);

} // namespace db
