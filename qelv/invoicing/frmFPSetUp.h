#pragma once
// The invoice layout designer "发票设置": the field rows of fp in a grid and as numbered boxes on the
// picture of the blank invoice, the three band limits of fpLine as coloured lines across it, and the
// paper row of fpPaperSize. Applying places the boxes and saves the limits and the paper row, with the
// picture's size; "生成发票结构" rebuilds the invoice print tables from the field rows.
#include "platform/db/connection.h"
#include "platform/db/recordset.h"
#include "platform/ui/recordset_model.h"
#include "qelv/core/Form.h"

#include <QList>
#include <array>
#include <memory>

class QFrame;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;

namespace ui {
class DataGrid;
}
namespace layoutDesign {
class LayoutCanvas;
}

class frmFPSetUp : public Form {
    Q_OBJECT
public:
    static constexpr const char* formName = "frmFPSetUp";
    explicit frmFPSetUp(QWidget* owner = nullptr);
    ~frmFPSetUp() override;

    // The grid's columns, in their order.
    enum Column {
        IdColumn = 0,
        NameColumn,
        BandColumn,
        TopColumn,
        LeftColumn,
        WidthColumn,
        HeightColumn,
        FontSizeColumn,
        AlignColumn
    };
    static const QList<ui::GridColumn>& columns();

    void Form_Load();
    void Command1_Click();
    void Command2_Click();
    void Command3_Click();
    void DataGrid1_ButtonClick(int colIndex);
    void List1_Click();
    void List2_Click();
    void List3_Click();
    void List1_LostFocus();
    void List2_LostFocus();
    void List3_LostFocus();

    db::Recordset* ContrlText() const { return rs_.get(); }

    ui::DataGrid* DataGrid1;
    layoutDesign::LayoutCanvas* canvas;
    QLabel* Picture1;
    QLabel* Image1;
    std::array<QLineEdit*, 51> Text1;
    QFrame* Line1; // HeadHeigth, red
    QFrame* Line2; // DetailHeigth, blue
    QFrame* Line3; // FooterHeigth, magenta
    std::array<QLabel*, 3> Label2; // the captions of the limits
    std::array<QFrame*, 3> LimitLines; // Line4, Line5, Line6 beside them
    std::array<QLineEdit*, 3> Text2; // HeadHeigth, DetailHeigth, FooterHeigth
    QLabel* Label3;
    QLineEdit* Text3; // PaperWidth
    QLabel* Label4;
    QLineEdit* Text4; // Paperheigth
    QLabel* Label5;
    QLineEdit* Text5; // JianXi
    QListWidget* List1; // bands
    QListWidget* List2; // alignments
    QListWidget* List3; // field names
    QPushButton* Command1;
    QPushButton* Command2;
    QPushButton* Command3;

private:
    void choose(QListWidget* list, int column);

    ui::RecordsetModel* model_;
    std::unique_ptr<db::Connection> conn_;
    std::unique_ptr<db::Recordset> rs_;
};
