// The collection print file: WTDW built from the layout's "字段" rows into the month's file and the
// template, which only a complete build replaces.
#include "platform/db/connection.h"
#include "qelv/collection/collection_fields.h"
#include "qelv/collection/collection_print_file.h"
#include "qelv/core/data_files.h"
#include "qelv/core/error_sink.h"
#include "tests/fixtures/db_peer.h"
#include "tests/fixtures/program_folder.h"
#include "tests/fixtures/sqlite_probe.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

namespace {

using fixtures::bytes;

const QDate may2003(2003, 5, 1);

// The generator's columns, in the order of the shipped layout's IDs.
const QStringList& generatorNames = collection::fieldNames();

// "name type size" of each column of WTDW, in order.
QStringList columnsOf(const QString& path)
{
    db::Connection conn;
    conn.openPath(path);
    QStringList out;
    for (const db::ColumnDef& c : conn.columns(QStringLiteral("WTDW")))
        out << QStringLiteral("%1 %2 %3").arg(c.name).arg(int(c.type)).arg(c.size);
    return out;
}

QString text(const QString& name, int size)
{
    return QStringLiteral("%1 %2 %3").arg(name).arg(int(db::ColumnType::Text)).arg(size);
}

QStringList columnsFor(const QStringList& names)
{
    QStringList out{text(QStringLiteral("DanWeiBianHao"), 50)};
    for (const QString& n : names)
        out << text(n, 100);
    return out;
}

class CollectionPrintFile : public fixtures::ProgramFolderTest {
protected:
    QString month(const QDate& m = may2003) const { return folder->data(dataFiles::monthCollections(m)); }
    QString templ() const { return folder->data(QString::fromLatin1(dataFiles::collectionTemplate)); }
    QString layoutFile() const { return folder->data(QString::fromLatin1(dataFiles::printLayouts)); }

    // Runs the build, answering the question with `yes` and keeping each question asked.
    bool build(bool yes = true, const QDate& m = may2003)
    {
        db::Connection layout(db::DataFile{QString::fromLatin1(dataFiles::printLayouts)});
        return collection::RebuildCollectionPrintTables(
            layout, m,
            [this, yes](const QString& q) {
                questions << q;
                return yes;
            },
            errors.sink());
    }

    // A month's file holding one generated document.
    void makeMonthWithDocuments()
    {
        ASSERT_TRUE(build());
        fixtures::exec(month(), QStringLiteral("INSERT INTO WTDW (DanWeiBianHao, 委托号码) VALUES ('1001', '123');"));
        questions.clear();
    }

    QStringList dataFolderFiles() const { return QDir(folder->data()).entryList(QDir::Files, QDir::Name); }
    QString errorText() const { return errors.list().join(QLatin1Char('\n')); }

