#include "platform/files/files.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <map>
#include <mutex>
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
    QStringList entries = QDir(dir).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                                              QDir::Name);
    for (const QString& e : entries)
        if (e.compare(name, Qt::CaseInsensitive) == 0)
            return e;
    return QString();
}

// The holders of each file, by tracking key. The GUI thread is the only user; the lock only keeps
// the table sound should a worker ever touch it.
struct Registry {
    std::mutex lock;
    std::map<QString, std::vector<HandleHolder*>> holders;
};

Registry& registry()
{
    static Registry r;
    return r;
}

std::vector<HandleHolder*> holdersOf(const QString& path)
{
    Registry& r = registry();
    const QString key = trackingKey(path);
    std::lock_guard<std::mutex> guard(r.lock);
    auto it = r.holders.find(key);
    return it == r.holders.end() ? std::vector<HandleHolder*>() : it->second;
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
    const int fd = ::open(QFile::encodeName(QFileInfo(path).absolutePath()).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
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
        releaseHandles(source);
        renameOver(source, respelled);
        syncDir(respelled);
        return;
    }
    if (QFileInfo::exists(target) || QFileInfo(target).isSymLink())
        fail(alreadyExistsText, to);
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
    releaseHandles(target);
    if (::unlink(QFile::encodeName(target).constData()) != 0)
        failSystem(QStringLiteral("无法删除文件"), target);
    dropJournalOf(target);
}

void track(const QString& path, HandleHolder* holder)
{
    if (!holder)
        return;
    Registry& r = registry();
    const QString key = trackingKey(path);
    std::lock_guard<std::mutex> guard(r.lock);
    auto& list = r.holders[key];
    if (std::find(list.begin(), list.end(), holder) == list.end())
        list.push_back(holder);
}

void untrack(const QString& path, HandleHolder* holder)
{
    Registry& r = registry();
    const QString key = trackingKey(path);
    std::lock_guard<std::mutex> guard(r.lock);
    auto it = r.holders.find(key);
    if (it == r.holders.end())
        return;
    auto& list = it->second;
    list.erase(std::remove(list.begin(), list.end(), holder), list.end());
    if (list.empty())
        r.holders.erase(it);
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

} // namespace files
