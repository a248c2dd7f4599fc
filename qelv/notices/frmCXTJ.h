#pragma once
// The query-condition dialog "查询条件" of the statistics window: four rows of field, operator and
// value, the rows after the first each behind a conjunction, all fifteen boxes editable drop-down lists.
// After its modal display the opener reads ConditionAccepted and, when it is true, ConditionSql (placed
// after "where") and ConditionText (for the report's condition line).
#include <QDialog>
#include <QString>

class QComboBox;
class QLabel;
class QPushButton;

class frmCXTJ : public QDialog {
    Q_OBJECT
public:
    static constexpr const char* formName = "frmCXTJ";
    explicit frmCXTJ(QWidget* owner = nullptr);

    // True only after "确    定" built both texts; false from loading on, after "取   消" and after the
    // close box.
    bool ConditionAccepted = false;
    QString ConditionSql;
    QString ConditionText;

    void Form_Load();
    void OKButton_Click();
    void CancelButton_Click();

    QLabel* Label1;
    // Row 1: Combo1 field, Combo2 operator, Combo3 value; rows 2 to 4 begin with their conjunction:
    // Combo4 .. Combo7, Combo8 .. Combo11, Combo12 .. Combo15.
    QComboBox* Combo1;
    QComboBox* Combo2;
    QComboBox* Combo3;
    QComboBox* Combo4;
    QComboBox* Combo5;
    QComboBox* Combo6;
    QComboBox* Combo7;
    QComboBox* Combo8;
    QComboBox* Combo9;
    QComboBox* Combo10;
    QComboBox* Combo11;
    QComboBox* Combo12;
    QComboBox* Combo13;
    QComboBox* Combo14;
    QComboBox* Combo15;
    QPushButton* OKButton;
    QPushButton* CancelButton;
};
