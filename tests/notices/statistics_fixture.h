#pragma once
// The operating year 2003 (month 5) with its billing file: enterprises in the register with their
// industry type and squad, their billing rows of the year, and the statistics tables read back as text.
#include "platform/db/connection.h"
#include "platform/db/recordset.h"
#include "platform/ui/dialogs.h"
#include "qelv/core/Module1.h"
#include "qelv/core/billing_control.h"
#include "qelv/core/data_files.h"
#include "tests/fixtures/program_folder.h"

#include <QDate>
#include <QStringList>
#include <QVariant>
#include <map>
#include <memory>

namespace fixtures {

class StatisticsYear : public ProgramFolderTest {
protected:
    // The texts of the message boxes shown so far, in order.
    static QStringList messages()
    {
        QStringList out;
        for (const auto& s : ui::testing::shown())
            out << s.text;
        return out;
    }
    void SetUp() override
    {
        ProgramFolderTest::SetUp();
        Module1::setStartupDefaults();
        Module1::gWorkMonth = QDate(2003, 5, 1);
        Module1::gOrgName = QStringLiteral("某县环境保护局");
        billingControl::ensureYearFile(2003);
        dw = std::make_unique<db::Connection>(db::DataFile{QString::fromLatin1(dataFiles::enterprises)});
        billing = std::make_unique<db::Connection>(db::DataFile{dataFiles::billing(2003)});
    }
    void TearDown() override
    {
        dw.reset();
        billing.reset();
        ProgramFolderTest::TearDown();
    }

public:
    // An enterprise of the register; a null value leaves its column empty.
    void enterprise(const QString& number, const QVariant& name, const QVariant& industry, const QVariant& squad)
    {
        dw->execute(QStringLiteral("insert into dw (DanWeiBianHao, DanWeiQuangCheng, HangYeLeiXing, DanWeiFenQu) "
                                   "values (?, ?, ?, ?)"),
                    {number, name, industry, squad});
    }
    // A billing row with the columns given (column -> value), the others at their defaults.
    void billingRow(const QString& number, const std::map<QString, QVariant>& columns = {})
    {
        QStringList names{QStringLiteral("DanWeiBianHao")}, marks{QStringLiteral("?")};
        QVariantList values{number};
        for (const auto& [column, value] : columns) {
            names << column;
            marks << QStringLiteral("?");
            values << value;
        }
        billing->execute(QStringLiteral("insert into KPKZK (%1) values (%2)").arg(names.join(u','), marks.join(u',')),
                         values);
    }

    // Each row of a table as "number|name|industry|squad|JinE|SumMonth", empty columns as "-", in the
    // table's order.
    QStringList statisticsRows(const QString& table = QStringLiteral("tjktmp"))
    {
        QStringList out;
        auto rs = billing->openRecordset(QStringLiteral("select * from %1").arg(table), {}, db::LockType::ReadOnly);
        for (; !rs->isEOF(); rs->moveNext()) {
            QStringList cells;
            for (const char* c :
                 {"DanWeiBianHao", "DanWeiQuangCheng", "HangYeLeiXing", "DanWeiFenQu", "JinE", "SumMonth"}) {
                const QVariant v = rs->value(QString::fromLatin1(c));
                cells << (v.isNull() ? QStringLiteral("-") : v.toString());
            }
            out << cells.join(u'|');
        }
        return out;
    }

    std::unique_ptr<db::Connection> dw, billing;
};

} // namespace fixtures
