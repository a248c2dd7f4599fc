#include "qelv/collection/frmPLDZDJ.h"

#include "platform/convert/convert.h"
#include "platform/db/connection.h"
#include "platform/db/recordset.h"
#include "platform/files/files.h"
#include "platform/ui/controls.h"
#include "platform/ui/dialogs.h"
#include "platform/ui/field_text.h"
#include "platform/ui/fixed_dialog.h"
#include "qelv/core/Module1.h"
#include "qelv/core/data_files.h"
#include "qelv/core/invoice_payment.h"

#include <QEvent>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTreeWidget>

namespace {

const char* const dateCheckMessage = "输入到账日期个是错误！格式应为YYYY-MM-DD";

// What a list row registers, kept with the row as the listing read it.
enum Role { InvoiceDateRole = Qt::UserRole + 1 };

} // namespace

frmPLDZDJ::frmPLDZDJ(QWidget* owner)
    : Form(owner, ui::fixedDialogFlags)
{
    ui::setUpFixedDialog(this,
                         {.formName = formName,
                          .caption = QStringLiteral("发票批量到账登记"),
                          .clientWidth = 9600,
                          .clientHeight = 6600,
                          .modal = true,
                          .setFlags = false});

    Label1 = ui::control<QLabel>(this, "Label1", 240, 240, 1695, 255, QStringLiteral("排污费操作月份："));
    Text1 = ui::control<QLineEdit>(this, "Text1", 1980, 210, 735, 285);
    Label1->setBuddy(Text1);
    Command1 = ui::control<QPushButton>(this, "Command1", 3000, 165, 1575, 375, QStringLiteral("显示开票单位"));

    ListView1 = ui::control<QTreeWidget>(this, "ListView1", 120, 720, 9360, 4335);
    ListView1->setRootIsDecorated(false);
    ListView1->setHeaderLabels({QStringLiteral("单位编号"), QStringLiteral("单位名称"), QStringLiteral("发票编号"),
                                QStringLiteral("发票金额"), QStringLiteral("开票日期"), QStringLiteral("到账情况"),
                                QStringLiteral("到账日期")});
    fitColumns();

    Frame1 = ui::control<QGroupBox>(this, "Frame1", 120, 5160, 3255, 1215, QStringLiteral("选择的单位为"));
    Option1 = ui::control<QRadioButton>(Frame1, "Option1", 240, 360, 1455, 255, QStringLiteral("到账单位"));
    Option2 = ui::control<QRadioButton>(Frame1, "Option2", 240, 780, 1455, 255, QStringLiteral("未到账单位"));
    Option2->setChecked(true);

    Label2 = ui::control<QLabel>(this, "Label2", 3600, 5400, 975, 255, QStringLiteral("到账日期:"));
    Text2 = ui::control<QLineEdit>(this, "Text2", 4620, 5370, 1455, 285);
    Label2->setBuddy(Text2);
    Text2->installEventFilter(this);

    Command2 = ui::control<QPushButton>(this, "Command2", 6360, 5325, 1575, 375, QStringLiteral("记录到账数据"));
    Command3 = ui::control<QPushButton>(this, "Command3", 8040, 5325, 1095, 375, QStringLiteral("关闭"));
    for (QPushButton* b : {Command1, Command2, Command3})
        b->setAutoDefault(false);
    connect(Command1, &QPushButton::clicked, this, &frmPLDZDJ::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &frmPLDZDJ::Command2_Click);
    connect(Command3, &QPushButton::clicked, this, &frmPLDZDJ::Command3_Click);

    ui::centreOnOwner(this);
}

// Each column as wide as its caption and its widest text, so that names are read whole and the
// payment date is in view at the window's own size; the last column takes what is left over.
void frmPLDZDJ::fitColumns()
{
    for (int c = 0; c < ListView1->columnCount(); ++c)
        ListView1->resizeColumnToContents(c);
}

bool frmPLDZDJ::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == Text2 && event->type() == QEvent::FocusOut)
        Text2_LostFocus();
    return Form::eventFilter(watched, event);
}

void frmPLDZDJ::Text2_LostFocus()
{
    if (!convert::isDate(Text2->text()))
        ui::inform(QString::fromUtf8(dateCheckMessage), this);
}

void frmPLDZDJ::Command3_Click()
{
    close();
}

