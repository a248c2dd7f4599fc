#pragma once
// Which file SQLite could not lock. A connection spans several files once others are attached to it,
// and SQLite then says "database is locked" without saying which of them another program holds. The
// layer's connections open their files through a thin layer of ours over SQLite's own file access (a
// VFS named by vfsName()), which passes every call on unchanged and notes, in the calling thread, the
// database file whose lock was refused last; a lock granted clears the note. Waits and messages then
// name that file. For the layer's own use.
#include <QString>

struct sqlite3;

namespace db::lockWatch {

// The name to open connections with (sqlite3_open_v2's last argument); registered at the first call.
// Files attached to such a connection go through it as well.
const char* vfsName();

// The file whose lock this thread's last lock request was refused on, when it is one of `db`'s files;
// empty when the last request was granted, or was for a file of another connection.
QString refusedFile(sqlite3* db);

} // namespace db::lockWatch