    CollectedErrors errors;
    QStringList questions;
};

TEST_F(CollectionPrintFile, TheShippedLayoutGivesTheEnterpriseNumberAndTheGeneratorsColumnsInIdOrder)
{
    ASSERT_TRUE(build()) << errorText().toStdString();
    const QStringList expected = columnsFor(generatorNames);
    ASSERT_EQ(expected.size(), 25);
    EXPECT_EQ(columnsOf(month()), expected);
    EXPECT_EQ(columnsOf(templ()), expected);
    EXPECT_EQ(bytes(month()), bytes(templ()));
    EXPECT_TRUE(questions.isEmpty()) << "a month without a file is built without asking";
    EXPECT_FALSE(QFile::exists(folder->data(QString::fromLatin1(dataFiles::collectionTablesTransient))));
    EXPECT_FALSE(QFile::exists(folder->data(QString::fromLatin1(dataFiles::collectionFileKept))));
}

TEST_F(CollectionPrintFile, ColumnsFollowTheFieldRowsByIdAndLabelsAddNone)
{
    fixtures::exec(layoutFile(),
                   QStringLiteral("DELETE FROM wt;"
                                  "INSERT INTO wt (ID, Name, ZiDuanBiaoQian) VALUES (9, '委托密码', '字段'),"
                                  " (0, '委托号码', '字段'), (4, '注意事项', '标签'), (3, '年', '字段'),"
                                  " (12, '备注', '字段'), (1, '第一联', '标签');"));
    ASSERT_TRUE(build()) << errorText().toStdString();
    const QStringList expected = columnsFor({"委托号码", "年", "委托密码", "备注"});
    EXPECT_EQ(columnsOf(month()), expected);
    EXPECT_EQ(columnsOf(templ()), expected);
}

TEST_F(CollectionPrintFile, TheShippedTemplateIsABuildOfTheShippedLayout)
{
    const QString shipped =
        fixtures::shippedDir() + QStringLiteral("/Data/") + QString::fromLatin1(dataFiles::collectionTemplate);
    ASSERT_TRUE(QFile::exists(shipped));
    EXPECT_EQ(columnsOf(shipped), columnsFor(generatorNames));
    EXPECT_EQ(fixtures::probe(shipped, QStringLiteral("SELECT count(*) FROM WTDW")).toInt(), 0);
    EXPECT_EQ(
        fixtures::probe(shipped, QStringLiteral("SELECT count(*) FROM sqlite_master WHERE type = 'table'")).toInt(), 1);
}

TEST_F(CollectionPrintFile, GeneratedDocumentsAreReplacedOnlyAfterYes)
{
    makeMonthWithDocuments();
    const QByteArray monthBefore = bytes(month()), templateBefore = bytes(templ());
    EXPECT_FALSE(build(false));
    ASSERT_EQ(questions.size(), 1);
    EXPECT_EQ(questions.front(), QString::fromUtf8(collection::replaceDocumentsQuestion));
    EXPECT_TRUE(errors.empty());
    EXPECT_EQ(bytes(month()), monthBefore);
    EXPECT_EQ(bytes(templ()), templateBefore);

    EXPECT_TRUE(build(true));
    EXPECT_EQ(questions.size(), 2);
    EXPECT_EQ(fixtures::probe(month(), QStringLiteral("SELECT count(*) FROM WTDW")).toInt(), 0);
    EXPECT_EQ(bytes(month()), bytes(templ()));
}

TEST_F(CollectionPrintFile, AMonthsFileWithoutDocumentsIsReplacedWithoutAsking)
{
    // As a failed build of the original left it: the blank database, without WTDW.
    QFile::copy(folder->data(QString::fromLatin1(dataFiles::blankDatabase)), month());
    ASSERT_TRUE(build());
    EXPECT_TRUE(questions.isEmpty());
    EXPECT_EQ(columnsOf(month()).size(), 25);
    // Building again over the empty table asks nothing either.
    ASSERT_TRUE(build());
    EXPECT_TRUE(questions.isEmpty());
}

TEST_F(CollectionPrintFile, EachMonthKeepsTheColumnsOfItsOwnBuildAndTheTemplateTheLatest)
{
    ASSERT_TRUE(build(true, QDate(2003, 12, 1)));
    fixtures::exec(layoutFile(), QStringLiteral("UPDATE wt SET Name = '备注' WHERE ID = 22;"));
    ASSERT_TRUE(build(true, QDate(2004, 1, 1)));
    QStringList later = generatorNames;
    later[22] = QStringLiteral("备注");
    EXPECT_EQ(columnsOf(month(QDate(2003, 12, 1))), columnsFor(generatorNames));
    EXPECT_EQ(columnsOf(month(QDate(2004, 1, 1))), columnsFor(later));
    EXPECT_EQ(columnsOf(templ()), columnsFor(later));
}

struct RefusedBuild {
    const char* name;
    const char* sql; // spoils the shipped layout
    const char* reason; // in the message
};
void PrintTo(const RefusedBuild& c, std::ostream* os)
{
    *os << c.name;
}

class RefusedBuilds : public CollectionPrintFile, public ::testing::WithParamInterface<RefusedBuild> { };

TEST_P(RefusedBuilds, LeaveTheMonthsFileAndTheTemplateByteForByte)
{
    makeMonthWithDocuments();
    fixtures::exec(layoutFile(), QString::fromUtf8(GetParam().sql));
    const QStringList filesBefore = dataFolderFiles();
    const QByteArray monthBefore = bytes(month()), templateBefore = bytes(templ());
    EXPECT_FALSE(build());
    EXPECT_TRUE(questions.isEmpty()) << "the layout is checked before anything is asked";
    ASSERT_EQ(errors.list().size(), 1);
    EXPECT_TRUE(errors.list().front().contains(QStringLiteral("委托单结构没有生成"))) << errorText().toStdString();
    EXPECT_TRUE(errors.list().front().contains(QString::fromUtf8(GetParam().reason))) << errorText().toStdString();
    EXPECT_EQ(bytes(month()), monthBefore);
    EXPECT_EQ(bytes(templ()), templateBefore);
    EXPECT_EQ(dataFolderFiles(), filesBefore);
}

INSTANTIATE_TEST_SUITE_P(
    Layouts, RefusedBuilds,
    ::testing::Values(
        RefusedBuild{"NoFieldRows", "UPDATE wt SET ZiDuanBiaoQian = '标签';", "没有“字段”类型的行"},
        RefusedBuild{"FieldWithoutName", "UPDATE wt SET Name = NULL WHERE ID = 5;", "第 5 号字段没有名称"},
        RefusedBuild{"BlankName", "UPDATE wt SET Name = '  ' WHERE ID = 7;", "第 7 号字段没有名称"},
        RefusedBuild{"SameNameTwice", "UPDATE wt SET Name = '年' WHERE ID = 23;", "“年”出现了不止一次"},
        RefusedBuild{"SameNameInAnotherCase",
                     "UPDATE wt SET Name = 'Memo' WHERE ID = 21; UPDATE wt SET Name = 'MEMO' WHERE ID = 22;",
                     "“MEMO”出现了不止一次"},
        RefusedBuild{"EnterpriseNumberField", "UPDATE wt SET Name = 'danweibianhao' WHERE ID = 0;", "由程序自己加上"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(CollectionPrintFile, WithoutTheEmptyDatabaseBothFilesStayAsTheyWere)
{
    makeMonthWithDocuments();
    QFile::remove(folder->data(QString::fromLatin1(dataFiles::blankDatabase)));
    const QByteArray monthBefore = bytes(month()), templateBefore = bytes(templ());
    EXPECT_FALSE(build());
    ASSERT_EQ(errors.list().size(), 1);
    EXPECT_TRUE(errors.list().front().contains(QString::fromLatin1(dataFiles::blankDatabase)));
    EXPECT_TRUE(questions.isEmpty()) << "nothing is asked for a build that cannot be made";
    EXPECT_EQ(bytes(month()), monthBefore);
    EXPECT_EQ(bytes(templ()), templateBefore);
}

TEST_F(CollectionPrintFile, ATemplateThatCannotBeReplacedPutsTheMonthsFileBack)
{
    makeMonthWithDocuments();
    const QByteArray monthBefore = bytes(month());
    // A folder where the template should be: nothing can be copied over it.
    QFile::remove(templ());
    QDir().mkpath(templ());
    EXPECT_FALSE(build());
    ASSERT_EQ(errors.list().size(), 1);
    EXPECT_TRUE(errors.list().front().contains(templ())) << "the failure is the template's";
    EXPECT_EQ(bytes(month()), monthBefore);
    EXPECT_FALSE(QFile::exists(folder->data(QString::fromLatin1(dataFiles::collectionTablesTransient))));
    EXPECT_FALSE(QFile::exists(folder->data(QString::fromLatin1(dataFiles::collectionFileKept))));
}

TEST_F(CollectionPrintFile, AFileAnotherCopyOfTheProgramHoldsKeepsBothFilesAsTheyWere)
{
    makeMonthWithDocuments();
    const QByteArray monthBefore = bytes(month()), templateBefore = bytes(templ());
    for (const QString& held : {templ(), month()}) {
        fixtures::DbPeer peer;
        ASSERT_TRUE(peer.call({QStringLiteral("open"), held}).startsWith(QStringLiteral("ok")));
        EXPECT_FALSE(build());
        EXPECT_EQ(bytes(month()), monthBefore);
        EXPECT_EQ(bytes(templ()), templateBefore);
        EXPECT_FALSE(QFile::exists(folder->data(QString::fromLatin1(dataFiles::collectionTablesTransient))));
        EXPECT_FALSE(QFile::exists(folder->data(QString::fromLatin1(dataFiles::collectionFileKept))));
        peer.call({QStringLiteral("close")});
    }
    ASSERT_EQ(errors.list().size(), 2);
    EXPECT_TRUE(errors.list().front().contains(QStringLiteral("文件正在使用"))) << errorText().toStdString();
}

} // namespace
