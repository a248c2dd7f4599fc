// The build of the discharge template: names, columns, the one row, the flag, and a build that stops.
#include "platform/db/connection.h"
#include "platform/db/recordset.h"
#include "qelv/assessment/discharge_tables.h"
#include "qelv/core/data_files.h"
#include "tests/assessment/assignment_fixture.h"

#include <QFile>

namespace {

class DischargeTemplateTest : public AssignmentFileTest {
protected:
    void SetUp() override
    {
        AssignmentFileTest::SetUp();
        addEnterprise(QStringLiteral("0012"), "甲厂");
        addEnterprise(QStringLiteral("0003"), "乙厂");
        addEnterprise(QStringLiteral("0100"), "丙厂");
        addPollutant(QStringLiteral("W3"), QStringLiteral("COD"), 1, QStringLiteral("废水"),
                     QStringLiteral("排放量:1 *:4 0.7:0 *:4 (:7 浓度:1 -:3 标准:1 ):8"));
        addPollutant(QStringLiteral("N1"), QStringLiteral("噪声"), 5, QStringLiteral("噪声"), QStringLiteral("300:0"));
        assign(QStringLiteral("0100"), QStringLiteral("W3"), 1);
        assign(QStringLiteral("0012"), QStringLiteral("W3"), 1);
        assign(QStringLiteral("0012"), QStringLiteral("W3"), 2);
        assign(QStringLiteral("0012"), QStringLiteral("N1"), 1);
    }

    int build()
    {
        db::Connection enterprises(db::DataFile{QString::fromLatin1(dataFiles::enterprises)});
        db::Connection pollutants(db::DataFile{QString::fromLatin1(dataFiles::pollutants)});
        return discharge::buildTemplate(enterprises, pollutants);
    }
    QString buildError()
    {
        try {
            build();
        } catch (const discharge::BuildError& e) {
            return e.description();
        }
        return QStringLiteral("<no error>");
    }
};

} // namespace

TEST_F(DischargeTemplateTest, OneTablePerAssignmentInRegisterOrderWithTheFormulasVariablesAndTheFixedColumns)
{
    settings::save(QStringLiteral("ModifyDataGS"), QStringLiteral("2"));
    EXPECT_EQ(build(), 4);
    EXPECT_EQ(tables(tmpl()), QStringList({"WRW0012W31", "WRW0012W32", "WRW0012N11", "WRW0100W31"}))
        << "enterprises in stored order, each one's assignments in theirs, leading zeros kept; 0003 has none";
    EXPECT_EQ(columnsOf(tmpl(), QStringLiteral("WRW0012W31")),
              QStringList({"排放量 CURRENCY", "浓度 CURRENCY", "标准 CURRENCY", "收费金额 CURRENCY",
                           "加倍收费 CURRENCY", "提高收费 CURRENCY", "是否单独列为收费项目 YESNO"}));
    EXPECT_EQ(rowOf(tmpl(), QStringLiteral("WRW0012W31")), QStringLiteral("1:0|0|0|0|0|0|0"));
    EXPECT_EQ(
        columnsOf(tmpl(), QStringLiteral("WRW0012N11")),
        QStringList({"收费金额 CURRENCY", "加倍收费 CURRENCY", "提高收费 CURRENCY", "是否单独列为收费项目 YESNO"}))
        << "a formula without variables";
    EXPECT_EQ(rowOf(tmpl(), QStringLiteral("WRW0012N11")), QStringLiteral("1:0|0|0|0"));
    EXPECT_EQ(gsFlag(), QStringLiteral("0"));
    EXPECT_FALSE(QFile::exists(folder->data(QString::fromLatin1(dataFiles::dischargeTemplateTransient))));

    // Through the layer the row reads back as zero amounts and False.
    db::Connection t(db::DataFile{QString::fromLatin1(dataFiles::dischargeTemplate)});
    auto rs = t.openRecordset(QStringLiteral("select * from WRW0012W32"), {}, db::LockType::ReadOnly);
    EXPECT_EQ(rs->value(QStringLiteral("收费金额")).toDouble(), 0.0);
    EXPECT_EQ(rs->value(QStringLiteral("是否单独列为收费项目")).toBool(), false);
}

