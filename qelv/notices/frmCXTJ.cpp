#include "qelv/notices/frmCXTJ.h"

#include "platform/db/connection.h"
#include "platform/db/recordset.h"
#include "platform/ui/controls.h"
#include "platform/ui/dialogs.h"
#include "platform/ui/fixed_dialog.h"
#include "platform/ui/twips.h"
#include "qelv/core/data_files.h"
#include "qelv/notices/statistics_condition.h"

#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <array>

namespace {

constexpr double kLefts[] = {360, 1560, 3360, 4560};
constexpr double kWidths[] = {1095, 1695, 1095, 2295};
constexpr double kTops[] = {240, 720, 1200, 1680};

QComboBox* box(QWidget* parent, int number, int row, int column)
{
    const QByteArray name = "Combo" + QByteArray::number(number);
    auto* c = ui::control<QComboBox>(parent, name.constData(), kLefts[column], kTops[row], kWidths[column], 300);
    c->setEditable(true);
    // What is typed stays typed: Enter never makes it an item of the list.
    c->setInsertPolicy(QComboBox::NoInsert);
    return c;
}

QPushButton* button(QWidget* parent, const char* name, const QString& caption, double left,
                    QStyle::StandardPixmap picture)
{
    return ui::commandButton(parent, name, left, 2520, 1935, 855, caption, picture);
}

// Every value of a list table's one column, in the order the database gives them.
void addValues(db::Connection& dw, const QString& table, const std::array<QComboBox*, 4>& boxes)
{
    auto rows = dw.openRecordset(QStringLiteral("Select * from %1").arg(table), {}, db::LockType::ReadOnly);
    for (; !rows->isEOF(); rows->moveNext()) {
        const QVariant value = rows->value(table);
        if (value.isNull())
            throw db::Error(QStringLiteral("无效使用 Null（表 %1 中有空值）").arg(table));
        for (QComboBox* b : boxes)
            b->addItem(value.toString());
    }
}

} // namespace

frmCXTJ::frmCXTJ(QWidget* owner)
    : QDialog(owner, ui::fixedDialogFlags)
{
    ui::setUpFixedDialog(this,
                         {.formName = formName,
                          .caption = QStringLiteral("查询条件"),
                          .clientWidth = 7215,
                          .clientHeight = 3690,
                          .modal = true,
                          .setFlags = false});

    Label1 = ui::control<QLabel>(this, "Label1", kLefts[0], kTops[0], kWidths[0], 300, QStringLiteral("查询条件："));
    Combo1 = box(this, 1, 0, 1);
    Combo2 = box(this, 2, 0, 2);
    Combo3 = box(this, 3, 0, 3);
    QComboBox** rows[] = {&Combo4,  &Combo5,  &Combo6,  &Combo7,  &Combo8,  &Combo9,
                          &Combo10, &Combo11, &Combo12, &Combo13, &Combo14, &Combo15};
    for (int i = 0; i < 12; ++i)
        *rows[i] = box(this, i + 4, 1 + i / 4, i % 4);

    OKButton = button(this, "OKButton", QStringLiteral("确    定"), 1260, QStyle::SP_DialogOkButton);
    CancelButton = button(this, "CancelButton", QStringLiteral("取   消"), 4020, QStyle::SP_DialogCancelButton);
    connect(OKButton, &QPushButton::clicked, this, &frmCXTJ::OKButton_Click);
    connect(CancelButton, &QPushButton::clicked, this, &frmCXTJ::CancelButton_Click);

    QWidget* order[] = {Combo1,  Combo2,  Combo3,  Combo4,  Combo5,  Combo6,  Combo7,   Combo8,      Combo9,
                        Combo10, Combo11, Combo12, Combo13, Combo14, Combo15, OKButton, CancelButton};
    for (std::size_t i = 1; i < std::size(order); ++i)
        setTabOrder(order[i - 1], order[i]);

    Form_Load();
    ui::centreOnScreen(this);
}

void frmCXTJ::Form_Load()
{
    ConditionAccepted = false;
    for (QComboBox* b : {Combo1, Combo5, Combo9, Combo13})
        b->addItems(statistics::conditionFields());
    for (QComboBox* b : {Combo2, Combo6, Combo10, Combo14})
        b->addItems(statistics::conditionOperators());
    try {
        db::Connection dw(db::DataFile{QString::fromLatin1(dataFiles::enterprises)});
        const std::array<QComboBox*, 4> values{Combo3, Combo7, Combo11, Combo15};
        addValues(dw, QStringLiteral("HangYeLeiXing"), values);
        addValues(dw, QStringLiteral("DanWeiFenQu"), values);
        for (QComboBox* b : {Combo4, Combo8, Combo12})
            b->addItems(statistics::conditionConjunctions());
    } catch (const std::exception& e) {
        // The dialog opens all the same; a conjunction can still be typed.
        ui::showError(e, this);
    }
    for (QComboBox* b : findChildren<QComboBox*>()) {
        b->setCurrentIndex(-1);
        b->setEditText(QString());
    }
}

void frmCXTJ::OKButton_Click()
{
    const std::array<statistics::ConditionRow, 4> rows{{
        {Combo1->currentText(), Combo2->currentText(), Combo3->currentText()},
        {Combo5->currentText(), Combo6->currentText(), Combo7->currentText()},
        {Combo9->currentText(), Combo10->currentText(), Combo11->currentText()},
        {Combo13->currentText(), Combo14->currentText(), Combo15->currentText()},
    }};
    const std::array<QString, 3> conjunctions{Combo4->currentText(), Combo8->currentText(), Combo12->currentText()};
    try {
        const statistics::Condition c = statistics::buildCondition(rows, conjunctions);
        ConditionSql = c.sql;
        ConditionText = c.text;
    } catch (const statistics::ConditionInputError& e) {
        // The dialog stays open for the row to be mended.
        ui::inform(e.description(), this);
        return;
    }
    ConditionAccepted = true;
    accept();
}

void frmCXTJ::CancelButton_Click()
{
    ConditionAccepted = false;
    reject();
}
