#include "qelv/assessment/fee_list.h"

#include "platform/convert/convert.h"
#include "platform/db/connection.h"
#include "platform/db/recordset.h"
#include "platform/files/files.h"
#include "platform/report/report_data.h"
#include "qelv/assessment/discharge_tables.h"
#include "qelv/assessment/frmDataForm.h"
#include "qelv/core/Module1.h"
#include "qelv/core/data_env.h"
#include "qelv/core/data_files.h"
#include "qelv/core/discharge_figures.h"
#include "qelv/core/error_sink.h"
#include "qelv/core/lookup_indexes.h"

namespace feeList {

namespace {

const QString kCharge = QStringLiteral("收费金额");
const QString kRaised = QStringLiteral("提高收费");
const QString kDoubled = QStringLiteral("加倍收费");

bool empty(const db::Recordset& rows)
{
    return rows.recordCount() == 0 || rows.isEOF();
}

convert::Currency money(const QVariant& v)
{
    if (v.userType() == qMetaTypeId<convert::Currency>())
        return v.value<convert::Currency>();
    return convert::Currency::fromDouble(convert::toDouble(v));
}

// The three fees added; Null when any of them is.
QVariant total(const QVariant& raised, const QVariant& doubled, const QVariant& charge)
{
    if (raised.isNull() || doubled.isNull() || charge.isNull())
        return QVariant();
    return QVariant::fromValue(money(raised) + money(doubled) + money(charge));
}

QString figuresOf(const db::Recordset& row)
{
    QVariantList values;
    for (int i = 0; i < row.fieldCount(); ++i)
        values << row.value(i);
    return dischargeFigures::text(row.fieldNames(), values);
}

} // namespace

void copyPrintFile(const QDate& month)
{
    files::copy(files::dataFile(QString::fromLatin1(dataFiles::feeListTemplate)),
                files::dataFile(dataFiles::monthFeeList(month)));
}

QString period(const QDate& month, const QVariant& remark)
{
    if (!remark.isNull() && !remark.toString().isEmpty())
        return remark.toString();
    return QString::number(month.month()) + QStringLiteral("月");
}

QString withPeriod(const QString& dischargeText, const QString& period)
{
    return dischargeText.left(qMax<qsizetype>(0, dischargeText.size() - 1)) + QStringLiteral(" (") + period +
        QLatin1Char(')');
}

Built BuildPrintData(const QDate& month)
{
    db::Connection billing(db::DataFile{dataFiles::billing(month.year())});
    db::Connection enterprises(db::DataFile{QString::fromLatin1(dataFiles::enterprises)});
    db::Connection data(db::DataFile{dataFiles::monthData(month)});
    db::Connection print(db::DataFile{dataFiles::monthFeeList(month)});
    for (db::Connection* c : {&billing, &enterprises, &print})
        lookupIndexes::ensure(*c);

    const QString m = QString::number(month.month());
    const QString flag = db::quoteIdentifier(QLatin1Char('M') + m);
    const QString remark = db::quoteIdentifier(QLatin1Char('M') + m + QLatin1Char('B'));
    auto billed = billing.openRecordset(
        QStringLiteral("Select DanWeiBianHao,%1,%2 from kpkzk where %1=1 order by DanWeiBianHao ASC").arg(flag, remark),
        {}, db::LockType::ReadOnly);

    Built built;
    print.beginTransaction();
    try {
        for (; !empty(*billed); billed->moveNext()) {
            const QVariant number = billed->value(0);
            auto registered = enterprises.openRecordset(
                QStringLiteral("Select DanWeiBianHao,DanWeiQuangCheng from dw where DanWeiBianHao=?"), {number},
                db::LockType::ReadOnly);
            if (empty(*registered) || registered->value(0).isNull())
                continue;
            print.execute(QStringLiteral("Insert Into dw (DanWeiBianHao,DanWeiMingCheng) Values (?,?)"),
                          {number, registered->value(1)});
            ++built.enterprises;

            auto assignments = enterprises.openRecordset(
                QStringLiteral("Select ID,DanWeiBianHao,WuRanWuBianHao,WuRanWuMingCheng,LeiXing,PaiWuKou from dwwrw "
                               "where DanweiBianHao=? Order By ID ASC"),
                {number}, db::LockType::ReadOnly);
            if (empty(*assignments) || assignments->value(0).isNull())
                continue;
            const QString linePeriod = period(month, billed->value(2));
            for (; !empty(*assignments); assignments->moveNext()) {
                const discharge::Assignment a{assignments->value(1).toString(), assignments->value(2).toString(),
                                              assignments->value(5).toString()};
                auto figures = data.openRecordset(
                    QStringLiteral("Select * from %1").arg(db::quoteIdentifier(discharge::tableName(a))), {},
                    db::LockType::ReadOnly);
                if (empty(*figures) || figures->value(0).isNull())
                    continue;
                const QVariant charge = figures->value(kCharge), raised = figures->value(kRaised),
                               doubled = figures->value(kDoubled);
                print.execute(QStringLiteral("Insert Into ShuJu (DanWeiBianHao,WuRanWuBianHao,WuRanWuMingCheng,"
                                             "PaiWuKou,LeiXing,PaiWuShuJu,JinE,TiGaoJinE,JiaBeiJinE,HeJi) "
                                             "Values (?,?,?,?,?,?,?,?,?,?)"),
                              {number, assignments->value(2), assignments->value(3), assignments->value(5),
                               assignments->value(4), withPeriod(figuresOf(*figures), linePeriod), charge, raised,
                               doubled, total(raised, doubled, charge)});
                ++built.lines;
            }
        }
        print.commit();
    } catch (...) {
        if (print.inTransaction())
            print.rollback();
        throw;
    }
    return built;
}

report::Document render(const QDate& month)
{
    DataEnv::Loaded env;
    const std::unique_ptr<report::RowSource> rows = env->command(QStringLiteral("Command4"));
    frmDataForm form;
    report::Control& heading = form.control(QStringLiteral("PageHeader"), QStringLiteral("Label1"));
    heading.caption = convert::formatYearMonthCn(month) + heading.caption;
    return form.render(*rows);
}

printRun::Outcome printFeeList(QWidget* owner, const QList<QWidget*>& commands)
{
    const QDate month = Module1::gWorkMonth;
    printRun::Request request;
    // A sheet 297 mm wide and 210 mm long, upright, as a form of its own.
    request.paper = {1, QStringLiteral("UserDefineA4"), 2100, 2970, 256};
    // The list is built before the printer is touched: a list that cannot be built prints nothing.
    request.check = [month] {
        copyPrintFile(month);
        BuildPrintData(month);
    };
    request.render = [month] { return render(month); };
    request.showPrintDialog = true;
    request.window = owner;
    request.commands = commands;
    request.errors = messageBoxSink(owner);
    return printRun::run(request);
}

} // namespace feeList
