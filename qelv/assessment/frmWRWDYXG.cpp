#include "qelv/assessment/frmWRWDYXG.h"

#include "platform/db/error.h"
#include "platform/error/error.h"
#include "platform/settings/settings.h"
#include "platform/ui/controls.h"
#include "platform/ui/dialogs.h"
#include "platform/ui/twips.h"
#include "qelv/assessment/formula_tokens.h"
#include "qelv/core/navigation.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QStyle>

frmWRWDYXG::frmWRWDYXG(QWidget* owner)
    : PollutantWindow(owner,
                      {.formName = formName,
                       .caption = QStringLiteral("修改污染物定义"),
                       .clientWidth = 7320,
                       .clientHeight = 4260,
                       .setFlags = false})
{

    Picture1 = ui::control<QWidget>(this, "Picture1", 240, 3120, 1440, 360);
    Command13 = makeButton(Picture1, "Command13", QString(), 0, 0, 360, 360);
    Command14 = makeButton(Picture1, "Command14", QString(), 360, 0, 360, 360);
    Command15 = makeButton(Picture1, "Command15", QString(), 720, 0, 360, 360);
    Command16 = makeButton(Picture1, "Command16", QString(), 1080, 0, 360, 360);
    Command13->setIcon(style()->standardIcon(QStyle::SP_MediaSkipBackward));
    Command14->setIcon(style()->standardIcon(QStyle::SP_MediaSeekBackward));
    Command15->setIcon(style()->standardIcon(QStyle::SP_MediaSeekForward));
    Command16->setIcon(style()->standardIcon(QStyle::SP_MediaSkipForward));

    Command17 = makeButton(this, "Command17", QStringLiteral("编辑"), 2760, 3600, 1200, 420);
    Command10->setText(QStringLiteral("关闭"));
    ui::placeTwips(Command10, 4320, 3600, 1200, 420);
    ui::placeTwips(Command9, 5880, 3600, 1200, 420);

    connect(Command13, &QPushButton::clicked, this, &frmWRWDYXG::Command13_Click);
    connect(Command14, &QPushButton::clicked, this, &frmWRWDYXG::Command14_Click);
    connect(Command15, &QPushButton::clicked, this, &frmWRWDYXG::Command15_Click);
    connect(Command16, &QPushButton::clicked, this, &frmWRWDYXG::Command16_Click);
    connect(Command17, &QPushButton::clicked, this, &frmWRWDYXG::Command17_Click);
    connect(Command9, &QPushButton::clicked, this, &frmWRWDYXG::Command9_Click);
    connect(Command10, &QPushButton::clicked, this, &frmWRWDYXG::Command10_Click);

    Form_Load();
    ui::centreOnOwner(this);
}

frmWRWDYXG::~frmWRWDYXG()
{
    unloadOnce();
}

void frmWRWDYXG::Form_Load()
{
    // Until a pollutant is shown there is nothing to edit or move through: only closing is offered.
    Combo1->setEditText(QString());
    Combo2->setEditText(QString());
    setEditing(false);
    for (QPushButton* b : {Command13, Command14, Command15, Command16, Command17})
        b->setEnabled(false);
    try {
        openPollutantFile();
        GSRS_ = conn_.openRecordset(QStringLiteral("Select * from wrw"), {}, db::LockType::Optimistic);
        connect(GSRS_.get(), &db::Recordset::moveComplete, this, &frmWRWDYXG::showCurrent);
        if (GSRS_->recordCount() == 0)
            return;
        // The list first: filling an empty list would put its first item over the shown category.
        for (int i = 1; i <= 10; ++i)
            Combo1->addItem(QString::number(i));
        showCurrent();
        setEditing(false);
        ReloadFormula();
    } catch (const std::exception& e) {
        ui::showError(e, this);
    }
}

bool frmWRWDYXG::hasPollutant() const
{
    return GSRS_ && GSRS_->recordCount() > 0;
}

void frmWRWDYXG::showCurrent()
{
    if (!GSRS_ || GSRS_->isBOF() || GSRS_->isEOF())
        return;
    Text3->setText(GSRS_->value(QStringLiteral("WuRanWuBianHao")).toString());
    Text2->setText(GSRS_->value(QStringLiteral("MingCheng")).toString());
    Combo1->setEditText(GSRS_->value(QStringLiteral("LeiXing")).toString());
    Combo2->setEditText(GSRS_->value(QStringLiteral("FenLei")).toString());
}

void frmWRWDYXG::setEditing(bool editing)
{
    editing_ = editing;
    setKeypadEnabled(editing);
    Command9->setEnabled(editing);
    for (QPushButton* b : {Command13, Command14, Command15, Command16, Command17})
        b->setEnabled(!editing);
    Text3->setReadOnly(!editing);
    Text2->setReadOnly(!editing);
    Combo1->setEnabled(editing);
    Combo2->setEnabled(editing);
}