TEST_F(DischargeTemplateTest, ASecondBuildRecreatesEveryTableWithZeros)
{
    build();
    fixtures::exec(tmpl(), QStringLiteral("update WRW0012W31 set 收费金额 = 12.5"));
    assign(QStringLiteral("0003"), QStringLiteral("N1"), 1);
    build();
    EXPECT_EQ(tables(tmpl()), QStringList({"WRW0012W31", "WRW0012W32", "WRW0012N11", "WRW0003N11", "WRW0100W31"}));
    EXPECT_EQ(rowOf(tmpl(), QStringLiteral("WRW0012W31")), QStringLiteral("1:0|0|0|0|0|0|0"));
}

TEST_F(DischargeTemplateTest, ABuildThatStopsLeavesThePreviousTemplateAndTheFlagAndNamesTheAssignment)
{
    build();
    const QStringList before = tables(tmpl());
    const std::vector<std::pair<std::function<void()>, QString>> cases = {
        // The same enterprise, pollutant and outlet twice.
        {[this] { assign(QStringLiteral("0012"), QStringLiteral("W3"), 2); },
         QStringLiteral("单位 0012 污染物 W3 排污口 2")},
        // A variable named like a fixed column.
        {[this] {
             fixtures::exec(dw(), QStringLiteral("delete from dwwrw where ID = (select max(ID) from dwwrw)"));
             addPollutant(QStringLiteral("X9"), QStringLiteral("坏"), 1, QStringLiteral("废水"),
                          QStringLiteral("收费金额:1"));
             assign(QStringLiteral("0003"), QStringLiteral("X9"), 1);
         },
         QStringLiteral("单位 0003 污染物 X9 排污口 1")},
    };
    for (const auto& [arrange, named] : cases) {
        arrange();
        settings::save(QStringLiteral("ModifyDataGS"), QStringLiteral("1"));
        const QString error = buildError();
        EXPECT_TRUE(error.contains(named)) << error.toStdString();
        EXPECT_EQ(tables(tmpl()), before) << "the previous template stays whole";
        EXPECT_EQ(gsFlag(), QStringLiteral("1"));
        EXPECT_FALSE(QFile::exists(folder->data(QString::fromLatin1(dataFiles::dischargeTemplateTransient))));
    }
}

TEST_F(DischargeTemplateTest, WithoutTheBlankFileOrWithAnEmptyRegisterNothingIsBuilt)
{
    build();
    const QStringList before = tables(tmpl());
    settings::save(QStringLiteral("ModifyDataGS"), QStringLiteral("1"));
    QFile::remove(folder->data(QStringLiteral("qelvdwwrwtemp.mdb")));
    EXPECT_THROW(build(), std::exception);
    EXPECT_EQ(tables(tmpl()), before);
    EXPECT_EQ(gsFlag(), QStringLiteral("1"));

    folder->copyShipped(QStringLiteral("qelvdwwrwtemp.mdb"));
    fixtures::exec(dw(), QStringLiteral("delete from dw"));
    EXPECT_FALSE(buildError() == QStringLiteral("<no error>"));
    EXPECT_EQ(tables(tmpl()), before);
    EXPECT_EQ(gsFlag(), QStringLiteral("1"));
}

TEST_F(DischargeTemplateTest, AMissingTableIsMadeInAGivenFileAndAnExistingOneLeftAlone)
{
    build();
    const QString month = folder->data(QStringLiteral("qelvdata2026_3.mdb"));
    QFile::copy(tmpl(), month);
    fixtures::exec(month, QStringLiteral("drop table WRW0012W32; update WRW0012W31 set 排放量 = 5"));
    db::Connection file(db::DataFile{QStringLiteral("qelvdata2026_3.mdb")});
    db::Connection pollutants(db::DataFile{QString::fromLatin1(dataFiles::pollutants)});
    EXPECT_TRUE(
        discharge::ensureTable(file, pollutants, {QStringLiteral("0012"), QStringLiteral("W3"), QStringLiteral("2")}));
    EXPECT_FALSE(
        discharge::ensureTable(file, pollutants, {QStringLiteral("0012"), QStringLiteral("W3"), QStringLiteral("1")}));
    file.close();
    EXPECT_EQ(rowOf(month, QStringLiteral("WRW0012W32")), QStringLiteral("1:0|0|0|0|0|0|0"));
    EXPECT_EQ(rowOf(month, QStringLiteral("WRW0012W31")), QStringLiteral("1:5|0|0|0|0|0|0"));
}
