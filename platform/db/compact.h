#pragma once
// Compacting a database file in place, under SQLite's own lock on it: SQLite's VACUUM rewrites the
// file through its rollback journal, so that another program's connection meanwhile waits (or is told
// the database is locked) and then sees the compacted file, no row it committed is lost, and a crash
// in the middle leaves the journal from which SQLite puts the file back as it was at its next open.
// The file is never renamed or replaced, so no other connection is left writing into a file that is
// gone. A file without free pages has nothing to give back and is left as it is.
#include <QString>

namespace db {

enum class CompactResult {
    Compacted, // the file's free pages were given back
    AlreadyCompact, // the file has no free pages: nothing done
    Missing, // no such file: nothing done
    InUse, // a connection of the program has the file open: nothing done
};

// `transientName` is the name in the same folder ("qelvbbk.mdb") under which earlier versions of the
// program wrote a compacted copy. One found there is never overwritten or lost: it is kept under a
// new name, which `keptAs` receives, and `keptFrom` the name of the database it was being made from
// ("qelvdw.mdb"; empty when that is not known). Of the copies kept of one database only the newest
// stays. Throws db::Error when the compaction fails; the file is then as it was. A file that another
// process uses through the program's own marks is refused ("文件正在使用：..."), as is an empty file
// (a damaged one).
CompactResult compact(const QString& path, const QString& transientName, QString* keptAs = nullptr,
                      QString* keptFrom = nullptr);

// The name of the kept copies of `database` made beside `transient` ("qelvbbk.mdb.qelvdw.mdb.<stamp>.kept").
QString keptCopyPattern(const QString& transient, const QString& database);

} // namespace db
