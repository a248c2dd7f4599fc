#include "platform/db/connection.h"
#include "qelv/core/data_files.h"
#include "qelv/core/error_sink.h"
#include "qelv/invoicing/invoice_print_db.h"
#include "tests/fixtures/db_peer.h"
#include "tests/fixtures/program_folder.h"
#include "tests/fixtures/sqlite_probe.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

namespace {

const QDate may2003(2003, 5, 1);

QByteArray bytes(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// "name type size" of each column of a table, in order.
QStringList columnsOf(const QString& path, const char* table)
{
    db::Connection conn;
    conn.openPath(path);
    QStringList out;
    for (const db::ColumnDef& c : conn.columns(QString::fromLatin1(table)))
        out << QStringLiteral("%1 %2 %3").arg(c.name).arg(int(c.type)).arg(c.size);
    return out;
}

QString text(const char* name, int size)
{
    return QStringLiteral("%1 %2 %3").arg(QString::fromUtf8(name)).arg(int(db::ColumnType::Text)).arg(size);
}

class PrintTables : public fixtures::ProgramFolderTest {
protected:
    QString month() const { return folder->data(dataFiles::monthInvoices(may2003)); }
    QString templ() const { return folder->data(QString::fromLatin1(dataFiles::invoiceTemplate)); }
    QString layoutFile() const { return folder->data(QString::fromLatin1(dataFiles::printLayouts)); }

    // Runs the rebuild, answering the question with `yes` and counting how often it was asked.
    bool rebuild(bool yes = true)
    {
        db::Connection layout(db::DataFile{QString::fromLatin1(dataFiles::printLayouts)});
        return invoicing::RebuildPrintTables(
            layout, may2003,
            [this, yes](const QString& q) {
                questions << q;
                return yes;
            },
            errors.sink());
    }

    // A month's file with one generated invoice in it.
    void makeMonthWithInvoices()
    {
        ASSERT_TRUE(invoicing::EnsureMonthFile(may2003, errors.sink()));
        fixtures::exec(month(),
                       QStringLiteral("INSERT INTO KPDW (DanWeiBianHao, 缴款单位) VALUES ('1001', '化工厂');"
                                      "INSERT INTO MX (ID, DanWeiBianHao) VALUES (1, '1001');"));
    }

    // The files of the data folder (the hidden marks of files in use apart).
    QStringList dataFolderFiles() const { return QDir(folder->data()).entryList(QDir::Files, QDir::Name); }

    CollectedErrors errors;
    QStringList questions;
};

TEST_F(PrintTables, TheMonthsFileIsMadeFromTheTemplateOnlyWhenMissing)
{
    ASSERT_FALSE(QFile::exists(month()));
    EXPECT_TRUE(invoicing::EnsureMonthFile(may2003, errors.sink()));
    EXPECT_EQ(bytes(month()), bytes(templ()));
    fixtures::exec(month(), QStringLiteral("INSERT INTO KPDW (DanWeiBianHao) VALUES ('1001');"));
    const QByteArray kept = bytes(month());
    EXPECT_TRUE(invoicing::EnsureMonthFile(may2003, errors.sink()));
    EXPECT_EQ(bytes(month()), kept);
    EXPECT_TRUE(errors.empty());
}

TEST_F(PrintTables, WithoutTemplateTheMonthsFileCannotBeMade)
{
    QFile::remove(templ());
    EXPECT_FALSE(invoicing::EnsureMonthFile(may2003, errors.sink()));
    EXPECT_FALSE(QFile::exists(month()));
    ASSERT_EQ(errors.list().size(), 1);
}

TEST_F(PrintTables, ColumnsFollowTheLayoutInIdOrderGroupsOneAndThreeMixed)
{
    fixtures::exec(
        layoutFile(),
        QStringLiteral(
            "DELETE FROM fp;"
            "INSERT INTO fp (ID, Name, LeiXing) VALUES (7, '经办人', 3), (0, '缴款单位', 1), (3, '大写合计', 3),"
            " (5, '年', 1), (2, '序号', 2), (9, '备注', 1), (1, '项目', 2), (4, '备注', 2);"));
    ASSERT_TRUE(rebuild()) << errors.list().join(QLatin1Char('\n')).toStdString();
    const QStringList header{text("DanWeiBianHao", 50), text("缴款单位", 100), text("大写合计", 100),
                             text("年", 100),           text("经办人", 100),   text("备注", 100)};
    const QStringList lines{QStringLiteral("ID %1 0").arg(int(db::ColumnType::Short)), text("DanWeiBianHao", 50),
                            text("项目", 100), text("序号", 100), text("备注", 100)};
    EXPECT_EQ(columnsOf(month(), "KPDW"), header);
    EXPECT_EQ(columnsOf(month(), "MX"), lines);
    EXPECT_EQ(columnsOf(templ(), "KPDW"), header);
    EXPECT_EQ(columnsOf(templ(), "MX"), lines);
}

TEST_F(PrintTables, WithoutAMonthsFileTheRebuildMakesItAndTheTemplateWithoutAsking)
{
    ASSERT_FALSE(QFile::exists(month()));
    ASSERT_TRUE(rebuild()) << errors.list().join(QLatin1Char('\n')).toStdString();
    EXPECT_TRUE(questions.isEmpty());
    EXPECT_TRUE(errors.empty());
    EXPECT_EQ(bytes(month()), bytes(templ()));
    EXPECT_EQ(fixtures::probe(month(), QStringLiteral("SELECT count(*) FROM KPDW")).toInt(), 0);
    // Nothing transient stays behind.
    EXPECT_FALSE(QFile::exists(folder->data(QString::fromLatin1(dataFiles::printTablesTransient))));
    EXPECT_FALSE(QFile::exists(folder->data(QString::fromLatin1(dataFiles::printFileKept))));
}

TEST_F(PrintTables, AMonthsFileWithoutInvoicesIsReplacedWithoutAsking)
{
    ASSERT_TRUE(invoicing::EnsureMonthFile(may2003, errors.sink()));
    fixtures::exec(month(), QStringLiteral("DROP TABLE MX;"));
    ASSERT_TRUE(rebuild());
    EXPECT_TRUE(questions.isEmpty());
    EXPECT_FALSE(columnsOf(month(), "MX").isEmpty());
}

TEST_F(PrintTables, GeneratedInvoicesAreReplacedAfterYes)
{
    makeMonthWithInvoices();
    ASSERT_TRUE(rebuild(true));
    ASSERT_EQ(questions.size(), 1);
    EXPECT_EQ(questions.front(), QString::fromUtf8(invoicing::replaceGeneratedQuestion));
    EXPECT_EQ(fixtures::probe(month(), QStringLiteral("SELECT count(*) FROM KPDW")).toInt(), 0);
    EXPECT_EQ(fixtures::probe(month(), QStringLiteral("SELECT count(*) FROM MX")).toInt(), 0);
    EXPECT_EQ(bytes(month()), bytes(templ()));
    EXPECT_FALSE(QFile::exists(folder->data(QString::fromLatin1(dataFiles::printFileKept))));
}

TEST_F(PrintTables, GeneratedInvoicesAreKeptAfterNo)
{
    makeMonthWithInvoices();
    fixtures::exec(layoutFile(), QStringLiteral("UPDATE fp SET Name = '新字段' WHERE ID = 19;"));
    const QByteArray monthBefore = bytes(month()), templateBefore = bytes(templ());
    EXPECT_FALSE(rebuild(false));
    EXPECT_EQ(questions.size(), 1);
    EXPECT_TRUE(errors.empty());
    EXPECT_EQ(bytes(month()), monthBefore);
    EXPECT_EQ(bytes(templ()), templateBefore);
}

struct RefusedRebuild {
    const char* name;
    const char* sql; // spoils the shipped layout
};
void PrintTo(const RefusedRebuild& c, std::ostream* os)
{
    *os << c.name;
}

class RefusedRebuilds : public PrintTables, public ::testing::WithParamInterface<RefusedRebuild> { };

TEST_P(RefusedRebuilds, LeaveTheMonthsFileAndTheTemplateByteForByte)
{
    makeMonthWithInvoices();
    fixtures::exec(layoutFile(), QString::fromUtf8(GetParam().sql));
    const QStringList filesBefore = dataFolderFiles();
    const QByteArray monthBefore = bytes(month()), templateBefore = bytes(templ());
    EXPECT_FALSE(rebuild());
    EXPECT_TRUE(questions.isEmpty()) << "the layout is checked before anything is asked";
    ASSERT_EQ(errors.list().size(), 1);
    EXPECT_TRUE(errors.list().front().contains(QStringLiteral("发票结构没有生成")));
    EXPECT_EQ(bytes(month()), monthBefore);
    EXPECT_EQ(bytes(templ()), templateBefore);
    EXPECT_EQ(dataFolderFiles(), filesBefore);
}

INSTANTIATE_TEST_SUITE_P(
    Layouts, RefusedRebuilds,
    ::testing::Values(RefusedRebuild{"NoLineFields", "DELETE FROM fp WHERE LeiXing = 2;"},
                      RefusedRebuild{"NoHeaderOrFooterFields", "DELETE FROM fp WHERE LeiXing IN (1, 3);"},
                      RefusedRebuild{"FieldWithoutName", "UPDATE fp SET Name = NULL WHERE ID = 5;"},
                      RefusedRebuild{"SameNameTwiceInKPDW", "UPDATE fp SET Name = '缴款单位' WHERE ID = 19;"},
                      RefusedRebuild{"EnterpriseNumberField", "UPDATE fp SET Name = 'DanWeiBianHao' WHERE ID = 0;"},
                      RefusedRebuild{"LineIdField", "UPDATE fp SET Name = 'ID' WHERE ID = 4;"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(PrintTables, WithoutTheEmptyDatabaseBothFilesStayAsTheyWere)
{
    makeMonthWithInvoices();
    QFile::remove(folder->data(QString::fromLatin1(dataFiles::blankDatabase)));
    const QByteArray monthBefore = bytes(month()), templateBefore = bytes(templ());
    EXPECT_FALSE(rebuild());
    ASSERT_EQ(errors.list().size(), 1);
    EXPECT_TRUE(errors.list().front().contains(QString::fromLatin1(dataFiles::blankDatabase)));
    EXPECT_EQ(bytes(month()), monthBefore);
    EXPECT_EQ(bytes(templ()), templateBefore);
}

TEST_F(PrintTables, ATemplateThatCannotBeReplacedPutsTheMonthsFileBack)
{
    makeMonthWithInvoices();
    const QByteArray monthBefore = bytes(month());
    // A folder where the template should be: nothing can be copied over it.
    QFile::remove(templ());
    QDir().mkpath(templ());
    EXPECT_FALSE(rebuild());
    ASSERT_EQ(errors.list().size(), 1);
    EXPECT_TRUE(errors.list().front().contains(templ())) << "the failure is the template's";
    EXPECT_EQ(bytes(month()), monthBefore);
    EXPECT_FALSE(QFile::exists(folder->data(QString::fromLatin1(dataFiles::printTablesTransient))));
    EXPECT_FALSE(QFile::exists(folder->data(QString::fromLatin1(dataFiles::printFileKept))));
}

TEST_F(PrintTables, AFileAnotherCopyOfTheProgramHoldsKeepsBothFilesAsTheyWere)
{
    makeMonthWithInvoices();
    const QByteArray monthBefore = bytes(month()), templateBefore = bytes(templ());
    for (const QString& held : {templ(), month()}) {
        fixtures::DbPeer peer;
        ASSERT_TRUE(peer.call({QStringLiteral("open"), held}).startsWith(QStringLiteral("ok")));
        EXPECT_FALSE(rebuild());
        EXPECT_EQ(bytes(month()), monthBefore);
        EXPECT_EQ(bytes(templ()), templateBefore);
        EXPECT_FALSE(QFile::exists(folder->data(QString::fromLatin1(dataFiles::printTablesTransient))));
        EXPECT_FALSE(QFile::exists(folder->data(QString::fromLatin1(dataFiles::printFileKept))));
        peer.call({QStringLiteral("close")});
    }
    ASSERT_EQ(errors.list().size(), 2);
    EXPECT_TRUE(errors.list().front().contains(QStringLiteral("文件正在使用"))) << errors.list().front().toStdString();
}

TEST_F(PrintTables, TheShippedTemplateIsARebuildOfTheShippedLayout)
{
    const QString shipped =
        fixtures::shippedDir() + QStringLiteral("/Data/") + QString::fromLatin1(dataFiles::invoiceTemplate);
    ASSERT_TRUE(rebuild());
    for (const char* table : {"KPDW", "MX"}) {
        EXPECT_EQ(columnsOf(shipped, table), columnsOf(templ(), table)) << table;
        EXPECT_EQ(fixtures::probe(shipped, QStringLiteral("SELECT count(*) FROM %1").arg(QLatin1String(table))).toInt(),
                  0);
    }
    EXPECT_EQ(
        fixtures::probe(shipped, QStringLiteral("SELECT count(*) FROM sqlite_master WHERE type = 'table'")).toInt(), 2);
}

} // namespace
