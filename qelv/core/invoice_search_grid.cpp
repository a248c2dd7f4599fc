#include "qelv/core/invoice_search_grid.h"

#include "platform/ui/dialogs.h"
#include "platform/ui/field_text.h"
#include "platform/ui/recordset_model.h"
#include "qelv/core/invoice_search.h"

#include <QLineEdit>

namespace invoiceSearch {

FoundGrid::FoundGrid(QWidget* window, const Boxes& boxes, ui::RecordsetModel* model)
    : window_(window),
      boxes_(boxes),
      model_(model)
{
    model_->setErrorHandler([window](const std::exception& e) { ui::showError(e, window); });
}

FoundGrid::~FoundGrid()
{
    model_->setRecordset(nullptr);
}

bool FoundGrid::find()
{
    try {
        Search found = search(boxes_.year->text(), boxes_.number->text(), boxes_.name->text(), boxes_.month->text());
        if (!found.refusal.isEmpty()) {
            ui::inform(found.refusal, window_);
            return false;
        }
        auto rows = openGrid(*found.billing, found.month, found.enterprises);
        QList<ui::GridColumn> columns;
        for (const QString& field : rows->fieldNames())
            columns << ui::GridColumn{field, field, 1200};
        // The model lets go of the rows shown before they go, and they before their file.
        model_->setRecordset(nullptr);
        model_->setColumns(columns);
        rows_ = std::move(rows);
        billing_ = std::move(found.billing);
        model_->setRecordset(rows_.get());
        year_ = found.year;
        month_ = found.month;
        if (found.byNumber) {
            boxes_.name->setText(ui::fieldText(found.name));
            boxes_.month->setText(QString::number(found.month));
        }
        return true;
    } catch (const std::exception& e) {
        ui::showError(e, window_);
        return false;
    }
}

QVariant FoundGrid::cell(int row, Column column) const
{
    return rows_->valueAt(row, model_->fieldOf(column));
}

invoicePayment::Invoice FoundGrid::invoiceAt(int row) const
{
    invoicePayment::Invoice invoice;
    invoice.enterprise = cell(row, Enterprise).toString();
    invoice.month = month_;
    invoice.number = ui::fieldText(cell(row, Number));
    invoice.invoiceDate = cell(row, InvoiceDate).toDate();
    return invoice;
}

} // namespace invoiceSearch