void frmPLDZDJ::Command1_Click()
{
    const QString typed = Text1->text();
    if (typed.isEmpty()) {
        ui::inform(QString::fromUtf8("排污费操作月份不能为空！"), this);
        return;
    }
    if (!convert::isNumeric(typed)) {
        ui::inform(QString::fromUtf8("排污费操作月份应为数字！"), this);
        return;
    }
    const double value = convert::toDouble(typed);
    if (value > 12 || value < 1) {
        ui::inform(QString::fromUtf8("排污费操作月份应在 1-12 之间！"), this);
        return;
    }
    const int month = int(convert::intFloor(value));
    try {
        const QString billingName = dataFiles::billing(Module1::gWorkMonth.year());
        if (!files::exists(files::dataFile(billingName)))
            throw invoicePayment::Error(QStringLiteral("没有%1年的开票数据：文件 %2 不存在。")
                                            .arg(Module1::gWorkMonth.year())
                                            .arg(billingName));
        db::Connection billing(db::DataFile{billingName});
        // A voided invoice keeps its billing mark but has an empty number: there is nothing to register.
        auto rs = billing.openRecordset(
            QStringLiteral("Select DanWeiBianHao,M%1P,M%1M,M%1DATE,M%1MD,M%1DDATE FROM KPKZK "
                           "where M%1 = 1 and M%1P is not null and M%1P <> '' ORDER BY DanWeiBianHao ASC")
                .arg(month),
            {}, db::LockType::ForwardOnly);
        if (rs->isEOF())
            return;
        db::Connection enterprises(db::DataFile{QString::fromLatin1(dataFiles::enterprises)});
        ListView1->clear();
        listedCount_ = 0;
        listedMonth_ = month;
        for (; !rs->isEOF(); rs->moveNext()) {
            auto* item = new QTreeWidgetItem(ListView1);
            ++listedCount_;
            const QString number = rs->value(0).toString();
            item->setText(Enterprise, number);
            item->setCheckState(Enterprise, Qt::Unchecked);
            // An enterprise missing from the register is listed without a name.
            item->setText(Name,
                          ui::fieldText(enterprises.scalar(
                              QStringLiteral("Select DanWeiQuangCheng from dw where DanWeiBianHao = ?"), {number})));
            for (int c = 1; c <= 5; ++c)
                item->setText(Number + c - 1, ui::fieldText(rs->value(c)));
            item->setData(InvoiceDate, InvoiceDateRole, rs->value(3).toDate());
        }
        fitColumns();
    } catch (const std::exception& e) {
        ui::showError(e, this);
    }
}

void frmPLDZDJ::Command2_Click()
{
    if (Text2->text().isEmpty()) {
        ui::inform(QString::fromUtf8("到账日期错误！"), this);
        return;
    }
    // The date is read strictly before anything is written: 2003-5-9 is stored as 2003-05-09, and a
    // text that is no date writes nothing.
    if (!convert::isDate(Text2->text())) {
        ui::inform(QString::fromUtf8(dateCheckMessage), this);
        return;
    }
    const QDate date = convert::toDate(Text2->text());
    if (listedCount_ == 0)
        return;
    int kept = 0;
    try {
        invoicePayment::Writer writer(Module1::gWorkMonth.year());
        for (int i = 0; i < listedCount_ && i < ListView1->topLevelItemCount(); ++i) {
            QTreeWidgetItem* item = ListView1->topLevelItem(i);
            const bool ticked = item->checkState(Enterprise) == Qt::Checked;
            if (Option1->isChecked() != ticked)
                continue;
            invoicePayment::Invoice invoice;
            invoice.enterprise = item->text(Enterprise);
            invoice.month = listedMonth_;
            invoice.number = item->text(Number);
            invoice.invoiceDate = item->data(InvoiceDate, InvoiceDateRole).toDate();
            // An invoice paid already keeps its date: it decides the paid-late fee. 到账 corrects it.
            const invoicePayment::Recorded recorded =
                writer.record(invoice, {.paid = 1, .date = date, .onlyUnpaid = true});
            if (recorded.written) {
                item->setText(Paid, QStringLiteral("1"));
                item->setText(PaidOn, convert::formatIsoDate(date));
            } else {
                ++kept;
                item->setText(Paid, ui::fieldText(recorded.paid));
                item->setText(PaidOn, ui::fieldText(recorded.paidOn));
            }
        }
    } catch (const invoicePayment::Stale& e) {
        fitColumns();
        ui::inform(e.description() + QStringLiteral("请重新列出（显示开票单位）后再登记。"), this);
        return;
    } catch (const std::exception& e) {
        fitColumns();
        ui::showError(e, this);
        return;
    }
    fitColumns();
    if (kept > 0)
        ui::inform(QStringLiteral("%1 张发票已经到账，保留原来的到账日期，这次没有登记。要更正到账日期，请用“到账”。")
                       .arg(kept),
                   this);
}
