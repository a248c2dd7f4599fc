#pragma once
// The notice "创建新数据库..." that closes itself after two seconds; shown modally.
#include <QDialog>

class QLabel;
class QTimer;

class frmCJSJK : public QDialog {
    Q_OBJECT
public:
    explicit frmCJSJK(QWidget* owner = nullptr);
    QLabel* Label1;
    QTimer* Timer1;

protected:
    void showEvent(QShowEvent* event) override;
};
