#pragma once
// The collection layout designer "委托单页面设置": the element rows of wt in a grid and as numbered
// boxes on the picture of the bank's blank form, and the paper row of wtPaperSize. Applying places the
// boxes and saves the paper row with the picture's size; Command2 builds the collection print file
// from the "字段" rows.
#include "platform/db/connection.h"
#include "platform/db/recordset.h"
#include "platform/ui/recordset_model.h"
#include "qelv/core/Form.h"

#include <QList>
#include <array>
#include <memory>

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

class frmWTPintSet : public Form {
    Q_OBJECT
public:
    static constexpr const char* formName = "frmWTPintSet";
    explicit frmWTPintSet(QWidget* owner = nullptr);
    ~frmWTPintSet() override;

    // The grid's columns, in their order.
    enum Column {
        IdColumn = 0,
        NameColumn,
        TopColumn,
        LeftColumn,
        WidthColumn,
        HeightColumn,
        FontSizeColumn,
        AlignColumn,
        KindColumn
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

    db::Recordset* layoutRows() const { return rs_.get(); }

    ui::DataGrid* DataGrid1;
    layoutDesign::LayoutCanvas* canvas;
    QLabel* Picture2;
    QLabel* Image1;
    std::array<QLineEdit*, 51> Text1;
    QLabel* Label3;
    QLineEdit* Text3; // PaperWidth
    QLabel* Label4;
    QLineEdit* Text4; // Paperheigth
    QLabel* Label1;
    QLineEdit* Text2; // JianXi
    QListWidget* List1; // kinds
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
