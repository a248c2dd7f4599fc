#include "qelv/frame/frmDW.h"

#include "qelv/core/data_files.h"

#include "platform/ui/controls.h"
#include "platform/ui/dialogs.h"
#include "platform/ui/field_text.h"
#include "platform/ui/twips.h"

#include <QApplication>
#include <QListWidget>

namespace {

constexpr int industryColumn = 6;
constexpr int squadColumn = 7;

QListWidget* dropDown(QWidget* parent, const char* name)
{
    auto* list = ui::control<QListWidget>(parent, name, 0, 0, 1215, 1470);
    list->setStyleSheet(QStringLiteral("QListWidget { background-color: rgb(192, 192, 255); }"));
    list->setCursor(Qt::PointingHandCursor);
    list->hide();
    return list;
}

} // namespace

const DataEntryForm::Design& frmDW::design()
{
    static const Design d{
        .formName = formName,
        .title = "单位目录",
        .clientWidth = 11625,
        .clientHeight = 7170,
        .centredOnOwner = false,
        .fileName = dataFiles::enterprises,
        .query = "select * from dw Order by DanWeiBianHao",
        .fields = {},
        .sizable = true};
    return d;
}

const QList<ui::GridColumn>& frmDW::columns()
{
    static const QList<ui::GridColumn> c = {
        {QStringLiteral("DanWeiBianHao"), QStringLiteral("单位编号"), 915},
        {QStringLiteral("DanWeiQuangCheng"), QStringLiteral("单位全称"), 2445},
        {QStringLiteral("KaiHuYingHang"), QStringLiteral("开户银行"), 990},
        {QStringLiteral("ZhangHao"), QStringLiteral("账号"), 1935},
        {QStringLiteral("WeiTuoXieYiHao"), QStringLiteral("委托协议号"), 1095},
        {QStringLiteral("LowLever"), QStringLiteral("最低收费标准"), 735},
        {QStringLiteral("HangYeLeiXing"), QStringLiteral("行业类型"), 1125},
        {QStringLiteral("DanWeiFenQu"), QStringLiteral("所属区域"), 1140},
        {QStringLiteral("BeiZu"), QStringLiteral("备注"), 495},
    };
    return c;
}

frmDW::frmDW(QWidget* owner)
    : GridEntryForm(design(), columns(), owner)
{
    grdDataGrid->setButtonColumns({industryColumn, squadColumn});
    List1 = dropDown(this, "List1");
    List2 = dropDown(this, "List2");
    connect(grdDataGrid, &ui::DataGrid::buttonClick, this, &frmDW::grdDataGrid_ButtonClick);
    connect(List1, &QListWidget::itemClicked, this, &frmDW::List1_Click);
    connect(List1, &QListWidget::itemActivated, this, &frmDW::List1_Click);
    connect(List2, &QListWidget::itemClicked, this, &frmDW::List2_Click);
    connect(List2, &QListWidget::itemActivated, this, &frmDW::List2_Click);
    // A list belongs to the row whose cell button opened it: when the current row changes (a key
    // pressed in the list moves the rows too), it closes without choosing.
    connect(gridModel, &ui::RecordsetModel::currentRowChanged, this, [this] {
        List1->hide();
        List2->hide();
    });
    connect(qApp, &QApplication::focusChanged, this, [this](QWidget* old, QWidget*) {
        if (old == List1)
            List1_LostFocus();
        else if (old == List2)
            List2_LostFocus();
    });
    Form_Load();
}

frmDW::~frmDW()
{
    // The lists go with the window's children, and their focus going with them is no choice to act on.
    disconnect(qApp, nullptr, this, nullptr);
}

void frmDW::loadMore()
{
    // The lists keep the tables' own order.
    auto fill = [this](QListWidget* list, const char* sql) {
        auto rows = conn_->openRecordset(QString::fromLatin1(sql), {}, db::LockType::ReadOnly);
        if (rows->isBOF() && rows->isEOF())
            return;
        rows->moveFirst();
        while (!rows->isEOF()) {
            list->addItem(ui::fieldText(rows->value(0)));
            rows->moveNext();
        }
    };
    fill(List1, "Select * from HangYeLeiXing");
    fill(List2, "Select * from DanWeiFenQu");
}

void frmDW::adoPrimaryRS_MoveComplete()
{
}

void frmDW::grdDataGrid_ButtonClick(int colIndex)
{
    if (colIndex != industryColumn && colIndex != squadColumn)
        return;
    QListWidget* list = colIndex == industryColumn ? List1 : List2;
    trapped([&] {
        const double columnLeft = grdDataGrid->columnLeft(colIndex);
        const double columnTop = grdDataGrid->columnTop();
        const double h = grdDataGrid->rowHeightTwips();
        const int r = qMax(0, grdDataGrid->visibleRow());
        const double listHeight = ui::twips(list->height());
        double top = (h + 16) * (r + 1) + columnTop;
        // Near the bottom of the window the list opens above the row instead of below it.
        if (2 * listHeight >= ui::twips(frameGeometry().height()) - top)
            top = (h + 16) * r + columnTop - listHeight;
        ui::placeTwips(list, columnLeft, top, grdDataGrid->columnWidthTwips(colIndex), listHeight);
        list->show();
        list->raise();
        list->setFocus();
    });
}

void frmDW::choose(QListWidget* list, int column)
{
    trapped([&] {
        QListWidgetItem* item = list->currentItem();
        if (!item)
            return;
        grdDataGrid->setText(column, item->text());
        list->hide();
    });
}

void frmDW::List1_Click()
{
    choose(List1, industryColumn);
}

void frmDW::List2_Click()
{
    choose(List2, squadColumn);
}

void frmDW::List1_LostFocus()
{
    List1->hide();
}

void frmDW::List2_LostFocus()
{
    List2->hide();
}
