#pragma once
// The filter dialog of the invoice run window: up to two conditions on the enterprise number or the
// operating month's invoice number. After it closes the caller reads FilterAccepted and, when it is
// true, Filter: an empty condition shows the whole list.
#include "qelv/invoicing/list_filter.h"

#include <QDialog>
#include <array>

class QComboBox;
class QGroupBox;
class QLineEdit;
class QPushButton;

class frmFaPiaoGuoLv : public QDialog {
    Q_OBJECT
public:
    static constexpr const char* formName = "frmFaPiaoGuoLv";
    explicit frmFaPiaoGuoLv(QWidget* owner = nullptr);

    // True after "过滤" or "取消过滤"; false after "取消", the close box, and until then.
    bool FilterAccepted = false;
    // The condition, its values to be bound by the list query.
    invoicing::ListCondition Filter;
    // The condition as text, the values shown quoted.
    QString FilterText() const { return Filter.text(); }

    void OKButton_Click();
    void CancelButton_Click();
    void Command1_Click();

    QGroupBox* Frame1;
    std::array<QComboBox*, 2> Combo1; // field
    std::array<QComboBox*, 2> Combo2; // operator
    std::array<QLineEdit*, 2> Text1; // value
    QComboBox* Combo3; // conjunction
    QPushButton* OKButton;
    QPushButton* CancelButton;
    QPushButton* Command1;

private:
    void Form_Load();
};
