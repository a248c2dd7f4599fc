#pragma once
// The grid variant of the data-entry window: the whole table in an editable grid above the same
// button bar and status bar, with the same states and keys. Add appends a row in the grid without
// leaving the browsing state; the row is written when the grid leaves it or by Update. An enterprise,
// pollutant or outlet number typed with blanks around it is refused (typedKeys).
#include "platform/ui/data_grid.h"
#include "platform/ui/recordset_model.h"
#include "qelv/frame/DataEntryForm.h"

class GridEntryForm : public DataEntryForm {
    Q_OBJECT
public:
    ~GridEntryForm() override;

    void Form_Resize() override;
    void cmdAdd_Click() override;
    void cmdRefresh_Click() override;

    ui::DataGrid* grdDataGrid;
    ui::RecordsetModel* gridModel;

protected:
    // A window that checks its cells' edits brings a model of its own; the window takes it over.
    GridEntryForm(const Design& design, const QList<ui::GridColumn>& columns, QWidget* owner,
                  ui::RecordsetModel* model = nullptr);

    void bindControls() override;
    void unbindControls() override;
    void commitControls() override;
    void discardControls() override;
    // A navigation key the window acted on does not also move the grid's own current cell.
    bool keepsKeyFrom(QObject* receiver) const override;
};
