#pragma once
// A program folder with enterprises, pollutants with formulas and assignments written directly into
// the shipped files, and readers of the discharge template.
#include "platform/settings/settings.h"
#include "platform/ui/dialogs.h"
#include "qelv/core/Module1.h"
#include "tests/fixtures/program_folder.h"
#include "tests/fixtures/sqlite_probe.h"

#include <QStringList>
#include <gtest/gtest.h>

class AssignmentFileTest : public fixtures::ProgramFolderTest {
protected:
    void SetUp() override
    {
        ProgramFolderTest::SetUp();
        Module1::setStartupDefaults();
    }

    QString dw() const { return folder->data(QStringLiteral("qelvdw.mdb")); }
    QString wrw() const { return folder->data(QStringLiteral("qelvwrw.mdb")); }
    QString tmpl() const { return folder->data(QStringLiteral("qelvdwwrwtmp.mdb")); }

    // An enterprise; a null name gives a Null DanWeiQuangCheng.
    void addEnterprise(const QString& number, const char* name) const
    {
        fixtures::exec(dw(),
                       name ? QStringLiteral("insert into dw (DanWeiBianHao, DanWeiQuangCheng) values ('%1', '%2')")
                                  .arg(number, QString::fromUtf8(name))
                            : QStringLiteral("insert into dw (DanWeiBianHao) values ('%1')").arg(number));
    }
    // A pollutant with its formula as "text:kind" tokens, IDs in order.
    void addPollutant(const QString& number, const QString& name, int category, const QString& kind,
                      const QString& tokens = QString()) const
    {
        fixtures::exec(
            wrw(),
            QStringLiteral("insert into wrw values ('%1','%2',%3,'%4')").arg(number, name).arg(category).arg(kind));
        int id = 1;
        for (const QString& t : tokens.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
            const qsizetype colon = t.lastIndexOf(QLatin1Char(':'));
            fixtures::exec(wrw(),
                           QStringLiteral("insert into wrwgs values (%1,'%2',%3,'%4')")
                               .arg(id++)
                               .arg(t.left(colon), t.mid(colon + 1), number));
        }
    }
    void assign(const QString& enterprise, const QString& pollutant, int outlet, const QString& name = QString()) const
    {
        fixtures::exec(dw(),
                       QStringLiteral("insert into dwwrw (DanWeiBianHao, WuRanWuBianHao, WuRanWuMingCheng, LeiXing, "
                                      "PaiWuKou, FenLei) values ('%1','%2','%3',1,%4,'废水')")
                           .arg(enterprise, pollutant, name)
                           .arg(outlet));
    }

    // The tables of a file in creation order.
    static QStringList tables(const QString& file)
    {
        return fixtures::probe(file,
                               QStringLiteral("select coalesce(group_concat(name, ','), '') from "
                                              "(select name from sqlite_master where type = 'table' order by rowid)"))
            .toString()
            .split(QLatin1Char(','), Qt::SkipEmptyParts);
    }
    // "name TYPE" of each column.
    static QStringList columnsOf(const QString& file, const QString& table)
    {
        return fixtures::probe(
                   file,
                   QStringLiteral("select group_concat(name || ' ' || type, ',') from pragma_table_info('%1')")
                       .arg(table))
            .toString()
            .split(QLatin1Char(','), Qt::SkipEmptyParts);
    }
    // The single row as "v|v|...", and the row count.
    static QString rowOf(const QString& file, const QString& table)
    {
        const QStringList cols = columnsOf(file, table);
        QStringList parts;
        for (const QString& c : cols)
            parts << QStringLiteral("quote(\"%1\")").arg(c.section(QLatin1Char(' '), 0, 0));
        return fixtures::probe(file,
                               QStringLiteral("select count(*) || ':' || %1 from \"%2\"")
                                   .arg(parts.join(QStringLiteral(" || '|' || ")), table))
            .toString();
    }

    static QString gsFlag() { return settings::get(QStringLiteral("ModifyDataGS"), QStringLiteral("absent")); }
    static QString dwwrwFlag() { return settings::get(QStringLiteral("ModifyDataDWWRW"), QStringLiteral("absent")); }
    QString assignments() const
    {
        return fixtures::probe(
                   dw(),
                   QStringLiteral("select coalesce(group_concat(r, ';'), '') from (select ID || '|' || "
                                  "DanWeiBianHao || '|' || WuRanWuBianHao || '|' || coalesce(WuRanWuMingCheng,'') "
                                  "|| '|' || coalesce(LeiXing,'') || '|' || coalesce(PaiWuKou,'') || '|' || "
                                  "coalesce(FenLei,'') as r from dwwrw order by ID)"))
            .toString();
    }
};
