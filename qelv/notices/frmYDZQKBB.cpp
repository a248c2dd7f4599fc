#include "qelv/notices/frmYDZQKBB.h"

#include "platform/db/connection.h"
#include "platform/db/recordset.h"
#include "platform/ui/controls.h"
#include "platform/ui/data_grid.h"
#include "platform/ui/dialogs.h"
#include "platform/ui/twips.h"
#include "qelv/core/Module1.h"
#include "qelv/core/error_sink.h"
#include "qelv/notices/payment_report.h"
#include "qelv/notices/statistics_grid.h"
#include "qelv/notices/statistics_tables.h"

#include <QFontMetrics>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <algorithm>
#include <cmath>

using namespace Module1;

namespace {

QPushButton* pictureButton(QWidget* parent, const char* name, const QString& caption, double left, double top,
                           QStyle::StandardPixmap picture)
{
    return ui::commandButton(parent, name, left, top, 1335, 795, caption, picture);
}

// The result's columns under their captions, each 1000 wide but the name.
QList<ui::GridColumn> resultColumns()
{
    QList<ui::GridColumn> columns;
    for (const char* caption : {"单位编号", "单位名称", "发票编号", "发票金额", "开票日期", "到账日期", "所属中队"}) {
        const QString c = QString::fromUtf8(caption);
        columns << ui::GridColumn{c, c, c == QStringLiteral("单位名称") ? 2500 : 1000};
    }
    return columns;
}

// At 1000 twips the grid shows a date elided ("2003-04…"); the two dates are widened to show a
// date whole, written in the font's widest digit.
void widenDateColumns(ui::DataGrid& grid, QList<ui::GridColumn>& columns)
{
    const QFontMetrics metrics(grid.font());
    QChar widest = u'0';
    for (char16_t d = u'1'; d <= u'9'; ++d)
        if (metrics.horizontalAdvance(QChar(d)) > metrics.horizontalAdvance(widest))
            widest = QChar(d);
    const QString date = QString(4, widest) + u'-' + QString(2, widest) + u'-' + QString(2, widest);
    const int width = static_cast<int>(std::ceil(grid.textWidthTwips(date)));
    for (ui::GridColumn& column : columns)
        if (column.caption.endsWith(QStringLiteral("日期")))
            column.widthTwips = std::max(column.widthTwips, width);
}

} // namespace

frmYDZQKBB::frmYDZQKBB(QWidget* owner)
    : Form(owner, Qt::Window | Qt::WindowTitleHint | Qt::WindowCloseButtonHint | Qt::WindowMinMaxButtonsHint)
{
    setObjectName(QString::fromLatin1(formName));
    setWindowTitle(QStringLiteral("月到账情况报表"));
    setModal(false);
    ui::clientSizeTwips(this, 9405, 6315);

    Label1 = ui::control<QLabel>(this, "Label1", 30, 60, 1215, 195, QStringLiteral("排污费月份："));
    Text1 = ui::control<QLineEdit>(this, "Text1", 1260, 30, 2265, 270);
    Command1 = pictureButton(this, "Command1", QStringLiteral("查询"), 3660, 30, QStyle::SP_FileDialogContentsView);
    Command2 = pictureButton(this, "Command2", QStringLiteral("退出"), 8010, 45, QStyle::SP_DialogCloseButton);
    Frame1 = ui::control<QGroupBox>(this, "Frame1", 30, 330, 3495, 495);
    Option1 = ui::control<QRadioButton>(Frame1, "Option1", 120, 150, 1485, 255, QStringLiteral("显示到账情况"));
    Option2 = ui::control<QRadioButton>(Frame1, "Option2", 1710, 150, 1635, 255, QStringLiteral("显示未到账情况"));
    Option1->setChecked(true);

    QList<ui::GridColumn> columns = resultColumns();
    grid_ = std::make_unique<statistics::StatisticsGrid>(this, columns);
    DataGrid1 = grid_->grid();
    widenDateColumns(*DataGrid1, columns);
    DataGrid1->recordsetModel()->setColumns(columns);
    ui::placeTwips(DataGrid1, 30, 930, 9345, 5325);

    connect(Command1, &QPushButton::clicked, this, &frmYDZQKBB::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &frmYDZQKBB::Command2_Click);

    ui::centreOnOwner(this);
    Form_Load();
}

frmYDZQKBB::~frmYDZQKBB() = default;

db::Recordset* frmYDZQKBB::gridRows() const
{
    return grid_->rows();
}

void frmYDZQKBB::Form_Load()
{
    RebuildStatisticsTable();
}

void frmYDZQKBB::RebuildStatisticsTable()
{
    // A build that fails is said; the window opens all the same and reads what tjktmp holds.
    statistics::BuildStatisticsTable(gWorkMonth.year(), statistics::MonthCount::Billed, messageBoxSink(this));
}

void frmYDZQKBB::Command1_Click()
{
    const paymentReport::Month month = paymentReport::checkMonth(Text1->text());
    if (!month.refusal.isEmpty()) {
        ui::inform(month.refusal, this);
        return;
    }
    try {
        const QString sql = paymentReport::querySql(month.month, Option1->isChecked());
        grid_->show([&](db::Connection& conn) { return conn.openRecordset(sql, {}, db::LockType::ReadOnly); });
    } catch (const std::exception& e) {
        ui::showError(e, this);
    }
}

void frmYDZQKBB::Command2_Click()
{
    close();
}
