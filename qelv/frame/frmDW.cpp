#include "qelv/frame/frmDW.h"

#include "qelv/core/data_files.h"

#include "platform/error/error.h"
#include "platform/ui/controls.h"
#include "platform/ui/dialogs.h"
#include "platform/ui/field_text.h"
#include "platform/ui/twips.h"

#include <QApplication>
#include <QListWidget>
#include <functional>

namespace {

constexpr int numberColumn = 0;
constexpr int industryColumn = 6;
constexpr int squadColumn = 7;

// The register's grid: an edit of an enterprise's number is checked before it goes into the row, and
// a number of blanks only goes in as no number at all, which the table refuses when the row is written.
class RegisterModel : public ui::RecordsetModel {
public:
    std::function<void(db::Recordset&)> checkNumberChange;

    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override
    {
        db::Recordset* rs = recordset();
        const int field = fieldOf(index.column());
        if (!rs || !index.isValid() || role != Qt::EditRole || index.column() != numberColumn || field < 0)
            return RecordsetModel::setData(index, value, role);
        const QString text = value.toString();
        try {
            if (ui::fieldText(rs->valueAt(index.row(), field)) == text)
                return true;
            if (rs->currentIndex() != index.row())
                rs->moveToIndex(index.row());
            if (checkNumberChange)
                checkNumberChange(*rs);
            if (!text.trimmed().isEmpty())
                return RecordsetModel::setData(index, value, role);
            rs->setValue(field, QVariant());
            emit dataChanged(index, index);
            return true;
        } catch (const std::exception& e) {
            reportError(e);
            return false;
        }
    }
};

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
    static const Design d{.formName = formName,
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
    : GridEntryForm(design(), columns(), owner, new RegisterModel)
{
    static_cast<RegisterModel*>(gridModel)->checkNumberChange = [this](db::Recordset& r) { checkNumberChange(r); };
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
    if (db::Recordset* r = recordset()) {
        // A number typed into a row is pending until the row is written, its edit dropped, or the
        // rows read again; every move leaves the row written or dropped.
        auto forget = [this] { numberBeforeEdit_ = {}; };
        connect(r, &db::Recordset::moveComplete, this, forget);
        connect(r, &db::Recordset::rowsReset, this, forget);
        connect(r, &db::Recordset::rowChanged, this, [this, r, forget](int) {
            if (r->editMode() == db::EditMode::None)
                forget();
        });
    }
}

frmDW::~frmDW()
{
    // The lists go with the window's children, and their focus going with them is no choice to act on.
    disconnect(qApp, nullptr, this, nullptr);
    // The base classes let go of the grid's model and of the recordset after this destructor: what
    // these tell then must not reach the handlers above, whose window and members are gone.
    disconnect(gridModel, nullptr, this, nullptr);
    if (db::Recordset* r = recordset())
        disconnect(r, nullptr, this, nullptr);
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

void frmDW::adoPrimaryRS_MoveComplete() { }

bool frmDW::hasPollutants(const QString& number) const
{
    // A register file without the pollutants table has no enterprise with pollutants.
    if (!conn_->tableExists(QStringLiteral("dwwrw")))
        return false;
    return conn_->scalar(QStringLiteral("select count(*) from dwwrw where DanWeiBianHao = ?"), {number}).toInt() > 0;
}

QString frmDW::storedNumber(db::Recordset& r) const
{
    if (numberBeforeEdit_.row != 0 && numberBeforeEdit_.row == r.bookmark())
        return numberBeforeEdit_.number;
    return ui::fieldText(r.value(QStringLiteral("DanWeiBianHao")));
}

void frmDW::checkNumberChange(db::Recordset& r)
{
    // A row not yet written has no number in the file that anything could refer to.
    if (r.editMode() == db::EditMode::Add)
        return;
    const QString number = storedNumber(r);
    if (hasPollutants(number))
        throw platform::Error(
            QStringLiteral("单位“%1”已有单位污染物，不能在单位目录中修改编号，请用“修改单位编号”。").arg(number));
    numberBeforeEdit_ = {r.bookmark(), number};
}

void frmDW::deleteCurrentRow(db::Recordset& r)
{
    // A row not yet written has nothing in the file that could refer to it.
    if (r.absolutePosition() > 0 && r.editMode() != db::EditMode::Add) {
        const QString number = storedNumber(r);
        if (hasPollutants(number))
            throw platform::Error(
                QStringLiteral("单位“%1”已有单位污染物，不能在单位目录中删除。要删除它的数据，请用“修改单位编号”。")
                    .arg(number));
    }
    r.deleteCurrent();
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
