#include "qelv/frame/GridEntryForm.h"

#include "platform/ui/dialogs.h"
#include "platform/ui/twips.h"
#include "qelv/core/typed_keys.h"

#include <QPushButton>

GridEntryForm::GridEntryForm(const Design& design, const QList<ui::GridColumn>& columns, QWidget* owner,
                             ui::RecordsetModel* model)
    : DataEntryForm(design, owner)
{
    gridModel = model ? model : new ui::RecordsetModel;
    gridModel->setParent(this);
    gridModel->setColumns(columns);
    gridModel->setErrorHandler([this](const std::exception& e) { ui::showError(e, this); });
    typedKeys::guardKeyColumns(*gridModel);
    grdDataGrid = new ui::DataGrid(this);
    grdDataGrid->setObjectName(QStringLiteral("grdDataGrid"));
    grdDataGrid->setRecordsetModel(gridModel);
    grdDataGrid->setGeometry(0, 0, width(), qMax(0, height() - ui::px(630)));
}

GridEntryForm::~GridEntryForm()
{
    gridModel->setRecordset(nullptr);
}

void GridEntryForm::bindControls()
{
    gridModel->setRecordset(adoPrimaryRS.get());
}

void GridEntryForm::unbindControls()
{
    gridModel->setRecordset(nullptr);
}

void GridEntryForm::commitControls()
{
    grdDataGrid->commitEdit();
}

void GridEntryForm::discardControls()
{
    grdDataGrid->discardEdit();
}

bool GridEntryForm::keepsKeyFrom(QObject* receiver) const
{
    return receiver == grdDataGrid || receiver == grdDataGrid->viewport();
}

void GridEntryForm::Form_Resize()
{
    const double height =
        ui::twips(this->height()) - 30 - ui::twips(picButtons->height()) - ui::twips(picStatBox->height());
    // A window shrunk below the bars keeps the grid's last height.
    if (height >= 0)
        grdDataGrid->setGeometry(0, 0, width(), ui::px(height));
    else
        grdDataGrid->resize(width(), grdDataGrid->height());
    DataEntryForm::Form_Resize();
}

void GridEntryForm::cmdAdd_Click()
{
    trapped([this] {
        db::Recordset& r = rs();
        commitControls();
        // An empty table has no last row to go to; the new row is its first.
        if (r.recordCount() > 0)
            r.moveLast();
        r.addNew();
        grdDataGrid->setFocus();
    });
}

void GridEntryForm::cmdRefresh_Click()
{
    trapped([this] {
        db::Recordset& r = rs();
        commitControls();
        gridModel->setRecordset(nullptr);
        try {
            r.requery();
        } catch (...) {
            gridModel->setRecordset(&r);
            throw;
        }
        gridModel->setRecordset(&r);
    });
}
