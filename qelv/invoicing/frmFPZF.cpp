#include "qelv/invoicing/frmFPZF.h"

#include "platform/convert/convert.h"
#include "platform/ui/controls.h"
#include "platform/ui/data_grid.h"
#include "platform/ui/dialogs.h"
#include "platform/ui/fixed_dialog.h"
#include "platform/ui/recordset_model.h"
#include "qelv/core/invoice_payment.h"

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

frmFPZF::frmFPZF(QWidget* owner)
    : Form(owner, ui::fixedDialogFlags)
{
    ui::setUpFixedDialog(this,
                         {.formName = formName,
                          .caption = QStringLiteral("作废发票"),
                          .clientWidth = 7800,
                          .clientHeight = 5700,
                          .modal = true,
                          .setFlags = false});

    Label3 = ui::control<QLabel>(this, "Label3", 240, 240, 1095, 255, QStringLiteral("开票年份:"));
    Text1 = ui::control<QLineEdit>(this, "Text1", 1380, 210, 1000, 285);
    Label3->setBuddy(Text1);

    Frame1 = ui::control<QGroupBox>(this, "Frame1", 120, 600, 3375, 855, QStringLiteral("按发票编号"));
    Label1 = ui::control<QLabel>(Frame1, "Label1", 120, 420, 915, 255, QStringLiteral("发票编号:"));
    Text2 = ui::control<QLineEdit>(Frame1, "Text2", 1080, 390, 2115, 285);
    Label1->setBuddy(Text2);

    Frame2 = ui::control<QGroupBox>(this, "Frame2", 120, 1560, 7560, 4020);
    Frame3 = ui::control<QGroupBox>(Frame2, "Frame3", 120, 120, 5775, 855, QStringLiteral("排污单位和排污费月份"));
    Label2 = ui::control<QLabel>(Frame3, "Label2", 120, 420, 915, 255, QStringLiteral("单位名称:"));
    Text3 = ui::control<QLineEdit>(Frame3, "Text3", 1080, 390, 2400, 285);
    Label4 = ui::control<QLabel>(Frame3, "Label4", 3600, 420, 1095, 255, QStringLiteral("排污费月份:"));
    Text4 = ui::control<QLineEdit>(Frame3, "Text4", 4740, 390, 855, 285);
    Label2->setBuddy(Text3);
    Label4->setBuddy(Text4);
    DataGrid1 = ui::control<ui::DataGrid>(Frame2, "DataGrid1", 120, 1080, 7320, 2820);
    model_ = new ui::RecordsetModel(this);
    // Read-only: the grid shows the invoice, and voiding writes through the payment writer.
    found_ = std::make_unique<invoiceSearch::FoundGrid>(this, invoiceSearch::Boxes{Text1, Text2, Text3, Text4}, model_);
    DataGrid1->setRecordsetModel(model_);

    Command1 = ui::control<QPushButton>(this, "Command1", 3720, 690, 1095, 375, QStringLiteral("查找"));
    Command3 = ui::control<QPushButton>(this, "Command3", 5100, 690, 1095, 375, QStringLiteral("作废"));
    Command2 = ui::control<QPushButton>(this, "Command2", 6480, 690, 1095, 375, QStringLiteral("放弃"));
    for (QPushButton* b : {Command1, Command3, Command2})
        b->setAutoDefault(false);
    connect(Command1, &QPushButton::clicked, this, &frmFPZF::Command1_Click);
    connect(Command3, &QPushButton::clicked, this, &frmFPZF::Command3_Click);
    connect(Command2, &QPushButton::clicked, this, &frmFPZF::Command2_Click);
    ui::centreOnOwner(this);
}

frmFPZF::~frmFPZF() = default;

void frmFPZF::Command2_Click()
{
    close();
}

void frmFPZF::Command1_Click()
{
    found_->find();
}

void frmFPZF::Command3_Click()
{
    try {
        const int row = model_->currentRow();
        if (!found_->rows() || row < 0 || row >= found_->rows()->recordCount()) {
            ui::inform(QStringLiteral("没有要作废的发票：请先查找发票。"), this);
            return;
        }
        const invoicePayment::Invoice invoice = found_->invoiceAt(row);
        if (invoice.number.trimmed().isEmpty()) {
            ui::inform(QStringLiteral("单位 %1 这个月没有发票编号，没有可作废的发票。").arg(invoice.enterprise), this);
            return;
        }
        QString question;
        const QVariant paid = found_->cell(row, Paid);
        if (!paid.isNull() && convert::toDouble(paid) != 0) {
            const QDate paidOn = found_->cell(row, PaidOn).toDate();
            question = paidOn.isValid()
                ? QStringLiteral("这张发票已经到账（到账日期 %1）。\n").arg(convert::formatIsoDate(paidOn))
                : QStringLiteral("这张发票已经到账。\n");
        }
        question += QStringLiteral("真的要作废编号为 ") + invoice.number + QStringLiteral(" 的发票吗？");
        if (ui::msgBox(question, ui::Buttons::YesNo, ui::Icon::None, QString::fromUtf8(ui::appTitle), this) !=
            ui::Answer::Yes)
            return;
        invoicePayment::Writer(found_->year()).voidInvoice(invoice);
    } catch (const invoicePayment::Stale& e) {
        ui::inform(e.description() + QStringLiteral("请重新查找。"), this);
        return;
    } catch (const std::exception& e) {
        ui::showError(e, this);
        return;
    }
    ui::inform(QStringLiteral("发票已经作废！"), this);
    close();
}
