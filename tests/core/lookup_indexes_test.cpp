// The indexes of the tables read one enterprise at a time: shipped in the templates, made in a file of
// before when the program opens it, and nothing a plain SQLite reader would notice.
#include "platform/db/connection.h"
#include "qelv/core/data_files.h"
#include "qelv/core/lookup_indexes.h"
#include "tests/fixtures/program_folder.h"
#include "tests/fixtures/sqlite_probe.h"

#include <QFile>
#include <gtest/gtest.h>
#include <sqlite3.h>

namespace {

using LookupIndexTest = fixtures::ProgramFolderTest;

// Each template with the indexed tables it holds.
struct Template {
    const char* file;
    QStringList tables;
};

const Template kTemplates[] = {
    {dataFiles::billingTemplate, {QStringLiteral("KPKZK")}},
    {dataFiles::enterprises, {QStringLiteral("dwwrw")}},
    {dataFiles::invoiceTemplate, {QStringLiteral("KPDW"), QStringLiteral("MX")}},
    {dataFiles::noticeTemplate, {QStringLiteral("tzdw"), QStringLiteral("MX"), QStringLiteral("WuRanWuMingXi")}},
    {dataFiles::feeListTemplate, {QStringLiteral("ShuJu")}},
};

// The indexes of a table whose first column is DanWeiBianHao, as a plain SQLite reader finds them.
int keyIndexes(const QString& file, const QString& table)
{
    return fixtures::probe(file,
                           QStringLiteral("select count(*) from pragma_index_list('%1') as l, "
                                          "pragma_index_info(l.name) as i where i.seqno = 0 and "
                                          "i.name = 'DanWeiBianHao' collate nocase")
                               .arg(table))
        .toInt();
}

// What SQLite plans for a read of one enterprise's rows: "SEARCH MX USING INDEX ..." or "SCAN MX".
QString planOfLookup(const QString& file, const QString& table)
{
    sqlite3* db = nullptr;
    QString plan;
    if (sqlite3_open_v2(file.toUtf8().constData(), &db, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK) {
        sqlite3_stmt* st = nullptr;
        const QByteArray sql =
            QStringLiteral("explain query plan select * from \"%1\" where DanWeiBianHao = ?").arg(table).toUtf8();
        if (sqlite3_prepare_v2(db, sql.constData(), -1, &st, nullptr) == SQLITE_OK)
            while (sqlite3_step(st) == SQLITE_ROW)
                plan += QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st, 3)));
        sqlite3_finalize(st);
    }
    sqlite3_close(db);
    return plan;
}

void dropIndexes(const QString& file, const QStringList& tables)
{
    for (const QString& t : tables)
        fixtures::exec(file, QStringLiteral("DROP INDEX IF EXISTS \"%1\"").arg(lookupIndexes::indexName(t)));
}

} // namespace

TEST_F(LookupIndexTest, EveryTemplateCarriesTheIndexOfEachTableReadByEnterprise)
{
    for (const Template& t : kTemplates) {
        const QString file = folder->data(QString::fromLatin1(t.file));
        for (const QString& table : t.tables) {
            EXPECT_EQ(keyIndexes(file, table), 1) << t.file << " " << table.toStdString();
            EXPECT_TRUE(planOfLookup(file, table).startsWith(QStringLiteral("SEARCH")))
                << t.file << ": " << planOfLookup(file, table).toStdString();
        }
        // Nothing to add to a file that has them all.
        db::Connection c(db::DataFile{QString::fromLatin1(t.file)});
        const int before = c.scalar(QStringLiteral("select count(*) from sqlite_master where type = 'index'")).toInt();
        lookupIndexes::create(c);
        EXPECT_EQ(c.scalar(QStringLiteral("select count(*) from sqlite_master where type = 'index'")).toInt(), before)
            << t.file;
    }
    // The register's number is unique, and that index serves; it gets no second one.
    EXPECT_EQ(keyIndexes(folder->data(QString::fromLatin1(dataFiles::enterprises)), QStringLiteral("dw")), 1);
}

TEST_F(LookupIndexTest, AFileMadeBeforeGetsTheIndexesWhenOpenedAndStaysAPlainDatabase)
{
    for (const Template& t : kTemplates) {
        const QString file = folder->data(QString::fromLatin1(t.file));
        dropIndexes(file, t.tables);
        for (const QString& table : t.tables)
            ASSERT_TRUE(planOfLookup(file, table).startsWith(QStringLiteral("SCAN"))) << t.file;
        {
            db::Connection c(db::DataFile{QString::fromLatin1(t.file)});
            lookupIndexes::ensure(c);
        }
        for (const QString& table : t.tables) {
            EXPECT_EQ(keyIndexes(file, table), 1) << t.file << " " << table.toStdString();
            EXPECT_TRUE(planOfLookup(file, table).startsWith(QStringLiteral("SEARCH"))) << t.file;
        }
        EXPECT_EQ(fixtures::probe(file, QStringLiteral("pragma integrity_check")).toString(), QStringLiteral("ok"));
    }
}

TEST_F(LookupIndexTest, EachFileIsLookedAtOnceARunAndACopyUnderItsNameIsAnotherFile)
{
    const QString name = dataFiles::billing(2003);
    const QString file = folder->data(name);
    ASSERT_TRUE(QFile::copy(folder->data(QString::fromLatin1(dataFiles::billingTemplate)), file));
    dropIndexes(file, {QStringLiteral("KPKZK")});
    {
        db::Connection c(db::DataFile{name});
        lookupIndexes::ensure(c);
    }
    ASSERT_EQ(keyIndexes(file, QStringLiteral("KPKZK")), 1);
    // Taken away behind the program's back: the same file is not looked at again in this run.
    dropIndexes(file, {QStringLiteral("KPKZK")});
    {
        db::Connection c(db::DataFile{name});
        lookupIndexes::ensure(c);
    }
    EXPECT_EQ(keyIndexes(file, QStringLiteral("KPKZK")), 0);
    // A copy of an old template put under the name is a new file.
    const QString old = folder->data(QStringLiteral("old.mdb"));
    ASSERT_TRUE(QFile::copy(file, old));
    ASSERT_TRUE(QFile::remove(file));
    ASSERT_TRUE(QFile::rename(old, file));
    {
        db::Connection c(db::DataFile{name});
        lookupIndexes::ensure(c);
    }
    EXPECT_EQ(keyIndexes(file, QStringLiteral("KPKZK")), 1);
}

TEST_F(LookupIndexTest, AFileThatCannotTakeTheIndexIsReadAsItIs)
{
    const QString name = QString::fromLatin1(dataFiles::invoiceTemplate);
    const QString file = folder->data(name);
    dropIndexes(file, {QStringLiteral("KPDW"), QStringLiteral("MX")});
    db::Connection c(db::DataFile{name});
    // A connection that may only read: the index waits for another time.
    c.execute(QStringLiteral("PRAGMA query_only = 1"));
    EXPECT_NO_THROW(lookupIndexes::ensure(c));
    EXPECT_EQ(keyIndexes(file, QStringLiteral("MX")), 0);
    EXPECT_EQ(
        c.scalar(QStringLiteral("select count(*) from MX where DanWeiBianHao = ?"), {QStringLiteral("1")}).toInt(), 0);
    // Tried again at the next opening, once the file takes it.
    c.execute(QStringLiteral("PRAGMA query_only = 0"));
    lookupIndexes::ensure(c);
    EXPECT_EQ(keyIndexes(file, QStringLiteral("MX")), 1);
}
