#include "qelv/assessment/PollutantWindow.h"

#include "platform/convert/convert.h"
#include "platform/error/error.h"
#include "platform/files/files.h"
#include "platform/ui/controls.h"
#include "platform/ui/dialogs.h"
#include "platform/ui/fixed_dialog.h"
#include "qelv/core/Module1.h"
#include "qelv/core/compaction.h"
#include "qelv/core/data_files.h"
#include "qelv/core/typed_keys.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <cmath>

namespace {

QComboBox* combo(QWidget* parent, const char* name, double l, double t, double w, double h)
{
    auto* c = ui::control<QComboBox>(parent, name, l, t, w, h);
    c->setEditable(true);
    c->setInsertPolicy(QComboBox::NoInsert);
    return c;
}

} // namespace

QPushButton* PollutantWindow::makeButton(QWidget* parent, const char* name, const QString& caption, double l, double t,
                                         double w, double h)
{
    return ui::commandButton(parent, name, l, t, w, h, caption);
}

QString PollutantWindow::duplicateNumberText()
{
    return QStringLiteral("污染物编号重复，污染物编号不能重复，请修改!");
}

QString PollutantWindow::invalidText()
{
    return QStringLiteral("污染物编号和名称为空或则公式不正确!");
}

PollutantWindow::PollutantWindow(QWidget* owner, const ui::FixedDialog& design)
    : Form(owner, ui::fixedDialogFlags)
{
    ui::setUpFixedDialog(this, design);

    ui::control<QLabel>(this, "Label1", 240, 360, 1200, 300, QStringLiteral("污染物编号："));
    Text3 = ui::control<QLineEdit>(this, "Text3", 1440, 330, 2280, 300);
    ui::control<QLabel>(this, "Label2", 240, 840, 1200, 300, QStringLiteral("污染物名称："));
    Text2 = ui::control<QLineEdit>(this, "Text2", 1440, 810, 2280, 300);
    ui::control<QLabel>(this, "Label3", 240, 1320, 1200, 300, QStringLiteral("计算类别："));
    Combo1 = combo(this, "Combo1", 1440, 1290, 2280, 300);
    Combo1->setEditText(QStringLiteral("1"));
    ui::control<QLabel>(this, "Label4", 240, 1800, 1200, 300, QStringLiteral("污染物类别："));
    Combo2 = combo(this, "Combo2", 1440, 1770, 2280, 300);
    Combo2->addItems({QStringLiteral("废水"), QStringLiteral("废气"), QStringLiteral("废渣"), QStringLiteral("噪声"),
                      QStringLiteral("其它")});
    Combo2->setEditText(QStringLiteral("废水"));

    Command1 = makeButton(this, "Command1", QStringLiteral("常量"), 4080, 330, 960, 480);
    Command3 = makeButton(this, "Command3", QStringLiteral("+"), 5100, 330, 960, 480);
    Command4 = makeButton(this, "Command4", QStringLiteral("-"), 6120, 330, 960, 480);
    Command2 = makeButton(this, "Command2", QStringLiteral("变量"), 4080, 930, 960, 480);
    Command5 = makeButton(this, "Command5", QStringLiteral("*"), 5100, 930, 960, 480);
    Command6 = makeButton(this, "Command6", QStringLiteral("/"), 6120, 930, 960, 480);
    Command7 = makeButton(this, "Command7", QStringLiteral("取消上一步"), 4080, 1530, 1260, 480);
    Command8 = makeButton(this, "Command8", QStringLiteral("|"), 5400, 1530, 520, 480);
    Command11 = makeButton(this, "Command11", QStringLiteral("("), 5980, 1530, 520, 480);
    Command12 = makeButton(this, "Command12", QStringLiteral(")"), 6560, 1530, 520, 480);

    ui::control<QLabel>(this, "Label5", 240, 2340, 2400, 300, QStringLiteral("污染物计算公式："));
    Text1 = ui::control<QLineEdit>(this, "Text1", 240, 2640, 6840, 360);
    Text1->setReadOnly(true);

    Command9 = makeButton(this, "Command9", QStringLiteral("保存"), 0, 0, 1200, 420);
    Command10 = makeButton(this, "Command10", QString(), 0, 0, 1200, 420);

    connect(Command1, &QPushButton::clicked, this, &PollutantWindow::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &PollutantWindow::Command2_Click);
    connect(Command3, &QPushButton::clicked, this, &PollutantWindow::Command3_Click);
    connect(Command4, &QPushButton::clicked, this, &PollutantWindow::Command4_Click);
    connect(Command5, &QPushButton::clicked, this, &PollutantWindow::Command5_Click);
    connect(Command6, &QPushButton::clicked, this, &PollutantWindow::Command6_Click);
    connect(Command7, &QPushButton::clicked, this, &PollutantWindow::Command7_Click);
    connect(Command8, &QPushButton::clicked, this, &PollutantWindow::Command8_Click);
    connect(Command11, &QPushButton::clicked, this, &PollutantWindow::Command11_Click);
    connect(Command12, &QPushButton::clicked, this, &PollutantWindow::Command12_Click);
}

