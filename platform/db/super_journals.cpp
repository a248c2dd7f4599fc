#include "platform/db/super_journals.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <cerrno>
#include <sqlite3.h>
#include <unistd.h>

namespace db {

namespace {

const QString journalSuffix = QStringLiteral("-journal");

// SQLite names a super-journal after the main file: "-mj" and hexadecimal digits.
bool isSuperJournalName(const QString& name)
{
    static const QRegularExpression pattern(QStringLiteral("^.+-mj[0-9A-Fa-f]+$"));
    return pattern.match(name).hasMatch();
}

// The journals a super-journal lists: their paths, each ended by a NUL byte.
QStringList listedJournals(const QByteArray& content, const QDir& folder)
{
    QStringList journals;
    for (const QByteArray& name : content.split('\0'))
        if (!name.isEmpty())
            journals << folder.absoluteFilePath(QFile::decodeName(name));
    return journals;
}

// Whether the journal may name the super-journal for SQLite. SQLite writes the name of a super-journal,
// with its length, a checksum and the journal's magic number, at the very end of the journal; any
// mention of the file's name near the end counts, so that a journal is never misread as naming none.
// A journal whose magic number is not written yet (all zero: killed before its pages were on disk,
// when the file itself was not yet touched) is never played back, by SQLite's own rule, and what it
// names decides nothing.
bool mayName(const QString& journal, const QByteArray& superJournalName)
{
    QFile f(journal);
    if (!f.open(QIODevice::ReadOnly))
        return f.exists();
    const QByteArray magic = f.read(8);
    if (f.error() != QFileDevice::NoError)
        return true;
    if (magic.count('\0') == magic.size())
        return false;
    constexpr qint64 tail = 64 * 1024; // far more than the longest path SQLite writes there
    if (f.size() > tail && !f.seek(f.size() - tail))
        return true;
    const QByteArray bytes = f.read(tail);
    return f.error() != QFileDevice::NoError || bytes.contains(superJournalName);
}

// Whether another connection holds the right to write the database (SQLite's reserved lock or a
// stronger one): a commit in progress there may be about to name a super-journal. The file is opened
// through SQLite, which keeps the process's own locks on it when it closes the file again.
bool beingWritten(const QString& database)
{
    if (!QFileInfo::exists(database))
        return false;
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(QFile::encodeName(database).constData(), &db, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK) {
        sqlite3_close(db);
        return true;
    }
    sqlite3_file* file = nullptr;
    int held = 0;
    const bool asked = sqlite3_file_control(db, "main", SQLITE_FCNTL_FILE_POINTER, &file) == SQLITE_OK && file &&
        file->pMethods && file->pMethods->xCheckReservedLock(file, &held) == SQLITE_OK;
    sqlite3_close(db);
    return !asked || held != 0;
}

QString databaseOf(const QString& journal)
{
    return journal.endsWith(journalSuffix) ? journal.chopped(journalSuffix.size()) : QString();
}

} // namespace

QStringList removeStaleSuperJournals(const QString& folder)
{
    const QDir dir(folder);
    QStringList superJournals, journals;
    for (const QString& name : dir.entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name)) {
        if (isSuperJournalName(name))
            superJournals << name;
        else if (name.endsWith(journalSuffix))
            journals << dir.absoluteFilePath(name);
    }
    if (superJournals.isEmpty())
        return {};
    for (const QString& journal : journals)
        if (beingWritten(databaseOf(journal)))
            return {};

    QStringList removed;
    for (const QString& name : superJournals) {
        const QString path = dir.absoluteFilePath(name);
        QFile f(path);
        if (!f.open(QIODevice::ReadOnly))
            continue;
        // A list of a few paths; a file much larger is none of SQLite's.
        constexpr qint64 largest = 1024 * 1024;
        if (f.size() > largest)
            continue;
        const QByteArray content = f.readAll();
        if (f.error() != QFileDevice::NoError)
            continue;
        f.close();
        const QStringList listed = listedJournals(content, dir);
        const QByteArray encodedName = QFile::encodeName(name);
        bool kept = false;
        for (const QString& journal : journals + listed)
            kept = kept || mayName(journal, encodedName);
        // A journal listed elsewhere than in this folder: its file may be in the middle of a commit.
        for (const QString& journal : listed)
            kept = kept || (!journals.contains(journal) && beingWritten(databaseOf(journal)));
        if (kept)
            continue;
        if (::unlink(QFile::encodeName(path).constData()) == 0 || errno == ENOENT)
            removed << name;
    }
    return removed;
}

} // namespace db
