#pragma once
// A month of the fee list in a program folder of the test's own: May 2003, the year's billing file and
// the month's discharge-data file made from their shipped templates, with helpers that bill an
// enterprise and give an assignment its month's row.
#include "platform/db/connection.h"
#include "qelv/assessment/discharge_tables.h"
#include "tests/assessment/assignment_fixture.h"

#include <QList>
#include <utility>

class FeeListMonthTest : public AssignmentFileTest {
protected:
    void SetUp() override
    {
        AssignmentFileTest::SetUp();
        ui::testing::enable();
        Module1::gWorkMonth = QDate(2003, 5, 1);
        folder->copyShipped(QStringLiteral("QELVKZTMP.MDB"), QStringLiteral("qelvkz2003.mdb"));
        folder->copyShipped(QStringLiteral("qelvdwwrwtemp.mdb"), QStringLiteral("qelvdata2003_5.mdb"));
    }
    void TearDown() override
    {
        ui::testing::disable();
        AssignmentFileTest::TearDown();
    }

    QString billingFile() const { return folder->data(QStringLiteral("qelvkz2003.mdb")); }
    QString monthData() const { return folder->data(QStringLiteral("qelvdata2003_5.mdb")); }
    QString printFile() const { return folder->data(QStringLiteral("qelvdataPrint2003_5.mdb")); }

    // The enterprise's row of the year, billed in May (flag 1) or not, with a period remark or Null.
    void bill(const QString& number, int flag = 1, const char* remark = nullptr) const
    {
        fixtures::exec(
            billingFile(),
            QStringLiteral("insert into KPKZK (DanWeiBianHao, M5, M5B) values ('%1', %2, %3)")
                .arg(number)
                .arg(flag)
                .arg(remark ? QStringLiteral("'%1'").arg(QString::fromUtf8(remark)) : QStringLiteral("null")));
    }
    // The assignment's table of the month with its row: the variables as name and SQL value ("12.5",
    // "null"), then the charge, the raised and the doubled charge.
    void figures(const QString& enterprise, const QString& pollutant, int outlet,
                 const QList<std::pair<QString, QString>>& variables, const QString& charge,
                 const QString& raised = QStringLiteral("0"), const QString& doubled = QStringLiteral("0")) const
    {
        QStringList names, sets;
        for (const auto& [name, value] : variables) {
            names << name;
            sets << QStringLiteral("\"%1\" = %2").arg(name, value);
        }
        sets << QStringLiteral("\"收费金额\" = %1").arg(charge) << QStringLiteral("\"提高收费\" = %1").arg(raised)
             << QStringLiteral("\"加倍收费\" = %1").arg(doubled);
        const QString table = discharge::tableName({enterprise, pollutant, QString::number(outlet)});
        {
            db::Connection file;
            file.openPath(monthData());
            discharge::createTable(file, table, names);
        }
        fixtures::exec(monthData(), QStringLiteral("update \"%1\" set %2").arg(table, sets.join(QStringLiteral(", "))));
    }

    // The rows of a print table in their order, "v|v|..." with SQL's quote() of each value.
    QStringList rows(const QString& table) const
    {
        const QStringList cols = columnsOf(printFile(), table);
        QStringList parts;
        for (const QString& c : cols)
            parts << QStringLiteral("quote(\"%1\")").arg(c.section(QLatin1Char(' '), 0, 0));
        return fixtures::probe(printFile(),
                               QStringLiteral("select coalesce(group_concat(r, char(10)), '') from "
                                              "(select %1 as r from \"%2\" order by rowid)")
                                   .arg(parts.join(QStringLiteral(" || '|' || ")), table))
            .toString()
            .split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    }
};