PollutantWindow::~PollutantWindow() = default;

// --- the keypad -----------------------------------------------------------------------------------

void PollutantWindow::Command1_Click()
{
    const QString text =
        ui::inputBox(QStringLiteral("输入常量值,类型为数值型!"), QStringLiteral("输入常量"), QString(), this);
    if (!text.isEmpty())
        appendToken(text, TokenKind::Constant);
}

void PollutantWindow::Command2_Click()
{
    const QString text =
        ui::inputBox(QStringLiteral("输入变量值,类型为字值型或中文!"), QStringLiteral("输入变量"), QString(), this);
    if (!text.isEmpty())
        appendToken(text, TokenKind::Variable);
}

void PollutantWindow::Command3_Click()
{
    appendToken(Formula::operatorText(TokenKind::Plus), TokenKind::Plus);
}
void PollutantWindow::Command4_Click()
{
    appendToken(Formula::operatorText(TokenKind::Minus), TokenKind::Minus);
}
void PollutantWindow::Command5_Click()
{
    appendToken(Formula::operatorText(TokenKind::Times), TokenKind::Times);
}
void PollutantWindow::Command6_Click()
{
    appendToken(Formula::operatorText(TokenKind::Divide), TokenKind::Divide);
}
void PollutantWindow::Command8_Click()
{
    appendToken(Formula::operatorText(TokenKind::Bar), TokenKind::Bar);
}
void PollutantWindow::Command11_Click()
{
    appendToken(Formula::operatorText(TokenKind::Open), TokenKind::Open);
}
void PollutantWindow::Command12_Click()
{
    appendToken(Formula::operatorText(TokenKind::Close), TokenKind::Close);
}

void PollutantWindow::Command7_Click()
{
    formula_.undo();
    showFormula();
}

void PollutantWindow::appendToken(const QString& text, int kind)
{
    formula_.append(text, kind);
    showFormula();
}

void PollutantWindow::showFormula()
{
    Text1->setText(formula_.displayText());
}

void PollutantWindow::setKeypadEnabled(bool enabled)
{
    for (QPushButton* b :
         {Command1, Command2, Command3, Command4, Command5, Command6, Command7, Command8, Command11, Command12})
        b->setEnabled(enabled);
}

// --- saving ---------------------------------------------------------------------------------------

bool PollutantWindow::acceptInput(std::int16_t* category)
{
    // A number or name of blanks only is as good as none.
    if (Text3->text().trimmed().isEmpty() || Text2->text().trimmed().isEmpty() || !formula_.isBalanced()) {
        ui::inform(invalidText(), this);
        return false;
    }
    if (const QString problem = typedKeys::blanksProblem(QStringLiteral("污染物编号"), Text3->text());
        !problem.isEmpty()) {
        ui::inform(problem, this);
        return false;
    }
    // Checked here so that a category the column cannot take is refused with a message of its own
    // instead of failing half-way through the save.
    const QString text = Combo1->currentText().trimmed();
    const bool whole = convert::isNumeric(text) && std::floor(convert::toDouble(text)) == convert::toDouble(text) &&
        std::fabs(convert::toDouble(text)) <= 32767;
    if (!whole) {
        ui::inform(QStringLiteral("计算类别必须是整数!"), this);
        return false;
    }
    *category = convert::toInt16(text);
    return true;
}

void PollutantWindow::writeTokens(const QString& number)
{
    for (const FormulaToken& t : formula_.tokens())
        conn_.execute(QStringLiteral("insert into wrwgs (ID,MingCheng,BiaoJi,WuRanWuBianHao) Values (?,?,?,?)"),
                      {t.id, t.text, t.kind, number});
}

void PollutantWindow::rollbackQuietly()
{
    try {
        if (conn_.inTransaction())
            conn_.rollback();
    } catch (const std::exception&) {
        // The save's own failure is the one to show; SQLite undoes the rest when the connection closes.
        platform::warnDropped("pollutant window: rolling back a failed save");
    }
}

// --- opening and closing --------------------------------------------------------------------------

void PollutantWindow::openPollutantFile()
{
    conn_.open(db::DataFile{QString::fromLatin1(dataFiles::pollutants)});
    conn_.execute(QStringLiteral("Delete from wrwgsmb"));
}

void PollutantWindow::closePollutantFile()
{
    bool ok = true;
    try {
        if (conn_.isOpen())
            conn_.execute(QStringLiteral("Delete from wrwgsmb"));
    } catch (const std::exception& e) {
        ui::showError(e, this);
        ok = false;
    }
    conn_.close();
    if (!ok)
        return;
    try {
        compaction::compactDataFile(QString::fromLatin1(dataFiles::pollutants),
                                    QString::fromLatin1(dataFiles::pollutantsTransient), this);
    } catch (const std::exception& e) {
        ui::showError(e, this);
    }
}
