#include "bench/synthetic_county.h"

#include "platform/db/connection.h"
#include "qelv/assessment/formula.h"
#include "qelv/core/data_files.h"

namespace bench {

namespace {
QString enterpriseNumber(int i)
{
    return QStringLiteral("%1").arg(i, 5, 10, QLatin1Char('0'));
}
QString pollutantNumber(int i)
{
    return QStringLiteral("W%1").arg(i, 2, 10, QLatin1Char('0'));
}
} // namespace

void makeCounty(const County& county)
{
    {
        db::Connection wrw(db::DataFile{QString::fromLatin1(dataFiles::pollutants)});
        wrw.beginTransaction();
        wrw.execute(QStringLiteral("delete from wrw"));
        wrw.execute(QStringLiteral("delete from wrwgs"));
        for (int p = 1; p <= county.pollutants; ++p) {
            const QString number = pollutantNumber(p);
            wrw.execute(QStringLiteral("insert into wrw values (?, ?, ?, ?)"),
                        {number, QStringLiteral("污染物%1").arg(p), 1 + p % 10, QStringLiteral("废水")});
            int id = 1;
            for (int v = 1; v <= county.variablesPerFormula; ++v) {
                wrw.execute(QStringLiteral("insert into wrwgs values (?, ?, ?, ?)"),
                            {id++, QStringLiteral("变量%1").arg(v), TokenKind::Variable, number});
                wrw.execute(QStringLiteral("insert into wrwgs values (?, ?, ?, ?)"),
                            {id++, QStringLiteral("*"), TokenKind::Times, number});
            }
            wrw.execute(QStringLiteral("insert into wrwgs values (?, ?, ?, ?)"),
                        {id++, QStringLiteral("0.7"), TokenKind::Constant, number});
        }
        wrw.commit();
    }
    db::Connection dw(db::DataFile{QString::fromLatin1(dataFiles::enterprises)});
    dw.beginTransaction();
    dw.execute(QStringLiteral("delete from dwwrw"));
    dw.execute(QStringLiteral("delete from dw"));
    int next = 0;
    for (int e = 1; e <= county.enterprises; ++e) {
        const QString number = enterpriseNumber(e);
        dw.execute(QStringLiteral("insert into dw (DanWeiBianHao, DanWeiQuangCheng) values (?, ?)"),
                   {number, QStringLiteral("企业%1").arg(e)});
        for (int a = 0; a < county.assignmentsPerEnterprise; ++a, ++next) {
            const int p = 1 + next % county.pollutants;
            const int outlet = 1 + a % county.outlets;
            dw.execute(QStringLiteral("insert into dwwrw (DanWeiBianHao, WuRanWuBianHao, WuRanWuMingCheng, LeiXing, "
                                      "PaiWuKou, FenLei) values (?, ?, ?, ?, ?, ?)"),
                       {number, pollutantNumber(p), QStringLiteral("污染物%1").arg(p), 1 + p % 10, outlet,
                        QStringLiteral("废水")});
        }
    }
    dw.commit();
}

} // namespace bench
