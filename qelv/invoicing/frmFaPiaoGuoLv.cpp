#include "qelv/invoicing/frmFaPiaoGuoLv.h"

#include "platform/ui/controls.h"
#include "platform/ui/dialogs.h"
#include "platform/ui/fixed_dialog.h"
#include "platform/ui/twips.h"
#include "qelv/core/Module1.h"

#include <QComboBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>

namespace {

QComboBox* editableCombo(QWidget* parent, const QString& name, double left, double top, double width)
{
    auto* c = ui::control<QComboBox>(parent, "", left, top, width, 300);
    c->setObjectName(name);
    c->setEditable(true);
    // Enter in the box keeps what was typed as typed; it never becomes an item of the list.
    c->setInsertPolicy(QComboBox::NoInsert);
    return c;
}

QPushButton* button(QWidget* parent, const char* name, const QString& caption, double left, double top)
{
    auto* b = ui::control<QPushButton>(parent, name, left, top, 1215, 375, caption);
    b->setAutoDefault(false);
    return b;
}

} // namespace

frmFaPiaoGuoLv::frmFaPiaoGuoLv(QWidget* owner)
    : QDialog(owner, ui::fixedDialogFlags)
{
    ui::setUpFixedDialog(this,
                         {.formName = formName,
                          .caption = QStringLiteral("过滤条件"),
                          .clientWidth = 6000,
                          .clientHeight = 2520,
                          .modal = true,
                          .setFlags = false});

    Frame1 = ui::control<QGroupBox>(this, "Frame1", 120, 60, 5760, 1695);
    for (int i = 0; i < 2; ++i) {
        const double top = 420 + i * 660;
        Combo1[i] = editableCombo(Frame1, QStringLiteral("Combo1%1").arg(i), 1200, top, 1335);
        Combo2[i] = editableCombo(Frame1, QStringLiteral("Combo2%1").arg(i), 2640, top, 1095);
        Text1[i] = ui::control<QLineEdit>(Frame1, "", 3840, top, 1755, 300);
        Text1[i]->setObjectName(QStringLiteral("Text1%1").arg(i));
    }
    Combo3 = editableCombo(Frame1, QStringLiteral("Combo3"), 120, 420 + 660, 975);

    OKButton = button(this, "OKButton", QStringLiteral("过滤"), 600, 1950);
    Command1 = button(this, "Command1", QStringLiteral("取消过滤"), 2400, 1950);
    CancelButton = button(this, "CancelButton", QStringLiteral("取消"), 4200, 1950);
    connect(OKButton, &QPushButton::clicked, this, &frmFaPiaoGuoLv::OKButton_Click);
    connect(CancelButton, &QPushButton::clicked, this, &frmFaPiaoGuoLv::CancelButton_Click);
    connect(Command1, &QPushButton::clicked, this, &frmFaPiaoGuoLv::Command1_Click);

    QWidget* order[] = {Combo1[0], Combo2[0], Text1[0], Combo1[1],    Combo2[1],
                        Text1[1],  Combo3,    OKButton, CancelButton, Command1};
    for (std::size_t i = 1; i < std::size(order); ++i)
        setTabOrder(order[i - 1], order[i]);

    Form_Load();
    ui::centreOnOwner(this);
}

void frmFaPiaoGuoLv::Form_Load()
{
    for (QComboBox* c : Combo1)
        c->addItems(invoicing::filterFields());
    for (QComboBox* c : Combo2)
        c->addItems(invoicing::filterOperators());
    Combo3->addItems(invoicing::filterConjunctions());
    // Every box starts empty: nothing is preselected.
    for (QComboBox* c : {Combo1[0], Combo1[1], Combo2[0], Combo2[1], Combo3}) {
        c->setCurrentIndex(-1);
        c->setEditText(QString());
    }
    FilterAccepted = false;
}

void frmFaPiaoGuoLv::OKButton_Click()
{
    const invoicing::FilterRow first{Combo1[0]->currentText(), Combo2[0]->currentText(), Text1[0]->text()};
    const invoicing::FilterRow second{Combo1[1]->currentText(), Combo2[1]->currentText(), Text1[1]->text()};
    try {
        Filter = invoicing::buildListCondition(first, Combo3->currentText(), second, Module1::gWorkMonth.month());
    } catch (const invoicing::FilterInputError& e) {
        // The dialog stays open for the operator to pick an item of the list.
        ui::msgBox(e.description(), ui::Buttons::Ok, ui::Icon::Warning, QString::fromUtf8(ui::appTitle), this);
        return;
    }
    FilterAccepted = true;
    accept();
}

void frmFaPiaoGuoLv::CancelButton_Click()
{
    FilterAccepted = false;
    reject();
}

void frmFaPiaoGuoLv::Command1_Click()
{
    FilterAccepted = true;
    Filter = {};
    accept();
}
