#pragma once
// The monthly workbench "排污数据录入": the enterprises with their assignments of pollutants and
// outlets, the current assignment's discharge figures of the operating month with its fee computed
// from the pollutant's formula, the enterprise's billing-control row of the year, and the commands
// that make the month's discharge-data file.
#include "platform/db/connection.h"
#include "platform/db/recordset.h"
#include "platform/db/related_recordsets.h"
#include "platform/ui/data_grid.h"
#include "platform/ui/recordset_model.h"
#include "qelv/core/Form.h"

#include <memory>

class QGroupBox;
class QKeyEvent;
class QLabel;
class QPushButton;
class QResizeEvent;
class QStatusBar;
class QTimer;
class QTreeWidget;

class frmKaiPiao : public Form {
    Q_OBJECT
public:
    static constexpr const char* formName = "frmKaiPiao";
    explicit frmKaiPiao(QWidget* owner = nullptr);
    ~frmKaiPiao() override;

    void Form_Load();
    void Form_Resize();
    // The keys of the window itself; true when the key moved the assignments.
    bool Form_KeyDown(int keyCode, Qt::KeyboardModifiers shift);
    void Form_Unload() override;

    void RefreshMonthRow();
    void adoPrimaryRS_MoveComplete();
    void ad_MoveComplete();

    void Command1_Click(); // last enterprise
    void Command2_Click(); // next enterprise
    void Command3_Click(); // previous enterprise
    void Command4_Click(); // first enterprise
    void cmdFirst_Click();
    void cmdPrevious_Click();
    void cmdNext_Click();
    void cmdLast_Click();
    void Command5_Click(); // 复制指定月份数据
    void Command6_Click(); // 复制最新数据
    void Command7_Click(); // 打印开票单位数据: the month's fee list
    void Command8_Click(); // closes

    void ComputeFeeOrToggle(int column);
    void RecalcAfterEdit(int column);
    // Moves as the key says; the key then goes on to the grid.
    void DataGrid2_KeyDown(int keyCode, Qt::KeyboardModifiers shift);
    void ToggleMonthFlag(int column);
    void PickEquivalent();

    // Null while not open.
    db::Recordset* enterprises() const { return pair_ ? &pair_->parent() : nullptr; }
    db::Recordset* assignments() const { return pair_ ? &pair_->child() : nullptr; }
    db::Recordset* billingRow() const { return billingRs_.get(); }
    db::Recordset* monthRow() const { return monthRs_.get(); }
    bool gridsBound() const { return gridsBound_; }
    int pickColumn() const { return pickColumn_; }
    // The text of a status-bar panel, counted from 1.
    QString panelText(int panel) const;

    QGroupBox* Frame1;
    QGroupBox* Frame2;
    ui::DataGrid* DataGrid1;
    ui::DataGrid* grdDataGrid;
    ui::DataGrid* DataGrid2;
    ui::DataGrid* DataGrid3;
    QTreeWidget* ListView1;
    QLabel* Label1;
    QLabel* lblStatus;
    QWidget* picStatBox;
    QPushButton* Command1;
    QPushButton* Command2;
    QPushButton* Command3;
    QPushButton* Command4;
    QPushButton* cmdFirst;
    QPushButton* cmdPrevious;
    QPushButton* cmdNext;
    QPushButton* cmdLast;
    QPushButton* Command5;
    QPushButton* Command6;
    QPushButton* Command7;
    QPushButton* Command8;
    QStatusBar* sbStatusBar;

protected:
    void resizeEvent(QResizeEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void navigate(db::Recordset* rs, void (*move)(db::Recordset&));
    void openBillingRow(const QString& number);
    void bindBillingGrid(int remarkWidth);
    void bindMonthGrid();
    // Shows no row; unbindMonthGrid also takes the grid off its model.
    void clearMonthGrid();
    void unbindMonthGrid();
    void writePendingMonthRow();
    void writePendingBillingRow();
    void computeFee(int feeColumn);
    int feeColumn() const;
    QString monthCaption(int column) const;
    // Copies a file over the operating month's file, then binds the grids to it again.
    void replaceMonthFile(const QString& from);

    std::unique_ptr<db::Connection> conn_; // the enterprise file
    std::unique_ptr<db::RelatedRecordsets> pair_;
    std::unique_ptr<db::Connection> billingConn_;
    std::unique_ptr<db::Recordset> billingRs_;
    std::unique_ptr<db::Connection> monthConn_;
    std::unique_ptr<db::Recordset> monthRs_;
    std::unique_ptr<db::Connection> ledgerConn_;
    std::unique_ptr<db::Connection> wrwConn_;
    ui::RecordsetModel* enterpriseModel_;
    ui::RecordsetModel* assignmentModel_;
    ui::RecordsetModel* billingModel_;
    ui::RecordsetModel* monthModel_;
    QList<QLabel*> panels_;
    QTimer* clock_;
    bool gridsBound_ = false;
    int pickColumn_ = 0;
};
