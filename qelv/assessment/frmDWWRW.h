#pragma once
// The enterprise pollutants window "排污单位排放污染物": steps through the enterprises (read-only),
// shows each one's assignments of pollutants and outlets in an editable grid with an empty row for a
// new one, assigns a pollutant picked from the catalogue, deletes assignments and builds the
// discharge template.
#include "platform/db/connection.h"
#include "platform/db/related_recordsets.h"
#include "platform/ui/data_grid.h"
#include "platform/ui/recordset_model.h"
#include "qelv/core/Form.h"

#include <memory>

class QLabel;
class QPushButton;
class QTreeWidget;
class QResizeEvent;
class KeyPreview;

class frmDWWRW : public Form {
    Q_OBJECT
public:
    static constexpr const char* formName = "frmDWWRW";
    explicit frmDWWRW(QWidget* owner = nullptr);
    ~frmDWWRW() override;

    void Form_Load();
    void Form_Resize();
    bool Form_KeyDown(int keyCode, Qt::KeyboardModifiers shift);
    void Form_Unload() override;
    void adoPrimaryRS_MoveComplete();
    void ShowPollutantPicker();
    void PickPollutantForRow();
    void Command1_Click(); // 删除
    void Command2_Click(); // 关闭
    void Command3_Click(); // 创建数据库
    void Command4_Click(); // first
    void Command5_Click(); // previous
    void Command6_Click(); // next
    void Command7_Click(); // last

    // Null when loading failed.
    db::Recordset* enterprises() const { return pair_ ? &pair_->parent() : nullptr; }
    db::Recordset* assignments() const { return pair_ ? &pair_->child() : nullptr; }
    QString assignmentCaption() const;

    ui::DataGrid* DataGrid1;
    ui::DataGrid* grdDataGrid;
    QLabel* Label1;
    QTreeWidget* ListView1;
    QPushButton* Command1;
    QPushButton* Command2;
    QPushButton* Command3;
    QPushButton* Command4;
    QPushButton* Command5;
    QPushButton* Command6;
    QPushButton* Command7;
    QPushButton* cmdClose;
    QPushButton* cmdFirst;
    QPushButton* cmdPrevious;
    QPushButton* cmdNext;
    QPushButton* cmdLast;
    QLabel* lblStatus;

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void navigate(void (*move)(db::Recordset&));
    // Writes the assignment grid's pending edit.
    void writePendingAssignment();

    QLabel* DataGrid1Caption;
    QLabel* grdDataGridCaption;
    QWidget* picStatBox;
    std::unique_ptr<db::Connection> conn_;
    std::unique_ptr<db::Connection> wrwConn_;
    std::unique_ptr<db::RelatedRecordsets> pair_;
    ui::RecordsetModel* enterpriseModel_;
    ui::RecordsetModel* assignmentModel_;
    KeyPreview* keys_;
};
