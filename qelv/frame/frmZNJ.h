#pragma once
// The late-fee settings: whether late fees are charged, after how many days, and the daily rate.
// Closing the window saves the row and puts it into the shared late-fee variables at once.
#include "platform/db/connection.h"
#include "platform/db/recordset.h"
#include "platform/ui/field_binding.h"
#include "qelv/core/Form.h"

#include <memory>

class QCheckBox;
class QCloseEvent;
class QGroupBox;
class QKeyEvent;
class QLabel;
class QLineEdit;
class QPushButton;

class frmZNJ : public Form {
    Q_OBJECT
public:
    static constexpr const char* formName = "frmZNJ";
    explicit frmZNJ(QWidget* owner = nullptr);
    ~frmZNJ() override;

    void Form_Load();
    void Form_Unload() override;
    void Command1_Click();

    QGroupBox* Frame1;
    QCheckBox* Check1; // ZhiNaJinXiTong
    QLabel* Label1;
    QLineEdit* Text1; // QiShiTianShu
    QLabel* Label2;
    QLineEdit* Text2; // BiLi, as "0.00%"
    QPushButton* Command1;

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    std::unique_ptr<db::Connection> conn_;
    std::unique_ptr<db::Recordset> rs_;
    ui::FieldBinding binding_;
};
