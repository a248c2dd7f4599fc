#pragma once
// The new-pollutant window "污染物管理": number, name, the two categories and the formula, built on
// the keypad; it saves at most one pollutant and then closes.
#include "qelv/assessment/PollutantWindow.h"

class frmWRWGL : public PollutantWindow {
    Q_OBJECT
public:
    static constexpr const char* formName = "frmWRWGL";
    explicit frmWRWGL(QWidget* owner = nullptr);
    ~frmWRWGL() override;

    void Command9_Click(); // 保存
    void Command10_Click(); // 取消

protected:
    void Form_Unload() override;

private:
    void Form_Load();
};
