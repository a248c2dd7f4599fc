#include "platform/files/files.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <fcntl.h>
#include <map>
#include <mutex>
#include <thread>
#include <unistd.h>
#include <vector>

namespace files {

namespace {

const char* const notFoundText = "文件未找到";
const char* const alreadyExistsText = "文件已存在";

QString nativeReason()
{
    return QString::fromLocal8Bit(std::strerror(errno));
}

[[noreturn]] void fail(const char* text, const QString& path)
{
    throw Error(QStringLiteral("%1：%2").arg(QString::fromUtf8(text), path));
}

[[noreturn]] void failSystem(const QString& what, const QString& path)
{
    throw Error(QStringLiteral("%1：%2（%3）").arg(what, path, nativeReason()));
}

QString absoluteClean(const QString& path)
{
    return QDir::cleanPath(QFileInfo(path).absoluteFilePath());
}

// The entry of `dir` named `name` without regard to case: the exact spelling when it exists, else
// the first match in name order, so that the answer does not depend on the order of the directory.
QString matchEntry(const QString& dir, const QString& name)
{
    if (QFileInfo::exists(dir + QLatin1Char('/') + name))
        return name;
    QStringList entries =
        QDir(dir).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
    for (const QString& e : entries)
        if (e.compare(name, Qt::CaseInsensitive) == 0)
            return e;
    return QString();
}

// --- marks of use shared with other processes ---------------------------------------------------------
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

// What the process knows of one file: its holders, and its mark for other processes.
struct Entry {
    std::vector<HandleHolder*> holders;
    int lockFd = -1; // open while the process uses the file, whatever lock it holds
    bool lockWritable = false;
    int changing = 0; // nested exclusive uses in progress

    bool unused() const { return holders.empty() && changing == 0; }

