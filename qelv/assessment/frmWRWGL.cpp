#include "qelv/assessment/frmWRWGL.h"

#include "platform/settings/settings.h"
#include "platform/ui/dialogs.h"
#include "platform/ui/twips.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>

frmWRWGL::frmWRWGL(QWidget* owner)
    : PollutantWindow(owner,
                      {.formName = formName,
                       .caption = QStringLiteral("污染物管理"),
                       .clientWidth = 7320,
                       .clientHeight = 3900,
                       .modal = true,
                       .setFlags = false})
{
    Command10->setText(QStringLiteral("取消"));
    ui::placeTwips(Command10, 4320, 3240, 1200, 420);
    ui::placeTwips(Command9, 5880, 3240, 1200, 420);

    connect(Command9, &QPushButton::clicked, this, &frmWRWGL::Command9_Click);
    connect(Command10, &QPushButton::clicked, this, &frmWRWGL::Command10_Click);

    Form_Load();
    ui::centreOnOwner(this);
}

frmWRWGL::~frmWRWGL()
{
    unloadOnce();
}

void frmWRWGL::Form_Load()
{
    try {
        openPollutantFile();
        formula_.clear();
        showFormula();
        for (int i = 1; i <= 10; ++i)
            Combo1->addItem(QString::number(i));
        Combo1->setEditText(QStringLiteral("1"));
    } catch (const std::exception& e) {
        ui::showError(e, this);
    }
}

void frmWRWGL::Command9_Click()
{
    try {
        const QString number = Text3->text();
        const QVariant taken =
            conn_.scalar(QStringLiteral("Select count(*) from  wrw where WuRanWuBianHao=?"), {number});
        if (taken.toInt() > 0) {
            ui::inform(duplicateNumberText(), this);
            return;
        }
        std::int16_t category = 0;
        if (!acceptInput(&category))
            return;

        // The catalogue row and its tokens are written together or not at all: a token the table
        // refuses must not leave a pollutant without its formula, nor a refused row orphan tokens
        // that would join the formula of a pollutant saved later under the same number.
        conn_.beginTransaction();
        try {
            writeTokens(number);
            conn_.execute(QStringLiteral("insert into wrw (WuRanWuBianHao,MingCheng,LeiXing,FenLei) Values (?,?,?,?)"),
                          {number, Text2->text(), category, Combo2->currentText()});
            // Raised before the commit: a warning too many is harmless, a missing one is not.
            settings::save(QStringLiteral("ModifyDataGS"), QStringLiteral("1"));
            conn_.commit();
        } catch (...) {
            rollbackQuietly();
            throw;
        }
    } catch (const std::exception& e) {
        ui::showError(e, this);
        return;
    }
    done(QDialog::Accepted);
}

void frmWRWGL::Command10_Click()
{
    done(QDialog::Rejected);
}

void frmWRWGL::Form_Unload()
{
    closePollutantFile();
}
