#pragma once
// Files of the program folder and its data folder. Names are matched without regard to letter case,
// because the program spells one file several ways ("qelvSetUp.mdb", "qelvsetup.mdb"). A file that
// something holds open (a database connection) is let go of before it is copied, renamed or deleted:
// on Linux a file can be replaced under an open handle and the writes through it are then lost. For
// the same reason a file that another process uses is never replaced, renamed or deleted.
#include "platform/error/error.h"

#include <QByteArray>
#include <QString>
#include <functional>

namespace files {

class Error : public platform::Error {
public:
    using platform::Error::Error;
};

// The program folder: $QELV_HOME when set, else the folder of the executable.
QString appPath();
// <program folder>/Data
QString dataFolder();
// <program folder>/Data/<name>, the name resolved without regard to case.
QString dataFile(const QString& name);

// The existing file whose path matches `path` without regard to the case of each component, else
// `path` itself (so a file about to be created keeps the spelling given). The result is absolute and
// clean; folders on the way that exist are given in their own spelling. When two entries differ only
// in case, the exact spelling wins, else the first in name order.
QString resolve(const QString& path);
// Whether a file or folder of that path exists, names matched without regard to case.
bool exists(const QString& path);

// Copy, overwriting the destination (FileCopy). Rename fails when the new name exists ("文件已存在");
// a rename that changes only the letter case is allowed. Remove fails when the file does not exist
// ("文件未找到"). All of them first let go of the handles held on the files concerned, and fail with
// "文件正在使用" when a holder cannot let go now (a connection in the middle of a transaction) or
// another process uses the file changed (the destination of a copy, either name of a rename or a
// replace, the file removed). Copying from a file that another process uses is allowed.
// A copy is written beside the destination and renamed over it, so the destination is never half a
// file.
void copy(const QString& from, const QString& to);
void rename(const QString& from, const QString& to);
void remove(const QString& path);
// The whole content of a file; fails when it does not exist ("文件未找到") or cannot be read.
QByteArray readFile(const QString& path);
// Makes the file hold exactly these bytes, created when missing: a longer earlier content is cut off.
// Meant for the small exchange files of other programs, not for the database files.
void writeFile(const QString& path, const QByteArray& bytes);
// Makes the file hold exactly these bytes in one step, on disk before it returns: the file is the old
// content or the new, also after a crash or a power cut. For small records that must outlive the
// program (what it changed on a printer); the folder is made when missing.
void writeDurably(const QString& path, const QByteArray& bytes);
// Renames `from` over `to`, replacing it in one step (the destination is the old file or the new one,
// never neither); the data of `from` is on disk before the name changes.
void replace(const QString& from, const QString& to);

// Something that keeps a file open and can close it on request (the database layer's connections).
class HandleHolder {
public:
    virtual ~HandleHolder() = default;
    // Close the OS handle now; the holder may reopen it on its next use. Throws files::Error
    // ("文件正在使用：...") when it cannot let go now (a transaction or statement in progress).
    virtual void releaseHandle() = 0;
};
// Registers a holder for a file; the path is canonicalised, so spellings that differ in case agree.
// The first holder of a file also marks it in use for other processes, waiting a few seconds while
// another process is in the middle of changing it, and then failing with "文件正在使用：...". The
// mark lasts until the last holder is untracked, whether or not a handle is open meanwhile.
void track(const QString& path, HandleHolder* holder);
void untrack(const QString& path, HandleHolder* holder);
// Asks every holder of the file to close its handle.
void releaseHandles(const QString& path);
// How many holders the file has (open connections, whether or not they hold a handle right now).
int holderCount(const QString& path);
// The key under which a file is tracked: its resolved absolute path, lower-cased.
QString trackingKey(const QString& path);

// How long the program waits for a file that another process holds before it says "文件正在使用": the
// same whether the other process changes the file (its mark, above) or writes to it through SQLite
// (SQLite's own lock on it, which the database layer waits for).
inline constexpr int otherProcessWaitMs = 5000;
// Called with the file's path when the program begins to wait for a file that another process holds,
// before the wait; the wait's time runs from its return. None by default. For the GUI thread; it is
// called from inside the layers' waits, so it must not throw nor ask anything of them.
void setWaitNotice(std::function<void(const QString& path)> notice);
// Tells the notice, if one is set, that a wait for the file begins.
void noticeWait(const QString& path);

// Keeps other processes away from a file for as long as it lives: taken before a file is replaced,
// renamed or deleted (copy, rename, replace and remove take it themselves; a compaction holds it for
// its whole run). Throws files::Error ("文件正在使用：...") when another process uses the file: has a
// connection on it or is changing it. The process's own holders are not affected; they are asked to
// let go as before. Nested uses of one file in the process are allowed.
class ExclusiveUse {
public:
    explicit ExclusiveUse(const QString& path);
    ~ExclusiveUse();
    ExclusiveUse(const ExclusiveUse&) = delete;
    ExclusiveUse& operator=(const ExclusiveUse&) = delete;

private:
    QString key_;
};

} // namespace files