void frmWRWDYXG::ReloadFormula()
{
    try {
        formula_.clear();
        showFormula();
        const QString number = GSRS_->value(QStringLiteral("WuRanWuBianHao")).toString();
        const QList<FormulaToken> list = readFormulaTokens(conn_, number);
        formula_.assign(list);
        showFormula();
    } catch (const std::exception& e) {
        ui::showError(e, this);
    }
}

// --- navigation -----------------------------------------------------------------------------------

void frmWRWDYXG::navigate(void (frmWRWDYXG::*move)())
{
    if (!hasPollutant())
        return;
    try {
        (this->*move)();
    } catch (const std::exception& e) {
        ui::showError(e, this);
        return;
    }
    ReloadFormula();
}

void frmWRWDYXG::moveFirst()
{
    GSRS_->moveFirst();
}

void frmWRWDYXG::movePrevious()
{
    navigation::movePreviousOrBeep(*GSRS_);
}

void frmWRWDYXG::moveNext()
{
    navigation::moveNextOrBeep(*GSRS_);
}

void frmWRWDYXG::moveLast()
{
    GSRS_->moveLast();
}

void frmWRWDYXG::Command13_Click()
{
    navigate(&frmWRWDYXG::moveFirst);
}
void frmWRWDYXG::Command14_Click()
{
    navigate(&frmWRWDYXG::movePrevious);
}
void frmWRWDYXG::Command15_Click()
{
    navigate(&frmWRWDYXG::moveNext);
}
void frmWRWDYXG::Command16_Click()
{
    navigate(&frmWRWDYXG::moveLast);
}

// --- editing and saving ---------------------------------------------------------------------------

void frmWRWDYXG::Command17_Click()
{
    if (!hasPollutant())
        return;
    try {
        remembered_ = GSRS_->value(QStringLiteral("WuRanWuBianHao")).toString();
        setEditing(true);
    } catch (const std::exception& e) {
        ui::showError(e, this);
    }
}

void frmWRWDYXG::Command9_Click()
{
    if (!editing_ || !hasPollutant())
        return;
    try {
        const QString number = Text3->text();
        if (number != remembered_) {
            // The pollutant itself is no duplicate: a number changed only in letter case is its own.
            const QVariant taken =
                conn_.scalar(QStringLiteral("Select count(*) from  wrw where WuRanWuBianHao=? and WuRanWuBianHao<>?"),
                             {number, remembered_});
            if (taken.toInt() > 0) {
                ui::inform(duplicateNumberText(), this);
                return;
            }
        }
        std::int16_t category = 0;
        if (!acceptInput(&category))
            return;

        // The old tokens go, the catalogue row changes and the new tokens are written together or not
        // at all, so a failure never leaves the pollutant without its formula.
        const int position = GSRS_->absolutePosition();
        conn_.beginTransaction();
        try {
            // Another window may have renumbered this pollutant meanwhile; writing over its row would
            // leave the tokens it saved under the new number behind, without a pollutant.
            if (conn_.scalar(QStringLiteral("Select count(*) from wrw where WuRanWuBianHao=?"), {remembered_})
                    .toInt() == 0)
                throw db::Error(
                    QStringLiteral("污染物“%1”已在另一个窗口中修改，请关闭本窗口后重新打开。").arg(remembered_));
            conn_.execute(QStringLiteral("Delete from wrwgs where WuRanWuBianHao=?"), {remembered_});
            GSRS_->setValue(QStringLiteral("WuRanWuBianHao"), number);
            GSRS_->setValue(QStringLiteral("MingCheng"), Text2->text());
            GSRS_->setValue(QStringLiteral("LeiXing"), category);
            GSRS_->setValue(QStringLiteral("FenLei"), Combo2->currentText());
            GSRS_->update();
            writeTokens(number);
            settings::save(QStringLiteral("ModifyDataGS"), QStringLiteral("2"));
            conn_.commit();
        } catch (...) {
            rollbackQuietly();
            restoreCatalogue(position);
            throw;
        }
    } catch (const std::exception& e) {
        ui::showError(e, this);
        return;
    }
    setEditing(false);
    ReloadFormula();
}

void frmWRWDYXG::restoreCatalogue(int position)
{
    // The operator's typing stays in the fields, to be corrected and saved again.
    const QString number = Text3->text(), name = Text2->text(), category = Combo1->currentText(),
                  kind = Combo2->currentText();
    try {
        GSRS_->cancelUpdate();
        GSRS_->requery();
        if (position > 0)
            GSRS_->setAbsolutePosition(position);
    } catch (const std::exception&) {
        // The save's own failure is the one to show.
        platform::warnDropped("pollutant modification: rereading the catalogue after a failed save");
    }
    Text3->setText(number);
    Text2->setText(name);
    Combo1->setEditText(category);
    Combo2->setEditText(kind);
}

void frmWRWDYXG::Command10_Click()
{
    done(QDialog::Rejected);
}

void frmWRWDYXG::Form_Unload()
{
    GSRS_.reset();
    closePollutantFile();
}
