// Marks of use shared with other processes, and the wait for a file another process holds.
//
// A process marks each file it uses with a lock on a small hidden file beside it (".<name>.lock", the
// name lower-cased so that every spelling of the file meets on one lock): shared while the process
// tracks a holder of the file, exclusive while it changes the file. A change is refused while another
// process has any lock, and a holder waits while another process changes the file.
//
// Why a file beside the database and open-file-description locks (F_OFD_SETLK):
// - A compaction or a copy gives the name a new file by renaming over it; a lock taken on the old
//   file would protect nothing from then on. The lock file stays put while the database is replaced.
// - SQLite takes classic POSIX record locks on the database file, which belong to the process: closing
//   any descriptor of a file drops all of the process's locks on that file, and SQLite closes and
//   reopens descriptors as the layer lets go of handles. OFD locks belong to the one open descriptor
//   that took them, so nothing else the process opens or closes can drop them. They also go with the
//   process, so a killed program leaves no stale mark (only the empty lock file, which is harmless).
// - Unlike flock, fcntl changes a lock between shared and exclusive in one step: a refused change
//   keeps the shared lock the process had.
// Lock files are never deleted: one deleted while another process opens it would split the processes
// between two lock files.
#include "platform/files/registry.h"

#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <chrono>
#include <fcntl.h>
#include <thread>
#include <unistd.h>

namespace files {

namespace {

constexpr int markRetryMs = 20;

enum class LockResult { Locked, Busy, Unsupported };

QString lockFileOf(const QString& path)
{
    const QFileInfo info(resolve(path));
    return info.absolutePath() + QStringLiteral("/.") + info.fileName().toLower() + QStringLiteral(".lock");
}

LockResult setLock(int fd, short type)
{
    struct flock fl { };
    fl.l_type = type;
    fl.l_whence = SEEK_SET;
    fl.l_start = 0;
    fl.l_len = 0; // the whole file
    while (::fcntl(fd, F_OFD_SETLK, &fl) != 0) {
        if (errno == EINTR)
            continue;
        return errno == EAGAIN || errno == EACCES ? LockResult::Busy : LockResult::Unsupported;
    }
    return LockResult::Locked;
}

// Whether another open description holds a lock that an exclusive lock would conflict with.
bool othersLock(int fd)
{
    struct flock fl { };
    fl.l_type = F_WRLCK;
    fl.l_whence = SEEK_SET;
    return ::fcntl(fd, F_OFD_GETLK, &fl) == 0 && fl.l_type != F_UNLCK;
}

[[noreturn]] void failInUse(const QString& path)
{
    throw Error(QStringLiteral("文件正在使用：%1").arg(resolve(path)));
}

std::function<void(const QString&)>& waitNotice()
{
    static std::function<void(const QString&)> notice;
    return notice;
}

} // namespace

// The lock file, made when missing. Where the process may only read it (a read-only folder, a lock file
// another user made) it is opened for reading, which allows a shared lock; where it can be neither made
// nor read, the file goes unmarked rather than unusable.
void Entry::openLock(const QString& path)
{
    if (lockFd >= 0)
        return;
    const QByteArray name = QFile::encodeName(lockFileOf(path));
    lockFd = ::open(name.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
    lockWritable = lockFd >= 0;
    if (lockFd < 0)
        lockFd = ::open(name.constData(), O_RDONLY | O_CLOEXEC);
}

void Entry::closeLock()
{
    if (lockFd >= 0)
        ::close(lockFd);
    lockFd = -1;
}

// The shared mark of a file the process starts to use; waits while another process changes it.
void markShared(Entry& e, const QString& path)
{
    e.openLock(path);
    if (e.lockFd < 0)
        return;
    for (int waited = 0;; waited += markRetryMs) {
        if (setLock(e.lockFd, F_RDLCK) != LockResult::Busy)
            return;
        if (waited == 0)
            noticeWait(resolve(path));
        if (waited >= otherProcessWaitMs) {
            e.closeLock();
            failInUse(path);
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(markRetryMs));
    }
}

void setWaitNotice(std::function<void(const QString& path)> notice)
{
    waitNotice() = std::move(notice);
}

void noticeWait(const QString& path)
{
    if (const auto& notice = waitNotice())
        notice(path);
}

ExclusiveUse::ExclusiveUse(const QString& path)
    : key_(trackingKey(path))
{
    Registry& r = registry();
    std::lock_guard<std::mutex> guard(r.lock);
    Entry& e = r.entries[key_];
    if (e.changing == 0) {
        e.openLock(path);
        if (e.lockFd >= 0) {
            // Without write access to the lock file only a shared lock can be had: then the test for
            // other processes' locks comes first, and the shared lock keeps a change of theirs out.
            const LockResult result = e.lockWritable ? setLock(e.lockFd, F_WRLCK)
                : othersLock(e.lockFd)               ? LockResult::Busy
                                                     : setLock(e.lockFd, F_RDLCK);
            if (result == LockResult::Busy) {
                if (e.unused()) {
                    e.closeLock();
                    r.entries.erase(key_);
                }
                failInUse(path);
            }
        }
    }
    ++e.changing;
}

ExclusiveUse::~ExclusiveUse()
{
    Registry& r = registry();
    std::lock_guard<std::mutex> guard(r.lock);
    auto it = r.entries.find(key_);
    if (it == r.entries.end())
        return;
    Entry& e = it->second;
    if (--e.changing > 0)
        return;
    if (e.unused()) {
        e.closeLock();
        r.entries.erase(it);
    } else if (e.lockFd >= 0) {
        setLock(e.lockFd, F_RDLCK); // back to the shared mark of the holders, in one step
    }
}

} // namespace files
