#pragma once
// The invoice layout designer "发票设置": the field rows of fp in a grid and as numbered boxes on the
// picture of the blank invoice, the three band limits of fpLine as coloured lines across it, and the
// paper row of fpPaperSize. Applying places the boxes and saves the limits and the paper row, with the
// picture's size; "生成发票结构" rebuilds the invoice print tables from the field rows.
#include "qelv/core/layout_designer_form.h"

#include <array>

class QFrame;

class frmFPSetUp : public layoutDesign::DesignerForm {
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
    void List1_LostFocus();
    void List2_LostFocus();
    void List3_LostFocus();

    db::Recordset* ContrlText() const { return rs_.get(); }

    QLabel* Picture1;
    QFrame* Line1; // HeadHeigth, red
    QFrame* Line2; // DetailHeigth, blue
    QFrame* Line3; // FooterHeigth, magenta
    std::array<QLabel*, 3> Label2; // the captions of the limits
    std::array<QFrame*, 3> LimitLines; // Line4, Line5, Line6 beside them
    std::array<QLineEdit*, 3> Text2; // HeadHeigth, DetailHeigth, FooterHeigth
    QLabel* Label5;
    QLineEdit* Text5; // JianXi
    // List1 holds the bands.
};
