#pragma once
// What the two layout designers (the invoice's and the collection document's) share: the picture of
// the blank form with one numbered box per layout row on it, the lists dropped below a grid cell to
// choose the cell's value from, and the number boxes of the paper row.
//
// Layout values are hundredths of a millimetre on the picture, measured from its top-left corner. The
// boxes stand at 56.693 twips a millimetre; the picture's own size goes back into the layout at 56.69.
#include "platform/ui/recordset_model.h"

#include <QList>
#include <QScrollArea>
#include <QString>
#include <QStringList>
#include <optional>

class QLabel;
class QLineEdit;
class QListWidget;

namespace db {
class Connection;
class Recordset;
} // namespace db
namespace ui {
class DataGrid;
}

namespace layoutDesign {

inline constexpr double boxTwipsPerMm = 56.693;
inline constexpr double pictureTwipsPerMm = 56.69;
inline constexpr double smallestWidth = 255; // hundredths of a millimetre
inline constexpr int boxCount = 51; // boxes 0 to 50, one per layout ID

// A layout value in twips on the picture: value / 100 × 56.693.
double toTwips(double hundredths);
// A size of the picture in twips as the paper row keeps it: twips / 56.69 × 100, to the 15
// significant digits the layout file has always held.
double pictureHundredths(double twips);

// The picture area: a scrolled picture of the blank form at its natural size (15 twips a pixel), with
// the 51 boxes on it. `pictureName` names the area the boxes lie on (Picture1, Picture2); the loaded
// picture is kept in Image1, of which the area takes size and picture.
class LayoutCanvas : public QScrollArea {
    Q_OBJECT
public:
    LayoutCanvas(QWidget* window, const char* pictureName);

    QLabel* picture() const { return picture_; }
    QLabel* image() const { return image_; }
    QLineEdit* box(int id) const { return boxes_.at(id); }

    // Loads the file into Image1 at its natural size; throws files::Error when it is missing or holds
    // no picture. The picture area is not changed until fitToImage.
    void loadPicture(const QString& path);
    // The picture area takes Image1's size and picture.
    void fitToImage();
    double pictureWidthTwips() const;
    double pictureHeightTwips() const;

    // The picture named by the setting (by default `defaultFile` in the program folder's pic/), loaded
    // and fitted. Throws as loadPicture.
    void showSavedPicture(const QString& setting, const QString& defaultFile);
    // Asks for another picture with the open-file dialog; a chosen one is loaded, fitted and kept in
    // the setting, a cancelled dialog changes nothing. Throws as loadPicture.
    void chooseAnotherPicture(const QString& setting, QWidget* parent);
    // Writes the paper row (every row of `table`): paper width, height and gap, and the picture's
    // size in hundredths of a millimetre while a picture is shown, all bound.
    void savePaperRow(db::Connection& layoutFile, const QString& table, double paperWidth, double paperHeight,
                      double gap) const;

    // Places one box per layout row, the rows taken in their order (ID order): at Left and Top, Width
    // wide (a width below 255 or none is raised to 255 and written), Height high (when the box takes
    // another height than asked, the row's Height becomes the box's height, written), in FontSize
    // points when that is above 0, showing the row's ID, aligned by Align (0 left, 1 right, 2 centred).
    // Boxes of no row are hidden; rows with the same ID share a box, the later one showing. The current
    // row is left where it was. Without rows nothing changes. Throws, with the rows after the failing
    // one not placed, for a row without ID or with one outside 0 to 50, for a row without Left, Top,
    // Height or Align, for an Align other than 0, 1 or 2, and for what the recordset refuses to write;
    // `columns` give the captions under which the message names the row's cells.
    void placeBoxes(db::Recordset& rows, const QList<ui::GridColumn>& columns);

private:
    bool fitted_ = false;
    QLabel* picture_;
    QLabel* image_;
    QList<QLineEdit*> boxes_;
};

// Puts what the grid has pending into the rows' table, as leaving the grid for a button does.
void writeGridEdit(ui::DataGrid& grid, db::Recordset* rows);

// A list dropped below a grid cell, hidden until dropped.
QListWidget* makePicker(QWidget* window, const char* name, const QStringList& items, double heightTwips);
// Drops the list below the current cell of the grid's column: its top the row height × (the current
// row's place among the visible rows + 1) + the column's top + 60 twips, its left the column's left +
// 30, its width the column's, all in the window's coordinates (the grid's own place is not added, so
// a grid standing at 30, 60 has the list right below the cell); shows it in front, with the focus.
void dropPicker(QListWidget* list, const ui::DataGrid& grid, int column);
// Puts the list's chosen item into the current row's cell of the column, as typing would, and hides
// the list. Throws what the grid throws (no current row, a value the column refuses).
void choosePicked(QListWidget* list, ui::DataGrid& grid, int column);

// A box of the paper row, checked before anything is saved.
struct NumberBox {
    enum Rule {
        Number, // any number
        AboveZero, // a paper size
        SixteenBit, // the gap, which printing takes as a 16-bit whole number
    };
    const QLineEdit* box;
    QString caption; // as beside the box, without the colon
    Rule rule;
};
// The numbers the boxes hold, in order; std::nullopt when one does not hold what its rule asks, with
// the message naming that box in `problem`.
std::optional<QList<double>> readNumberBoxes(const QList<NumberBox>& boxes, QString* problem);

} // namespace layoutDesign
