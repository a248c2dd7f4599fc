#include "platform/db/compact.h"

#include "platform/db/error.h"
#include "platform/db/statement.h"
#include "platform/files/files.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStringList>
#include <optional>
#include <sqlite3.h>

namespace db {

namespace {

// A handle of the compaction's own, outside the connections' tracking: nothing else holds the file
// while it runs.
class Handle {
public:
    Handle(const QString& path, int flags)
        : path_(path)
    {
        const int rc = sqlite3_open_v2(QFile::encodeName(path).constData(), &db_, flags, nullptr);
        if (rc != SQLITE_OK) {
            const QString description = describeFailure(db_, rc, path_);
            sqlite3_close(db_);
            throw Error(description);
        }
        sqlite3_extended_result_codes(db_, 1);
        sqlite3_busy_timeout(db_, 5000);
    }
    ~Handle() { sqlite3_close_v2(db_); }
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;

    [[noreturn]] void fail(int rc) const { throw Error(describeFailure(db_, rc, path_)); }

    // VACUUM INTO reads this file and writes `target`: a failure to write is the target's.
    void vacuumInto(const QString& target) const
    {
        sqlite3_stmt* st = nullptr;
        int rc = sqlite3_prepare_v2(db_, "VACUUM INTO ?", -1, &st, nullptr);
        if (rc != SQLITE_OK)
            fail(rc);
        const QByteArray utf8 = target.toUtf8();
        sqlite3_bind_text(st, 1, utf8.constData(), static_cast<int>(utf8.size()), SQLITE_TRANSIENT);
        rc = sqlite3_step(st);
        sqlite3_finalize(st);
        if (rc == SQLITE_DONE)
            return;
        switch (sqlite3_extended_errcode(db_) & 0xff) {
        case SQLITE_CANTOPEN:
        case SQLITE_IOERR:
        case SQLITE_FULL:
        case SQLITE_READONLY:
        case SQLITE_PERM:
            throw Error(
                QStringLiteral("无法写入临时文件“%1”（%2）").arg(target, QString::fromUtf8(sqlite3_errmsg(db_))));
        default:
            fail(rc);
        }
    }

    // The first column of every row of a query.
    QStringList column(const char* sql) const
    {
        sqlite3_stmt* st = nullptr;
        int rc = sqlite3_prepare_v2(db_, sql, -1, &st, nullptr);
        if (rc != SQLITE_OK)
            fail(rc);
        QStringList out;
        while ((rc = sqlite3_step(st)) == SQLITE_ROW)
            out << QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st, 0)));
        sqlite3_finalize(st);
        if (rc != SQLITE_DONE)
            fail(rc);
        return out;
    }

private:
    QString path_;
    sqlite3* db_ = nullptr;
};

const char* const tablesSql = "SELECT name FROM sqlite_master WHERE type = 'table' ORDER BY name";

// A free name beside the transient for the file an interrupted run left there.
QString keptName(const QString& transient)
{
    const QString stamp = QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-hhmmss"));
    QString name = QStringLiteral("%1.%2.kept").arg(transient, stamp);
    for (int n = 2; files::exists(name); ++n)
        name = QStringLiteral("%1.%2-%3.kept").arg(transient, stamp).arg(n);
    return name;
}

// The note, beside the transient, of the file a compaction is copying: a transient that a killed run
// leaves behind then tells which database it is a copy of.
QString sourceNoteOf(const QString& transient)
{
    const QFileInfo info(transient);
    return info.absolutePath() + QStringLiteral("/.") + info.fileName().toLower() + QStringLiteral(".from");
}

QString readSourceNote(const QString& note)
{
    QFile f(note);
    return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.read(1024)).trimmed() : QString();
}

// Only the message about a left-over transient depends on the note, so a note that cannot be written
// does not stop the compaction.
void writeSourceNote(const QString& note, const QString& original)
{
    QSaveFile f(note);
    if (f.open(QIODevice::WriteOnly)) {
        f.write(QFileInfo(original).fileName().toUtf8());
        f.commit();
    }
}

} // namespace

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
    // Another process using the file (or compacting another file through the same transient) keeps
    // both files as they are, until the end of this run.
    std::optional<files::ExclusiveUse> originalInUse, transientInUse;
    try {
        originalInUse.emplace(original);
        transientInUse.emplace(transient);
    } catch (const files::Error& e) {
        throw Error(e.description());
    }
    const QString note = sourceNoteOf(transient);
    if (files::exists(transient)) {
        // Perhaps the only copy of some database, left by an earlier run: never overwritten.
        const QString kept = keptName(transient);
        try {
            files::rename(transient, kept);
        } catch (const files::Error& e) {
            throw Error(QStringLiteral("压缩数据库“%1”失败：已有的临时文件“%2”无法保留（%3）")
                            .arg(original, transient, e.description()));
        }
        if (keptAs)
            *keptAs = kept;
        if (keptFrom)
            *keptFrom = readSourceNote(note);
    }
    writeSourceNote(note, original);

    try {
        QStringList tables;
        {
            // SQLite would take an empty file for an empty database and compact it into one.
            if (QFileInfo(original).size() == 0)
                throw Error(describeFailure(nullptr, SQLITE_NOTADB, original));
            Handle source(original, SQLITE_OPEN_READWRITE);
            // Reading the schema first also fails at once for a file that is no database.
            tables = source.column(tablesSql);
            source.vacuumInto(transient);
        }
        {
            Handle copy(transient, SQLITE_OPEN_READONLY);
            const QStringList check = copy.column("PRAGMA integrity_check");
            if (check != QStringList{QStringLiteral("ok")})
                throw Error(QStringLiteral("压缩后的副本未通过检查：%1").arg(check.join(QStringLiteral("; "))));
            if (copy.column(tablesSql) != tables)
                throw Error(QStringLiteral("压缩后的副本与原文件的表不同。"));
        }
        files::replace(transient, original);
    } catch (const std::exception& e) {
        QFile::remove(transient);
        QFile::remove(note);
        const QString reason = dynamic_cast<const Error*>(&e) ? static_cast<const Error&>(e).description()
            : dynamic_cast<const files::Error*>(&e)           ? static_cast<const files::Error&>(e).description()
                                                              : QString::fromUtf8(e.what());
        throw Error(QStringLiteral("压缩数据库“%1”失败，原文件未改变：%2").arg(original, reason));
    }
    QFile::remove(note);
    return CompactResult::Compacted;
}

} // namespace db
