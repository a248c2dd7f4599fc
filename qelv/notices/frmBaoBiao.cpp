#include "qelv/notices/frmBaoBiao.h"

#include "platform/db/connection.h"
#include "platform/db/recordset.h"
#include "platform/ui/controls.h"
#include "platform/ui/data_grid.h"
#include "platform/ui/dialogs.h"
#include "platform/ui/twips.h"
#include "qelv/core/Module1.h"
#include "qelv/core/error_sink.h"
#include "qelv/notices/frmCXTJ.h"
#include "qelv/notices/statistics_condition.h"
#include "qelv/notices/statistics_grid.h"
#include "qelv/notices/statistics_print.h"
#include "qelv/notices/statistics_tables.h"

#include <QFont>
#include <QPushButton>

using namespace Module1;

namespace {

// The grid's fixed columns, bound by name: number and month count, the three billing columns of each
// month, the invoice numbers, amounts and capitals of the twelve months, then the register's columns
// and the year amount.
QList<ui::GridColumn> gridColumns()
{
    auto named = [](const QString& field) { return ui::GridColumn{field, field, 0}; };
    QList<ui::GridColumn> columns{{QStringLiteral("DanWeiBianHao"), QStringLiteral("单位编号"), 0},
                                  {QStringLiteral("SumMonth"), QStringLiteral("月数"), 0}};
    for (int m = 1; m <= 12; ++m)
        for (const char* suffix : {"", "B", "N"})
            columns << named(QStringLiteral("M%1%2").arg(m).arg(QLatin1String(suffix)));
    for (const char* suffix : {"P", "M", "CM"})
        for (int m = 1; m <= 12; ++m)
            columns << named(QStringLiteral("M%1%2").arg(m).arg(QLatin1String(suffix)));
    columns << ui::GridColumn{QStringLiteral("DanWeiQuangCheng"), QStringLiteral("单位名称"), 0}
            << ui::GridColumn{QStringLiteral("HangYeLeiXing"), QStringLiteral("行业类型"), 0}
            << ui::GridColumn{QStringLiteral("DanWeiFenQu"), QStringLiteral("所属中队"), 0};
    ui::GridColumn amount{QStringLiteral("JinE"), QStringLiteral("金额"), 0};
    amount.format = QStringLiteral("\"￥\"#,##0");
    columns << amount;
    return columns;
}

QPushButton* button(QWidget* parent, const char* name, const QString& caption, double top)
{
    return ui::commandButton(parent, name, 8460, top, 1635, 825, caption);
}

} // namespace

frmBaoBiao::frmBaoBiao(QWidget* owner)
    : Form(owner, Qt::Window | Qt::WindowTitleHint | Qt::WindowCloseButtonHint | Qt::WindowMinimizeButtonHint)
{
    setObjectName(QString::fromLatin1(formName));
    setWindowTitle(QStringLiteral("报表"));
    setModal(false);
    ui::clientSizeTwips(this, 10170, 6600);

    grid_ = std::make_unique<statistics::StatisticsGrid>(this, gridColumns());
    DataGrid1 = grid_->grid();
    DataGrid1->setFont(QFont(QStringLiteral("宋体")));
    ui::placeTwips(DataGrid1, 30, 30, 8385, 6465);

    Command1 = button(this, "Command1", QStringLiteral("生成统计数据库"), 90);
    Command2 = button(this, "Command2", QStringLiteral("查 询"), 1040);
    Command3 = button(this, "Command3", QStringLiteral("打印报表"), 1990);
    Command4 = button(this, "Command4", QStringLiteral("退 出"), 2940);
    Command2->setEnabled(false);
    Command3->setEnabled(false);
    connect(Command1, &QPushButton::clicked, this, &frmBaoBiao::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &frmBaoBiao::Command2_Click);
    connect(Command3, &QPushButton::clicked, this, &frmBaoBiao::Command3_Click);
    connect(Command4, &QPushButton::clicked, this, &frmBaoBiao::Command4_Click);
}

frmBaoBiao::~frmBaoBiao() = default;

db::Recordset* frmBaoBiao::gridRows() const
{
    return grid_->rows();
}

void frmBaoBiao::Command1_Click()
{
    if (statistics::BuildStatisticsTable(gWorkMonth.year(), statistics::MonthCount::Covered, messageBoxSink(this)))
        Command2->setEnabled(true);
}

void frmBaoBiao::Command2_Click()
{
    QString sql, text;
    {
        frmCXTJ dialog(this);
        dialog.exec();
        if (!dialog.ConditionAccepted)
            return;
        sql = dialog.ConditionSql;
        text = dialog.ConditionText;
    }
    // A condition the database cannot take leaves tjk, the grid and the kept condition as they were.
    const QString refusal = statistics::conditionRefusal(sql);
    if (!refusal.isEmpty()) {
        ui::inform(refusal, this);
        return;
    }
    try {
        grid_->show([&](db::Connection& conn) { return statistics::query(conn, sql); });
        conditionText_ = text;
        Command3->setEnabled(true);
    } catch (const std::exception& e) {
        ui::showError(e, this);
    }
}

void frmBaoBiao::Command3_Click()
{
    statistics::PrintReport(this, {Command1, Command2, Command3, Command4}, conditionText_);
    raise();
    activateWindow();
}

void frmBaoBiao::Command4_Click()
{
    close();
}
