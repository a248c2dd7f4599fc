#include "platform/db/lock_watch.h"

#include <QFile>
#include <sqlite3.h>
#include <string>

namespace db::lockWatch {

namespace {

// A database file as SQLite sees it through this layer: SQLite's own file behind it. Journals and
// temporary files are SQLite's own files, not wrapped.
struct WatchedFile {
    sqlite3_file base;
    sqlite3_file* real;
    const char* path; // valid until the file is closed, as SQLite keeps it
};

// The path of the file of the last refused lock, empty once a lock is granted.
thread_local std::string refused;

sqlite3_file* realOf(sqlite3_file* f)
{
    return reinterpret_cast<WatchedFile*>(f)->real;
}

int fileClose(sqlite3_file* f)
{
    sqlite3_file* real = realOf(f);
    return real->pMethods ? real->pMethods->xClose(real) : SQLITE_OK;
}

// A call passed on unchanged to the file SQLite's own VFS opened.
template <auto Method> struct ToFile;
template <typename R, typename... Args, R (*sqlite3_io_methods::*Method)(sqlite3_file*, Args...)>
struct ToFile<Method> {
    static R call(sqlite3_file* f, Args... args)
    {
        sqlite3_file* real = realOf(f);
        return (real->pMethods->*Method)(real, args...);
    }
};

int fileLock(sqlite3_file* f, int level)
{
    auto* w = reinterpret_cast<WatchedFile*>(f);
    const int rc = w->real->pMethods->xLock(w->real, level);
    if ((rc & 0xff) == SQLITE_BUSY)
        refused.assign(w->path);
    else if (rc == SQLITE_OK)
        refused.clear();
    return rc;
}

int fileShmMap(sqlite3_file* f, int region, int size, int extend, void volatile** out)
{
    sqlite3_file* real = realOf(f);
    return real->pMethods->iVersion >= 2 ? real->pMethods->xShmMap(real, region, size, extend, out) : SQLITE_IOERR;
}

int fileShmLock(sqlite3_file* f, int offset, int n, int flags)
{
    sqlite3_file* real = realOf(f);
    return real->pMethods->iVersion >= 2 ? real->pMethods->xShmLock(real, offset, n, flags) : SQLITE_IOERR;
}

void fileShmBarrier(sqlite3_file* f)
{
    sqlite3_file* real = realOf(f);
    if (real->pMethods->iVersion >= 2)
        real->pMethods->xShmBarrier(real);
}

int fileShmUnmap(sqlite3_file* f, int deleteFlag)
{
    sqlite3_file* real = realOf(f);
    return real->pMethods->iVersion >= 2 ? real->pMethods->xShmUnmap(real, deleteFlag) : SQLITE_OK;
}

int fileFetch(sqlite3_file* f, sqlite3_int64 offset, int amount, void** out)
{
    sqlite3_file* real = realOf(f);
    if (real->pMethods->iVersion >= 3)
        return real->pMethods->xFetch(real, offset, amount, out);
    *out = nullptr;
    return SQLITE_OK;
}

int fileUnfetch(sqlite3_file* f, sqlite3_int64 offset, void* page)
{
    sqlite3_file* real = realOf(f);
    return real->pMethods->iVersion >= 3 ? real->pMethods->xUnfetch(real, offset, page) : SQLITE_OK;
}

const sqlite3_io_methods watchedMethods = {
    3,
    fileClose,
    ToFile<&sqlite3_io_methods::xRead>::call,
    ToFile<&sqlite3_io_methods::xWrite>::call,
    ToFile<&sqlite3_io_methods::xTruncate>::call,
    ToFile<&sqlite3_io_methods::xSync>::call,
    ToFile<&sqlite3_io_methods::xFileSize>::call,
    fileLock,
    ToFile<&sqlite3_io_methods::xUnlock>::call,
    ToFile<&sqlite3_io_methods::xCheckReservedLock>::call,
    ToFile<&sqlite3_io_methods::xFileControl>::call,
    ToFile<&sqlite3_io_methods::xSectorSize>::call,
    ToFile<&sqlite3_io_methods::xDeviceCharacteristics>::call,
    fileShmMap,
    fileShmLock,
    fileShmBarrier,
    fileShmUnmap,
    fileFetch,
    fileUnfetch,
};

// SQLite's own VFS, which does the work.
sqlite3_vfs* below(sqlite3_vfs* vfs)
{
    return static_cast<sqlite3_vfs*>(vfs->pAppData);
}

int vfsOpen(sqlite3_vfs* vfs, sqlite3_filename name, sqlite3_file* file, int flags, int* outFlags)
{
    sqlite3_vfs* real = below(vfs);
    if (!(flags & SQLITE_OPEN_MAIN_DB) || !name)
        return real->xOpen(real, name, file, flags, outFlags);
    auto* w = reinterpret_cast<WatchedFile*>(file);
    w->real = reinterpret_cast<sqlite3_file*>(w + 1);
    w->path = name;
    const int rc = real->xOpen(real, name, w->real, flags, outFlags);
    w->base.pMethods = w->real->pMethods ? &watchedMethods : nullptr;
    return rc;
}

// A call passed on unchanged to SQLite's own VFS.
template <auto Method> struct ToVfs;
template <typename R, typename... Args, R (*sqlite3_vfs::*Method)(sqlite3_vfs*, Args...)> struct ToVfs<Method> {
    static R call(sqlite3_vfs* vfs, Args... args)
    {
        sqlite3_vfs* real = below(vfs);
        return (real->*Method)(real, args...);
    }
};

int vfsGetLastError(sqlite3_vfs* vfs, int size, char* out)
{
    return below(vfs)->xGetLastError ? below(vfs)->xGetLastError(below(vfs), size, out) : 0;
}

sqlite3_vfs* registered()
{
    static sqlite3_vfs* const vfs = [] {
        sqlite3_vfs* real = sqlite3_vfs_find(nullptr);
        static sqlite3_vfs watch{};
        // Of version 2: the calls of version 3 (replacing system calls) serve only SQLite's own tests.
        watch.iVersion = 2;
        watch.szOsFile = static_cast<int>(sizeof(WatchedFile)) + real->szOsFile;
        watch.mxPathname = real->mxPathname;
        watch.zName = "qelv-lock-watch";
        watch.pAppData = real;
        watch.xOpen = vfsOpen;
        watch.xDelete = ToVfs<&sqlite3_vfs::xDelete>::call;
        watch.xAccess = ToVfs<&sqlite3_vfs::xAccess>::call;
        watch.xFullPathname = ToVfs<&sqlite3_vfs::xFullPathname>::call;
        watch.xDlOpen = ToVfs<&sqlite3_vfs::xDlOpen>::call;
        watch.xDlError = ToVfs<&sqlite3_vfs::xDlError>::call;
        watch.xDlSym = ToVfs<&sqlite3_vfs::xDlSym>::call;
        watch.xDlClose = ToVfs<&sqlite3_vfs::xDlClose>::call;
        watch.xRandomness = ToVfs<&sqlite3_vfs::xRandomness>::call;
        watch.xSleep = ToVfs<&sqlite3_vfs::xSleep>::call;
        watch.xCurrentTime = ToVfs<&sqlite3_vfs::xCurrentTime>::call;
        watch.xGetLastError = vfsGetLastError;
        watch.xCurrentTimeInt64 =
            real->iVersion >= 2 && real->xCurrentTimeInt64 ? ToVfs<&sqlite3_vfs::xCurrentTimeInt64>::call : nullptr;
        sqlite3_vfs_register(&watch, 0);
        return &watch;
    }();
    return vfs;
}

} // namespace

const char* vfsName()
{
    return registered()->zName;
}

QString refusedFile(sqlite3* db)
{
    if (refused.empty() || !db)
        return QString();
    for (int i = 0; const char* schema = sqlite3_db_name(db, i); ++i) {
        const char* file = sqlite3_db_filename(db, schema);
        if (file && refused == file)
            return QFile::decodeName(file);
    }
    return QString();
}

} // namespace db::lockWatch
