#pragma once
// The operators and their passwords, which the login window checks.
#include "qelv/frame/DataEntryForm.h"

class frmUser : public DataEntryForm {
    Q_OBJECT
public:
    static constexpr const char* formName = "frmUser";
    explicit frmUser(QWidget* owner = nullptr);
    static const Design& design();

protected:
    // The last operator stays: without one nobody could log in again.
    void deleteCurrentRow(db::Recordset& r) override;
};
