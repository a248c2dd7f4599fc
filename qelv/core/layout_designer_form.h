#pragma once
// The window both layout designers are: the layout rows of their table in a grid, the picture of the
// blank form with one box per row (see LayoutCanvas), the paper size boxes, three lists dropped below
// the grid's cells and the buttons that apply, rebuild the print tables and choose another picture.
// Each designer places and captions its own controls, with the helpers below, in its own order.
#include "platform/db/connection.h"
#include "platform/db/recordset.h"
#include "platform/ui/recordset_model.h"
#include "qelv/core/Form.h"
#include "qelv/core/error_sink.h"
#include "qelv/core/layout_canvas.h"
#include "qelv/core/print_file_rebuild.h"

#include <QDate>
#include <QList>
#include <QStringList>
#include <array>
#include <memory>
#include <optional>

class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;

namespace ui {
class DataGrid;
}

namespace layoutDesign {

class DesignerForm : public Form {
    Q_OBJECT
public:
    ~DesignerForm() override;

    void Command3_Click();
    // Drops the list of the column; the other columns have none.
    void DataGrid1_ButtonClick(int colIndex);
    void List1_Click();
    void List2_Click();
    void List3_Click();

    ui::DataGrid* DataGrid1;
    LayoutCanvas* canvas;
    QLabel* Image1;
    std::array<QLineEdit*, boxCount> Text1;
    QLabel* Label3;
    QLineEdit* Text3; // PaperWidth
    QLabel* Label4;
    QLineEdit* Text4; // Paperheigth
    QListWidget* List1;
    QListWidget* List2; // alignments
    QListWidget* List3; // field names
    QPushButton* Command1;
    QPushButton* Command2;
    QPushButton* Command3;

protected:
    struct Design {
        const char* pathSetting; // the setting naming the picture
        QString layoutFile; // as the messages name it: "委托单格式文件", "发票格式文件"
        QList<ui::GridColumn> columns;
        std::array<int, 3> listColumns; // the grid columns List1, List2 and List3 fill
    };
    using RebuildTables = bool (*)(db::Connection& layoutFile, const QDate& workMonth,
                                   const printFiles::Confirm& confirmReplace, const ErrorSink& errors);

    DesignerForm(QWidget* owner, Design design);

    // DataGrid1 at 30, 60, where the lists drop below its cells at the grid's own offset.
    void makeGrid(double width, const QList<int>& buttonColumns);
    // The picture area, named `pictureName`, with Image1 and the boxes; returns the picture.
    QLabel* makeCanvas(const char* pictureName, double width, double height);
    // List1 with its own items, List2 with the alignments, List3 with the field names.
    void makeLists(const QStringList& list1Items, double list1Height, const QStringList& fieldNames);

    // Opens the layout rows of `table` in ID order into the grid.
    void openLayoutRows(const QString& table);
    // Shows the paper row of `table` in Text3, Text4 and `gap`, when there is one.
    void showPaperRow(const QString& table, QLineEdit* gap);
    // The picture the setting names, by default `defaultFile` in the program folder's pic/.
    void showSavedPicture(const QString& defaultFile);
    // Throws the message that the layout file is not open unless `open`.
    void requireOpen(bool open) const;
    // The boxes' numbers; std::nullopt, with the problem shown, when one is not what its rule asks.
    std::optional<QList<double>> readBoxes(const QList<NumberBox>& boxes);
    // Places the boxes by the rows as the grid shows them.
    void placeBoxes();
    // Rebuilds the print tables from the rows as the grid shows them.
    void rebuildFromGrid(RebuildTables rebuild);

    ui::RecordsetModel* model_;
    std::unique_ptr<db::Connection> conn_;
    std::unique_ptr<db::Recordset> rs_;

private:
    void choose(QListWidget* list, int column);

    Design design_;
};

} // namespace layoutDesign
