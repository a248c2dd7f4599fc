#pragma once
// The collection layout designer "委托单页面设置": the element rows of wt in a grid and as numbered
// boxes on the picture of the bank's blank form, and the paper row of wtPaperSize. Applying places the
// boxes and saves the paper row with the picture's size; Command2 builds the collection print file
// from the "字段" rows.
#include "qelv/core/layout_designer_form.h"

class frmWTPintSet : public layoutDesign::DesignerForm {
    Q_OBJECT
public:
    static constexpr const char* formName = "frmWTPintSet";
    explicit frmWTPintSet(QWidget* owner = nullptr);

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

    db::Recordset* layoutRows() const { return rs_.get(); }

    QLabel* Picture2;
    QLabel* Label1;
    QLineEdit* Text2; // JianXi
    // List1 holds the kinds.
};
