#include "platform/db/compact.h"

#include "platform/db/error.h"
#include "platform/db/statement.h"
#include "platform/files/files.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringList>
#include <optional>
#include <sqlite3.h>

namespace db {

namespace {

// A handle of the compaction's own, outside the connections' tracking: nothing of the program holds
// the file while it runs.
class Handle {
public:
    explicit Handle(const QString& path)
        : path_(path)
    {
        const int rc = sqlite3_open_v2(QFile::encodeName(path).constData(), &db_, SQLITE_OPEN_READWRITE, nullptr);
        if (rc != SQLITE_OK) {
            const QString description = describeFailure(db_, rc, path_);
            sqlite3_close(db_);
            throw Error(description);
        }
        sqlite3_extended_result_codes(db_, 1);
        sqlite3_busy_timeout(db_, files::otherProcessWaitMs);
    }
    ~Handle() { sqlite3_close_v2(db_); }
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;

    void run(const char* sql) const
    {
        const int rc = sqlite3_exec(db_, sql, nullptr, nullptr, nullptr);
        if (rc != SQLITE_OK)
            throw Error(describeFailure(db_, rc, path_));
    }

    qint64 number(const char* sql) const
    {
        sqlite3_stmt* st = nullptr;
        int rc = sqlite3_prepare_v2(db_, sql, -1, &st, nullptr);
        if (rc != SQLITE_OK)
            throw Error(describeFailure(db_, rc, path_));
        rc = sqlite3_step(st);
        const qint64 n = rc == SQLITE_ROW ? sqlite3_column_int64(st, 0) : 0;
        sqlite3_finalize(st);
        if (rc != SQLITE_ROW && rc != SQLITE_DONE)
            throw Error(describeFailure(db_, rc, path_));
        return n;
    }

private:
    QString path_;
    sqlite3* db_ = nullptr;
};

// The note, beside the transient, that earlier versions wrote naming the file their copy was made of.
QString sourceNoteOf(const QString& transient)
{
    const QFileInfo info(transient);
    return info.absolutePath() + QStringLiteral("/.") + info.fileName().toLower() + QStringLiteral(".from");
}

QString readSourceNote(const QString& note)
{
    QFile f(note);
    const QString name = f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.read(1024)).trimmed() : QString();
    // Only a plain file name: it becomes part of another file's name.
    return name.contains(QLatin1Char('/')) ? QString() : name;
}

// A free name beside the transient for the copy left there.
QString keptName(const QString& transient, const QString& database)
{
    const QString stamp = QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-hhmmss"));
    const QString base = database.isEmpty() ? transient : transient + QLatin1Char('.') + database.toLower();
    QString name = QStringLiteral("%1.%2.kept").arg(base, stamp);
    for (int n = 2; files::exists(name); ++n)
        name = QStringLiteral("%1.%2-%3.kept").arg(base, stamp).arg(n);
    return name;
}

// Keeps a copy left under the transient name; of the copies of one database only the newest stays. A
// copy of which the database is not known may be the only copy of some file and stays.
QString keepLeftOver(const QString& original, const QString& transient, QString* keptFrom)
{
    std::optional<files::ExclusiveUse> transientInUse;
    try {
        transientInUse.emplace(transient);
    } catch (const files::Error& e) {
        throw Error(e.description());
    }
    const QString note = sourceNoteOf(transient);
    const QString database = readSourceNote(note);
    const QString kept = keptName(transient, database);
    try {
        files::rename(transient, kept);
    } catch (const files::Error& e) {
        throw Error(QStringLiteral("压缩数据库“%1”失败：已有的临时文件“%2”无法保留（%3）")
                        .arg(original, transient, e.description()));
    }
    QFile::remove(note);
    if (keptFrom)
        *keptFrom = database;
    if (!database.isEmpty()) {
        const QFileInfo keptInfo(kept);
        QDir folder(keptInfo.absolutePath());
        const QStringList same = folder.entryList({QFileInfo(keptCopyPattern(transient, database)).fileName()},
                                                  QDir::Files | QDir::Hidden, QDir::Name);
        for (const QString& older : same)
            if (older != keptInfo.fileName())
                QFile::remove(folder.filePath(older));
    }
    return kept;
}

} // namespace

QString keptCopyPattern(const QString& transient, const QString& database)
{
    return QStringLiteral("%1.%2.*.kept").arg(transient, database.toLower());
}

CompactResult compact(const QString& path, const QString& transientName, QString* keptAs, QString* keptFrom)
{
    if (keptAs)
        keptAs->clear();
    if (keptFrom)
        keptFrom->clear();
    const QString original = files::resolve(path);
    if (!QFileInfo(original).isFile())
        return CompactResult::Missing;
    if (files::holderCount(original) > 0)
        return CompactResult::InUse;

    const QString folder = QFileInfo(original).absolutePath();
    const QString transient = files::resolve(folder + QLatin1Char('/') + transientName);
    if (files::trackingKey(transient) == files::trackingKey(original))
        throw Error(QStringLiteral("压缩数据库“%1”失败：临时文件不能与它同名。").arg(original));
    // Another copy of the program using the file keeps it as it is, until the end of this run.
    std::optional<files::ExclusiveUse> originalInUse;
    try {
        originalInUse.emplace(original);
    } catch (const files::Error& e) {
        throw Error(e.description());
    }
    if (files::exists(transient)) {
        const QString kept = keepLeftOver(original, transient, keptFrom);
        if (keptAs)
            *keptAs = kept;
    }

    try {
        // SQLite would take an empty file for an empty database.
        if (QFileInfo(original).size() == 0)
            throw Error(describeFailure(nullptr, SQLITE_NOTADB, original));
        const Handle file(original);
        // Reading the page counts also fails at once for a file that is no database; a journal left
        // by a program that stopped in the middle of a write is played back here first.
        file.run("PRAGMA journal_mode=DELETE");
        if (file.number("PRAGMA freelist_count") == 0)
            return CompactResult::AlreadyCompact;
        file.run("VACUUM");
    } catch (const std::exception& e) {
        const QString reason =
            dynamic_cast<const Error*>(&e) ? static_cast<const Error&>(e).description() : QString::fromUtf8(e.what());
        throw Error(QStringLiteral("压缩数据库“%1”失败，原文件未改变：%2").arg(original, reason));
    }
    return CompactResult::Compacted;
}

} // namespace db
