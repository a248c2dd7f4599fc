// Copies, renames, replacements and removals that leave each name the old file or the new one, never
// half of one, and that let go of the handles on the files first; and whole reads and writes of small
// files.
#include "platform/files/files.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

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
    // The reason is the failed call's, not that of closing the files.
    const auto failClosing = [&](const QString& what, const QString& path) {
        const int err = errno;
        ::close(in);
        ::close(out);
        errno = err;
        failSystem(what, path);
    };
    char buffer[1 << 16];
    for (;;) {
        const ssize_t n = ::read(in, buffer, sizeof buffer);
        if (n == 0)
            break;
        if (n < 0) {
            if (errno == EINTR)
                continue;
            failClosing(QStringLiteral("读取文件失败"), from);
        }
        for (ssize_t done = 0; done < n;) {
            const ssize_t w = ::write(out, buffer + done, static_cast<size_t>(n - done));
            if (w < 0) {
                if (errno == EINTR)
                    continue;
                failClosing(QStringLiteral("写入文件失败"), to);
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

} // namespace files