    // The lock file, made when missing. Where the process may only read it (a read-only folder, a
    // lock file another user made) it is opened for reading, which allows a shared lock; where it can
    // be neither made nor read, the file goes unmarked rather than unusable.
    void openLock(const QString& path)
    {
        if (lockFd >= 0)
            return;
        const QByteArray name = QFile::encodeName(lockFileOf(path));
        lockFd = ::open(name.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
        lockWritable = lockFd >= 0;
        if (lockFd < 0)
            lockFd = ::open(name.constData(), O_RDONLY | O_CLOEXEC);
    }
    void closeLock()
    {
        if (lockFd >= 0)
            ::close(lockFd);
        lockFd = -1;
    }
};

// The holders and marks of each file, by tracking key. The GUI thread is the only user; the lock only
// keeps the table sound should a worker ever touch it.
struct Registry {
    std::mutex lock;
    std::map<QString, Entry> entries;
};

Registry& registry()
{
    static Registry r;
    return r;
}

std::function<void(const QString&)>& waitNotice()
{
    static std::function<void(const QString&)> notice;
    return notice;
}

std::vector<HandleHolder*> holdersOf(const QString& path)
{
    Registry& r = registry();
    const QString key = trackingKey(path);
    std::lock_guard<std::mutex> guard(r.lock);
    auto it = r.entries.find(key);
    return it == r.entries.end() ? std::vector<HandleHolder*>() : it->second.holders;
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

// A rollback journal left beside a database file (by a program that stopped in the middle of a write)
// belongs to the old content of that name. Once the name is given to other content, SQLite would play
// the old journal back into it on the next open and damage it, so the journal goes with the old file.
void dropJournalOf(const QString& path)
{
    const QString journal = path + QStringLiteral("-journal");
    if (QFileInfo::exists(journal) && ::unlink(QFile::encodeName(journal).constData()) != 0)
        failSystem(QStringLiteral("无法删除文件"), journal);
}

// Writes the file's data and the directory entry to disk, so that a rename that follows never leaves
// an empty or partial file under the name after a power cut.
void syncFile(const QString& path)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return;
    ::fsync(fd);
    ::close(fd);
}

void syncDir(const QString& path)
{
    const int fd =
        ::open(QFile::encodeName(QFileInfo(path).absolutePath()).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return;
    ::fsync(fd);
    ::close(fd);
}

void copyBytes(const QString& from, const QString& to)
{
    const int in = ::open(QFile::encodeName(from).constData(), O_RDONLY | O_CLOEXEC);
    if (in < 0)
        failSystem(QStringLiteral("无法打开文件"), from);
    const int out = ::open(QFile::encodeName(to).constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (out < 0) {
        const int err = errno;
        ::close(in);
        errno = err;
        failSystem(QStringLiteral("无法创建文件"), to);
    }
    char buffer[1 << 16];
    for (;;) {
        const ssize_t n = ::read(in, buffer, sizeof buffer);
        if (n == 0)
            break;
        if (n < 0) {
            if (errno == EINTR)
                continue;
            const int err = errno;
            ::close(in);
            ::close(out);
            errno = err;
            failSystem(QStringLiteral("读取文件失败"), from);
        }
        for (ssize_t done = 0; done < n;) {
            const ssize_t w = ::write(out, buffer + done, static_cast<size_t>(n - done));
            if (w < 0) {
                if (errno == EINTR)
                    continue;
                const int err = errno;
                ::close(in);
                ::close(out);
                errno = err;
                failSystem(QStringLiteral("写入文件失败"), to);
            }
            done += w;
        }
    }
    ::close(in);
    const bool synced = ::fsync(out) == 0;
    const int err = errno;
    ::close(out);
    if (!synced) {
        errno = err;
        failSystem(QStringLiteral("写入文件失败"), to);
    }
}

void renameOver(const QString& from, const QString& to)
{
    if (::rename(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) != 0)
        failSystem(QStringLiteral("无法重命名文件"), from);
}

} // namespace

QString appPath()
{
    const QByteArray home = qgetenv("QELV_HOME");
    if (!home.isEmpty())
        return absoluteClean(QString::fromLocal8Bit(home));
    if (QCoreApplication::instance())
        return QCoreApplication::applicationDirPath();
    // Before the application object exists (tools, early start-up) the executable tells.
    return QFileInfo(QFile::symLinkTarget(QStringLiteral("/proc/self/exe"))).absolutePath();
}

QString dataFolder()
{
    return resolve(appPath() + QStringLiteral("/Data"));
}

QString dataFile(const QString& name)
{
    return resolve(dataFolder() + QLatin1Char('/') + name);
}

QString resolve(const QString& path)
{
    if (path.isEmpty())
        return path;
    const QString absolute = absoluteClean(path);
    if (QFileInfo::exists(absolute))
        return absolute;
    const QStringList parts = absolute.split(QLatin1Char('/'), Qt::SkipEmptyParts);
    QString current;
    int i = 0;
    for (; i < parts.size(); ++i) {
        const QString dir = current.isEmpty() ? QStringLiteral("/") : current;
        const QString match = matchEntry(dir, parts[i]);
        if (match.isEmpty())
            break;
        current += QLatin1Char('/') + match;
    }
    // Components that do not exist keep the spelling given.
    for (; i < parts.size(); ++i)
        current += QLatin1Char('/') + parts[i];
    return current.isEmpty() ? QStringLiteral("/") : current;
}

bool exists(const QString& path)
{
    return !path.isEmpty() && QFileInfo::exists(resolve(path));
}

void copy(const QString& from, const QString& to)
{
    const QString source = resolve(from);
    if (!QFileInfo(source).isFile())
        fail(notFoundText, from);
    const QString target = resolve(to);
    if (trackingKey(source) == trackingKey(target))
        throw Error(QStringLiteral("文件不能复制到它自身：%1").arg(source));
    if (QFileInfo(target).isDir())
        throw Error(QStringLiteral("目标是一个文件夹：%1").arg(target));
    const ExclusiveUse changing(target);
    releaseHandles(source);
    releaseHandles(target);
    // Copied beside the target first and then renamed over it, so that the target is either the old
    // file or the complete copy, never half of one.
    const QString partial = target + QStringLiteral(".copying");
    ::unlink(QFile::encodeName(partial).constData());
    try {
        copyBytes(source, partial);
        QFile::setPermissions(partial, QFileInfo(source).permissions() | QFile::WriteOwner | QFile::ReadOwner);
        dropJournalOf(target);
        renameOver(partial, target);
    } catch (...) {
        ::unlink(QFile::encodeName(partial).constData());
        throw;
    }
    syncDir(target);
}

void rename(const QString& from, const QString& to)
{
    const QString source = resolve(from);
    if (!QFileInfo::exists(source))
        fail(notFoundText, from);
    const QString target = resolve(to);
    if (trackingKey(source) == trackingKey(target)) {
        // A change of letter case only: the file is renamed onto its own new spelling.
        const QString respelled = QFileInfo(source).absolutePath() + QLatin1Char('/') + QFileInfo(to).fileName();
        if (respelled == source)
            return;
        if (QFileInfo::exists(respelled))
            fail(alreadyExistsText, to);
        const ExclusiveUse changing(source);
        releaseHandles(source);
        renameOver(source, respelled);
        syncDir(respelled);
        return;
    }
    if (QFileInfo::exists(target) || QFileInfo(target).isSymLink())
        fail(alreadyExistsText, to);
    const ExclusiveUse changingSource(source);
    const ExclusiveUse changingTarget(target);
    releaseHandles(source);
    dropJournalOf(target);
    renameOver(source, target);
    syncDir(target);
}

void replace(const QString& from, const QString& to)
{
    const QString source = resolve(from);
    if (!QFileInfo(source).isFile())
        fail(notFoundText, from);
    const QString target = resolve(to);
    if (trackingKey(source) == trackingKey(target))
        return;
    const ExclusiveUse changingSource(source);
    const ExclusiveUse changingTarget(target);
    releaseHandles(source);
    releaseHandles(target);
    syncFile(source);
    dropJournalOf(target);
    renameOver(source, target);
    syncDir(target);
}

void remove(const QString& path)
{
    const QString target = resolve(path);
    const QFileInfo info(target);
    if (!info.exists() && !info.isSymLink())
        fail(notFoundText, path);
    if (info.isDir())
        throw Error(QStringLiteral("不能删除文件夹：%1").arg(target));
    const ExclusiveUse changing(target);
    releaseHandles(target);
    if (::unlink(QFile::encodeName(target).constData()) != 0)
        failSystem(QStringLiteral("无法删除文件"), target);
    dropJournalOf(target);
}

QByteArray readFile(const QString& path)
{
    const QString source = resolve(path);
    if (!QFileInfo(source).isFile())
        fail(notFoundText, path);
    QFile f(source);
    if (!f.open(QIODevice::ReadOnly))
        throw Error(QStringLiteral("无法打开文件：%1（%2）").arg(source, f.errorString()));
    QByteArray bytes = f.readAll();
    if (f.error() != QFileDevice::NoError)
        throw Error(QStringLiteral("读取文件失败：%1（%2）").arg(source, f.errorString()));
    return bytes;
}

void writeFile(const QString& path, const QByteArray& bytes)
{
    const QString target = resolve(path);
    QFile f(target);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        throw Error(QStringLiteral("无法创建文件：%1（%2）").arg(target, f.errorString()));
    if (f.write(bytes) != bytes.size() || !f.flush())
        throw Error(QStringLiteral("写入文件失败：%1（%2）").arg(target, f.errorString()));
    f.close();
    if (f.error() != QFileDevice::NoError)
        throw Error(QStringLiteral("写入文件失败：%1（%2）").arg(target, f.errorString()));
}

void writeDurably(const QString& path, const QByteArray& bytes)
{
    const QString target = resolve(path);
    if (!QDir().mkpath(QFileInfo(target).absolutePath()))
        throw Error(QStringLiteral("无法创建文件夹：%1").arg(QFileInfo(target).absolutePath()));
    const QString partial = target + QStringLiteral(".writing");
    const QByteArray name = QFile::encodeName(partial);
    const int fd = ::open(name.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0)
        failSystem(QStringLiteral("无法创建文件"), partial);
    for (qsizetype done = 0; done < bytes.size();) {
        const ssize_t w = ::write(fd, bytes.constData() + done, static_cast<size_t>(bytes.size() - done));
        if (w < 0 && errno == EINTR)
            continue;
        if (w < 0) {
            const int err = errno;
            ::close(fd);
            ::unlink(name.constData());
            errno = err;
            failSystem(QStringLiteral("写入文件失败"), partial);
        }
        done += w;
    }
    const bool synced = ::fsync(fd) == 0;
    const int err = errno;
    ::close(fd);
    if (!synced) {
        ::unlink(name.constData());
        errno = err;
        failSystem(QStringLiteral("写入文件失败"), partial);
    }
    try {
        renameOver(partial, target);
    } catch (...) {
        ::unlink(name.constData());
        throw;
    }
    syncDir(target);
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

void track(const QString& path, HandleHolder* holder)
{
    if (!holder)
        return;
    Registry& r = registry();
    const QString key = trackingKey(path);
    std::lock_guard<std::mutex> guard(r.lock);
    Entry& e = r.entries[key];
    auto& list = e.holders;
    if (std::find(list.begin(), list.end(), holder) != list.end())
        return;
    if (e.unused()) {
        try {
            markShared(e, path);
        } catch (...) {
            r.entries.erase(key);
            throw;
        }
    }
    list.push_back(holder);
}

void untrack(const QString& path, HandleHolder* holder)
{
    Registry& r = registry();
    const QString key = trackingKey(path);
    std::lock_guard<std::mutex> guard(r.lock);
    auto it = r.entries.find(key);
    if (it == r.entries.end())
        return;
    auto& list = it->second.holders;
    list.erase(std::remove(list.begin(), list.end(), holder), list.end());
    if (it->second.unused()) {
        it->second.closeLock();
        r.entries.erase(it);
    }
}

void releaseHandles(const QString& path)
{
    // A holder may untrack itself while it lets go, so the list is copied first.
    for (HandleHolder* h : holdersOf(path))
        h->releaseHandle();
}

int holderCount(const QString& path)
{
    return static_cast<int>(holdersOf(path).size());
}

QString trackingKey(const QString& path)
{
    return resolve(path).toLower();
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
