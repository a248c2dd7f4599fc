#pragma once
// What the two pollutant windows share: the number, name and category fields, the formula keypad
// with its display and undo, the checks before a save, the writing of a formula's tokens, and the
// closing steps that compact the pollutant file.
//
// Each window keeps the formula it edits in memory (Formula), never in the shared scratch table, so
// that one window opening, saving or closing never empties or replaces the formula under edit in
// another; the token table is written only by a save, in one transaction with the catalogue row.
#include "platform/db/connection.h"
#include "platform/ui/fixed_dialog.h"
#include "qelv/assessment/formula.h"
#include "qelv/core/Form.h"

#include <cstdint>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

class PollutantWindow : public Form {
    Q_OBJECT
public:
    ~PollutantWindow() override;

    QLineEdit* Text3; // pollutant number
    QLineEdit* Text2; // pollutant name
    QComboBox* Combo1; // calculation category
    QComboBox* Combo2; // category
    QLineEdit* Text1; // the formula, as text; read-only
    QPushButton* Command1; // 常量
    QPushButton* Command2; // 变量
    QPushButton* Command3; // +
    QPushButton* Command4; // -
    QPushButton* Command5; // *
    QPushButton* Command6; // /
    QPushButton* Command7; // 取消上一步
    QPushButton* Command8; // |
    QPushButton* Command11; // (
    QPushButton* Command12; // )
    QPushButton* Command9; // 保存
    QPushButton* Command10; // 取消 / 关闭

    void Command1_Click();
    void Command2_Click();
    void Command3_Click();
    void Command4_Click();
    void Command5_Click();
    void Command6_Click();
    void Command7_Click();
    void Command8_Click();
    void Command11_Click();
    void Command12_Click();

    const Formula& formula() const { return formula_; }

    // The file and the transient name of its compaction.
    // The texts of the refusals of a save.
    static QString duplicateNumberText();
    static QString invalidText();

protected:
    PollutantWindow(QWidget* owner, const ui::FixedDialog& design);

    // Runs once, on whichever way the window closes.
    void Form_Unload() override = 0;

    // Opens the pollutant file and empties the scratch table of anything an earlier run left.
    void openPollutantFile();
    // Empties the scratch table, closes the connection and compacts the pollutant file unless another
    // window still has it open (it is compacted when the last one closes, and at start-up).
    void closePollutantFile();

    // A push button named and placed in twips; it never takes the Enter key as the default.
    static QPushButton* makeButton(QWidget* parent, const char* name, const QString& caption, double l, double t,
                                   double w, double h);

    void appendToken(const QString& text, int kind);
    void showFormula();
    void setKeypadEnabled(bool enabled);

    // The checks before a save, each refusal shown to the operator: a number and a name, paired
    // brackets and bars, a number without blanks around it, and a calculation category that is a
    // whole number.
    bool acceptInput(std::int16_t* category);
    // Ends a failed save's transaction; the failure itself is what the operator is shown.
    void rollbackQuietly();
    // Writes the formula's tokens under a pollutant number, in order, keeping their IDs.
    void writeTokens(const QString& number);

    db::Connection conn_;
    Formula formula_;

private:
};
