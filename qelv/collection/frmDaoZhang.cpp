#include "qelv/collection/frmDaoZhang.h"

#include "platform/convert/convert.h"
#include "platform/ui/controls.h"
#include "platform/ui/dialogs.h"
#include "platform/ui/field_text.h"
#include "platform/ui/fixed_dialog.h"
#include "platform/ui/recordset_model.h"
#include "qelv/core/invoice_payment.h"

#include <QCalendarWidget>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

// The grid shows the found rows read-only; the two payment cells take typed text, which the window
// writes through the payment writer like the buttons' changes instead of into the grid's row.
class PaymentGridModel : public ui::RecordsetModel {
public:
    explicit PaymentGridModel(frmDaoZhang* window)
        : ui::RecordsetModel(window),
          window_(window)
    {
    }

    Qt::ItemFlags flags(const QModelIndex& index) const override
    {
        Qt::ItemFlags f = QAbstractTableModel::flags(index);
        if (index.isValid() && isPaymentColumn(index.column()))
            f |= Qt::ItemIsEditable;
        return f;
    }

    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override
    {
        if (!index.isValid() || role != Qt::EditRole || !isPaymentColumn(index.column()) || !recordset())
            return false;
        const QString text = value.toString();
        if (ui::fieldText(recordset()->valueAt(index.row(), fieldOf(index.column()))) == text)
            return true;
        return window_->typedIntoCell(index.row(), index.column(), text);
    }

private:
    static bool isPaymentColumn(int column) { return column == frmDaoZhang::Paid || column == frmDaoZhang::PaidOn; }
    frmDaoZhang* window_;
};

frmDaoZhang::frmDaoZhang(QWidget* owner)
    : Form(owner, ui::fixedDialogFlags)
{
    ui::setUpFixedDialog(this,
                         {.formName = formName,
                          .caption = QStringLiteral("到账登记"),
                          .clientWidth = 7800,
                          .clientHeight = 5400,
                          .modal = true,
                          .setFlags = false});

    Label1 = ui::control<QLabel>(this, "Label1", 240, 240, 1095, 255, QStringLiteral("开票年份:"));
    Text1 = ui::control<QLineEdit>(this, "Text1", 1380, 210, 1000, 285);
    Label1->setBuddy(Text1);

    Frame1 = ui::control<QGroupBox>(this, "Frame1", 120, 600, 2655, 1335, QStringLiteral("按发票编号"));
    Label2 = ui::control<QLabel>(Frame1, "Label2", 120, 420, 915, 255, QStringLiteral("发票编号:"));
    Text2 = ui::control<QLineEdit>(Frame1, "Text2", 1080, 390, 1455, 285);
    Label2->setBuddy(Text2);

    Frame2 = ui::control<QGroupBox>(this, "Frame2", 2895, 600, 3375, 1335, QStringLiteral("按单位和排污费月份"));
    Label3 = ui::control<QLabel>(Frame2, "Label3", 120, 360, 1095, 255, QStringLiteral("单位名称:"));
    Text3 = ui::control<QLineEdit>(Frame2, "Text3", 1260, 330, 1995, 285);
    Label4 = ui::control<QLabel>(Frame2, "Label4", 120, 840, 1095, 255, QStringLiteral("排污费月份:"));
    Text4 = ui::control<QLineEdit>(Frame2, "Text4", 1260, 810, 735, 285);
    Label3->setBuddy(Text3);
    Label4->setBuddy(Text4);

    Command1 = ui::control<QPushButton>(this, "Command1", 6480, 690, 1095, 375, QStringLiteral("查找"));
    Command2 = ui::control<QPushButton>(this, "Command2", 6480, 1470, 1095, 375, QStringLiteral("关闭"));
    for (QPushButton* b : {Command1, Command2})
        b->setAutoDefault(false);
    connect(Command1, &QPushButton::clicked, this, &frmDaoZhang::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &frmDaoZhang::Command2_Click);

    DataGrid1 = ui::control<ui::DataGrid>(this, "DataGrid1", 120, 2100, 7560, 3135);
    model_ = new PaymentGridModel(this);
    DataGrid1->setRecordsetModel(model_);
    found_ = std::make_unique<invoiceSearch::FoundGrid>(this, invoiceSearch::Boxes{Text1, Text2, Text3, Text4}, model_);
    connect(DataGrid1, &ui::DataGrid::buttonClick, this, &frmDaoZhang::DataGrid1_ButtonClick);

    MonthView1 = ui::control<QCalendarWidget>(this, "MonthView1", 3600, 2400, 3900, 2700);
    MonthView1->hide();
    connect(MonthView1, &QCalendarWidget::clicked, this, &frmDaoZhang::MonthView1_DateClick);

    Form_Load();
    ui::centreOnOwner(this);
}

