#pragma once
// The invoice run window "票据生成": the enterprises billed in the operating month with their invoice
// numbers, narrowed by the list filter; generating the invoices of all listed or of the ticked ones;
// the generated invoices one at a time in the preview; and printing them over a typed range of
// invoice numbers, on continuous stationery or on single sheets.
#include "platform/db/connection.h"
#include "platform/db/related_recordsets.h"
#include "qelv/core/Form.h"
#include "qelv/core/navigation.h"
#include "qelv/invoicing/list_filter.h"

#include <QDate>
#include <QList>
#include <QString>
#include <array>
#include <cstdint>
#include <memory>

class QAction;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QStatusBar;
class QToolBar;
class QTreeWidget;

namespace ui {
class DataGrid;
class FieldBinding;
class RecordsetModel;
} // namespace ui

class frmPJSCDY : public Form, public navigation::RecordBar {
    Q_OBJECT
public:
    static constexpr const char* formName = "frmPJSCDY";
    explicit frmPJSCDY(QWidget* owner = nullptr);
    ~frmPJSCDY() override;

    void Form_Load();
    void LoadDueEnterprises(const invoicing::ListCondition& filter);
    void ApplyListFilter();
    void Toolbar1_ButtonClick(const QString& key);
    void Command1_Click();
    void ShowGeneratedInvoices();
    void adoPrimaryRS_MoveComplete();
    void GenerateInvoices(bool selectedOnly);
    void PrintInvoicesContinuous();
    void PrintInvoicesNonContinuous();

    // The key of a list row ("No1" for the first), empty past the end.
    QString rowKey(int row) const;
    // The preview's invoices; null before "显示发票".
    db::Recordset* adoPrimaryRS() const { return preview_ ? &preview_->parent() : nullptr; }

    std::int16_t ListedCount = 0;

    QToolBar* Toolbar1;
    QTreeWidget* ListView1;
    QPushButton* Command1;
    std::array<QLineEdit*, 9> Text; // Text1 .. Text9
    ui::DataGrid* DataGrid1;
    QLabel* lblStatus;
    QProgressBar* ProgressBar1;
    QStatusBar* sbStatusBar;
    std::array<QLabel*, 4> panels;

private:
    void buildToolbar(double width);
    // Lays the preview out; returns the window's width in twips, which its invoice lines need.
    double buildPreview();
    // False, after saying so, when the operating month is no longer the one the list was loaded for.
    bool listIsCurrent();

    QDate loadedMonth_;
    std::unique_ptr<db::Connection> previewConn_;
    std::unique_ptr<db::RelatedRecordsets> preview_;
    ui::FieldBinding* binding_;
    ui::RecordsetModel* linesModel_;
};
