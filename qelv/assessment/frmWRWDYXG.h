#pragma once
// The pollutant modification window "修改污染物定义": walks through the catalogue one pollutant at a
// time, shows each one's formula, and changes a pollutant's number, name, categories and formula.
// Modeless; several may be open at once, each with a formula of its own under edit.
#include "platform/db/recordset.h"
#include "qelv/assessment/PollutantWindow.h"

#include <memory>

class QWidget;

class frmWRWDYXG : public PollutantWindow {
    Q_OBJECT
public:
    static constexpr const char* formName = "frmWRWDYXG";
    explicit frmWRWDYXG(QWidget* owner = nullptr);
    ~frmWRWDYXG() override;

    QWidget* Picture1; // the navigation bar
    QPushButton* Command13; // first
    QPushButton* Command14; // previous
    QPushButton* Command15; // next
    QPushButton* Command16; // last
    QPushButton* Command17; // 编辑

    void Command13_Click();
    void Command14_Click();
    void Command15_Click();
    void Command16_Click();
    void Command17_Click();
    void Command9_Click(); // 保存
    void Command10_Click(); // 关闭

    bool isEditing() const { return editing_; }

protected:
    void Form_Unload() override;

private:
    void Form_Load();
    // Whether the catalogue was read and holds a pollutant: without one there is nothing to show,
    // move through or edit.
    bool hasPollutant() const;
    // Reads the current pollutant's formula from the token table.
    void ReloadFormula();
    // Shows the current pollutant's fields (the fields follow the catalogue's current row).
    void showCurrent();
    void setEditing(bool editing);
    void navigate(void (frmWRWDYXG::*move)());
    void moveFirst();
    void movePrevious();
    void moveNext();
    void moveLast();
    // Puts the catalogue recordset back on what the file holds after a save that failed.
    void restoreCatalogue(int position);

    std::unique_ptr<db::Recordset> GSRS_;
    QString remembered_; // the number of the pollutant as editing began
    bool editing_ = false;
};