frmDaoZhang::~frmDaoZhang() = default;

void frmDaoZhang::Form_Load()
{
    MonthView1->setSelectedDate(QDate::currentDate());
}

void frmDaoZhang::Command2_Click()
{
    close();
}

void frmDaoZhang::Command1_Click()
{
    // The paid flag and the payment date change by their cells' buttons.
    if (found_->find())
        DataGrid1->setButtonColumns({Paid, PaidOn});
}

void frmDaoZhang::DataGrid1_ButtonClick(int column)
{
    const int row = model_->currentRow();
    if (!found_->rows() || row < 0)
        return;
    if (column == Paid) {
        const QVariant current = found_->cell(row, Paid);
        bool zero = false;
        try {
            zero = !current.isNull() && convert::toDouble(current) == 0;
        } catch (const std::exception&) {
            zero = false;
        }
        writePayment(row, zero ? 1 : 0, true, {}, false);
    } else if (column == PaidOn) {
        MonthView1->show();
        MonthView1->raise();
        MonthView1->setFocus();
    }
}

void frmDaoZhang::MonthView1_DateClick(const QDate& date)
{
    const int row = model_->currentRow();
    if (!found_->rows() || row < 0)
        return;
    if (writePayment(row, 0, false, date, true))
        MonthView1->hide();
}

bool frmDaoZhang::typedIntoCell(int row, int column, const QString& text)
{
    const QString typed = text.trimmed();
    if (column == Paid) {
        if (typed != QStringLiteral("0") && typed != QStringLiteral("1")) {
            ui::inform(QStringLiteral("到账只能是 0（未到账）或 1（到账）！"), this);
            return false;
        }
        // The write reads the rows again, which a cell editor still closing must not see.
        QTimer::singleShot(0, this, [this, row, paid = typed.toInt()] { writePayment(row, paid, true, {}, false); });
        return true;
    }
    QDate date;
    if (!typed.isEmpty()) {
        if (!convert::isDate(typed)) {
            ui::inform(QStringLiteral("到账日期不是日期！格式应为YYYY-MM-DD"), this);
            return false;
        }
        date = convert::toDate(typed);
    }
    QTimer::singleShot(0, this, [this, row, date] { writePayment(row, 0, false, date, true); });
    return true;
}

bool frmDaoZhang::writePayment(int row, int paid, bool setPaid, const QDate& date, bool setDate)
{
    try {
        db::Recordset* rows = found_->rows();
        if (!rows || row < 0 || row >= rows->recordCount())
            return false;
        invoicePayment::Change change;
        if (setPaid)
            change.paid = paid;
        if (setDate)
            change.date = date;
        invoicePayment::Writer(found_->year()).record(found_->invoiceAt(row), change);
        rows->requery();
        if (row < rows->recordCount())
            rows->moveToIndex(row);
        return true;
    } catch (const invoicePayment::Stale& e) {
        ui::inform(e.description() + QStringLiteral("请重新查找。"), this);
        return false;
    } catch (const std::exception& e) {
        ui::showError(e, this);
        return false;
    }
}
