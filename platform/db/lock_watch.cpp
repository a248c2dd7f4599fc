#include "platform/db/lock_watch.h"

#include <QFile>
#include <cstring>
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

int fileRead(sqlite3_file* f, void* out, int amount, sqlite3_int64 offset)
{
    sqlite3_file* real = realOf(f);
    return real->pMethods->xRead(real, out, amount, offset);
}

int fileWrite(sqlite3_file* f, const void* data, int amount, sqlite3_int64 offset)
{
    sqlite3_file* real = realOf(f);
    return real->pMethods->xWrite(real, data, amount, offset);
}

int fileTruncate(sqlite3_file* f, sqlite3_int64 size)
{
    sqlite3_file* real = realOf(f);
    return real->pMethods->xTruncate(real, size);
}

int fileSync(sqlite3_file* f, int flags)
{
    sqlite3_file* real = realOf(f);
    return real->pMethods->xSync(real, flags);
}

int fileSize(sqlite3_file* f, sqlite3_int64* size)
{
    sqlite3_file* real = realOf(f);
    return real->pMethods->xFileSize(real, size);
}

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

int fileUnlock(sqlite3_file* f, int level)
{
    sqlite3_file* real = realOf(f);
    return real->pMethods->xUnlock(real, level);
}

int fileCheckReservedLock(sqlite3_file* f, int* held)
{
    sqlite3_file* real = realOf(f);
    return real->pMethods->xCheckReservedLock(real, held);
}

int fileControl(sqlite3_file* f, int op, void* arg)
{
    sqlite3_file* real = realOf(f);
    return real->pMethods->xFileControl(real, op, arg);
}

int fileSectorSize(sqlite3_file* f)
{
    sqlite3_file* real = realOf(f);
    return real->pMethods->xSectorSize(real);
}

int fileDeviceCharacteristics(sqlite3_file* f)
{
    sqlite3_file* real = realOf(f);
    return real->pMethods->xDeviceCharacteristics(real);
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
    fileRead,
    fileWrite,
    fileTruncate,
    fileSync,
    fileSize,
    fileLock,
    fileUnlock,
    fileCheckReservedLock,
    fileControl,
    fileSectorSize,
    fileDeviceCharacteristics,
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

int vfsDelete(sqlite3_vfs* vfs, const char* name, int syncDir)
{
    return below(vfs)->xDelete(below(vfs), name, syncDir);
}

int vfsAccess(sqlite3_vfs* vfs, const char* name, int flags, int* result)
{
    return below(vfs)->xAccess(below(vfs), name, flags, result);
}

int vfsFullPathname(sqlite3_vfs* vfs, const char* name, int size, char* out)
{
    return below(vfs)->xFullPathname(below(vfs), name, size, out);
}

void* vfsDlOpen(sqlite3_vfs* vfs, const char* name)
{
    return below(vfs)->xDlOpen(below(vfs), name);
}

void vfsDlError(sqlite3_vfs* vfs, int size, char* out)
{
    below(vfs)->xDlError(below(vfs), size, out);
}

void (*vfsDlSym(sqlite3_vfs* vfs, void* library, const char* symbol))(void)
{
    return below(vfs)->xDlSym(below(vfs), library, symbol);
}

void vfsDlClose(sqlite3_vfs* vfs, void* library)
{
    below(vfs)->xDlClose(below(vfs), library);
}

int vfsRandomness(sqlite3_vfs* vfs, int size, char* out)
{
    return below(vfs)->xRandomness(below(vfs), size, out);
}

int vfsSleep(sqlite3_vfs* vfs, int microseconds)
{
    return below(vfs)->xSleep(below(vfs), microseconds);
}

int vfsCurrentTime(sqlite3_vfs* vfs, double* now)
{
    return below(vfs)->xCurrentTime(below(vfs), now);
}

int vfsGetLastError(sqlite3_vfs* vfs, int size, char* out)
{
    return below(vfs)->xGetLastError ? below(vfs)->xGetLastError(below(vfs), size, out) : 0;
}

int vfsCurrentTimeInt64(sqlite3_vfs* vfs, sqlite3_int64* now)
{
    return below(vfs)->xCurrentTimeInt64(below(vfs), now);
}

sqlite3_vfs* registered()
{
    static sqlite3_vfs* const vfs = [] {
        sqlite3_vfs* real = sqlite3_vfs_find(nullptr);
        static sqlite3_vfs watch{};
        watch.iVersion = 2;
        watch.szOsFile = static_cast<int>(sizeof(WatchedFile)) + real->szOsFile;
        watch.mxPathname = real->mxPathname;
        watch.zName = "qelv-lock-watch";
        watch.pAppData = real;
        watch.xOpen = vfsOpen;
        watch.xDelete = vfsDelete;
        watch.xAccess = vfsAccess;
        watch.xFullPathname = vfsFullPathname;
        watch.xDlOpen = vfsDlOpen;
        watch.xDlError = vfsDlError;
        watch.xDlSym = vfsDlSym;
        watch.xDlClose = vfsDlClose;
        watch.xRandomness = vfsRandomness;
        watch.xSleep = vfsSleep;
        watch.xCurrentTime = vfsCurrentTime;
        watch.xGetLastError = vfsGetLastError;
        // SQLite's default VFS is of version 3 and more; this one takes the time from it alike.
        watch.xCurrentTimeInt64 = real->iVersion >= 2 && real->xCurrentTimeInt64 ? vfsCurrentTimeInt64 : nullptr;
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
