#include "qelv/frame/frmZNJ.h"

#include "platform/convert/convert.h"
#include "platform/error/error.h"
#include "platform/ui/controls.h"
#include "platform/ui/dialogs.h"
#include "platform/ui/fixed_dialog.h"
#include "platform/ui/twips.h"
#include "qelv/core/Module1.h"
#include "qelv/core/data_files.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

using namespace Module1;

namespace {

// The readers of the row (this window's closing, every start) need both numbers, and a negative
// count of days or rate makes no late fee. Throws the refusal's text.
void refuseUnusable(const db::Recordset& r)
{
    const QVariant days = r.value(QStringLiteral("QiShiTianShu"));
    if (days.isNull())
        throw platform::Error(QStringLiteral("开始计算滞纳金的天数不能为空。设置没有保存。"));
    if (convert::toDouble(days) < 0)
        throw platform::Error(QStringLiteral("开始计算滞纳金的天数不能是负数。设置没有保存。"));
    const QVariant rate = r.value(QStringLiteral("BiLi"));
    if (rate.isNull())
        throw platform::Error(QStringLiteral("征收比例不能为空。设置没有保存。"));
    if (convert::toDouble(rate) < 0)
        throw platform::Error(QStringLiteral("征收比例不能是负数。设置没有保存。"));
}

} // namespace

frmZNJ::frmZNJ(QWidget* owner)
    : Form(owner, ui::fixedDialogFlags)
{
    ui::setUpFixedDialog(this,
                         {.formName = formName,
                          .caption = QStringLiteral("设置"),
                          .clientWidth = 3855,
                          .clientHeight = 2775,
                          .modal = true,
                          .setFlags = false});

    Frame1 = ui::control<QGroupBox>(this, "Frame1", 120, 60, 3615, 1995, QStringLiteral("滞纳金"));
    Check1 = ui::control<QCheckBox>(Frame1, "Check1", 240, 360, 3135, 300, QStringLiteral("是否启用滞纳金系统"));
    Label1 = ui::control<QLabel>(Frame1, "Label1", 240, 900, 2175, 255, QStringLiteral("开始计算滞纳金的天数："));
    Text1 = ui::control<QLineEdit>(Frame1, "Text1", 2430, 870, 1000, 285);
    Label2 = ui::control<QLabel>(Frame1, "Label2", 240, 1440, 2175, 255, QStringLiteral("征收比例（/天）："));
    Text2 = ui::control<QLineEdit>(Frame1, "Text2", 2430, 1410, 1000, 285);
    Label1->setBuddy(Text1);
    Label2->setBuddy(Text2);

    Command1 = new QPushButton(QStringLiteral("关 闭(&C)"), this);
    Command1->setObjectName(QStringLiteral("Command1"));
    Command1->setAutoDefault(false);
    ui::placeTwips(Command1, 1320, 2220, 1215, 375);
    connect(Command1, &QPushButton::clicked, this, &frmZNJ::Command1_Click);

    binding_.bind(Check1, QStringLiteral("ZhiNaJinXiTong"));
    binding_.bind(Text1, QStringLiteral("QiShiTianShu"));
    binding_.bind(
        Text2, QStringLiteral("BiLi"), [](const QVariant& v) { return convert::formatPercent(convert::toDouble(v)); },
        [](const QString& text) {
            return text.trimmed().isEmpty() ? QVariant() : QVariant(convert::parsePercent(text));
        });

    Form_Load();
    ui::centreOnOwner(this);
}

frmZNJ::~frmZNJ()
{
    binding_.setRecordset(nullptr);
}

void frmZNJ::Form_Load()
{
    try {
        conn_ = std::make_unique<db::Connection>(db::DataFile{QString::fromLatin1(dataFiles::setUp)});
        rs_ = conn_->openRecordset(QStringLiteral("select * from znj"), {}, db::LockType::Optimistic);
        binding_.setRecordset(rs_.get());
    } catch (const std::exception& e) {
        // The controls stay unbound; closing then reports that there is nothing to save.
        rs_.reset();
        conn_.reset();
        ui::showError(e, this);
    }
}

void frmZNJ::Command1_Click()
{
    close();
}

void frmZNJ::Form_Unload()
{
    try {
        if (!rs_)
            throw db::Error(QString::fromUtf8(db::messages::closed));
        db::Recordset& r = *rs_;
        try {
            binding_.commit();
            refuseUnusable(r);
        } catch (...) {
            // A refused value is never written, and neither are the others typed with it.
            try {
                r.cancelUpdate();
            } catch (const std::exception&) {
                platform::warnDropped("late-fee settings: cancelling the refused edit");
            }
            throw;
        }
        // Leaving the row writes what the controls hold; coming back reads it as saved.
        r.moveNext();
        r.moveFirst();
        gLateFeeOn = convert::toDouble(r.value(QStringLiteral("ZhiNaJinXiTong"))) != 0;
        gLateFeeStartDays = convert::toInt16(convert::toDouble(r.value(QStringLiteral("QiShiTianShu"))));
        gLateFeeRate = static_cast<float>(convert::toDouble(r.value(QStringLiteral("BiLi"))));
    } catch (const std::exception& e) {
        ui::showError(e, this);
    }
}

void frmZNJ::keyPressEvent(QKeyEvent* event)
{
    // The window has no cancel button: Esc does not close it.
    if (event->key() == Qt::Key_Escape) {
        event->ignore();
        return;
    }
    QDialog::keyPressEvent(event);
}
