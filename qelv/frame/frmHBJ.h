#pragma once
// The payee bureau: its name, bank, account and collection identity. Closing the window puts the
// first row into the shared payee variables, so that documents made afterwards use it at once.
#include "qelv/frame/DataEntryForm.h"

class frmHBJ : public DataEntryForm {
    Q_OBJECT
public:
    static constexpr const char* formName = "frmHBJ";
    explicit frmHBJ(QWidget* owner = nullptr);
    static const Design& design();

    void Form_Unload() override;
};
