#pragma once
// The enterprise register, in a grid. The industry-type and squad cells have a drop-down button that
// opens a list of the values of their tables.
#include "qelv/frame/GridEntryForm.h"

class QListWidget;

class frmDW : public GridEntryForm {
    Q_OBJECT
public:
    static constexpr const char* formName = "frmDW";
    explicit frmDW(QWidget* owner = nullptr);
    ~frmDW() override;
    static const Design& design();
    static const QList<ui::GridColumn>& columns();

    // The status text is left alone in this window: only Edit writes it.
    void adoPrimaryRS_MoveComplete() override;
    void grdDataGrid_ButtonClick(int colIndex);
    void List1_Click();
    void List1_LostFocus();
    void List2_Click();
    void List2_LostFocus();

    QListWidget* List1;   // industry types
    QListWidget* List2;   // squads and brigades

protected:
    void loadMore() override;

private:
    void choose(QListWidget* list, int column);
};
