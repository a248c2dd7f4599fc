#include "qelv/core/layout_designer_form.h"

#include "platform/ui/controls.h"
#include "platform/ui/data_grid.h"
#include "platform/ui/dialogs.h"
#include "platform/ui/field_text.h"
#include "platform/ui/fixed_dialog.h"
#include "qelv/core/Module1.h"
#include "qelv/core/data_files.h"

#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

namespace layoutDesign {

DesignerForm::DesignerForm(QWidget* owner, Design design)
    : Form(owner, ui::fixedDialogFlags),
      design_(std::move(design))
{
}

DesignerForm::~DesignerForm()
{
    model_->setRecordset(nullptr);
}

void DesignerForm::makeGrid(double width, const QList<int>& buttonColumns)
{
    DataGrid1 = ui::control<ui::DataGrid>(this, "DataGrid1", 30, 60, width, 3000);
    model_ = new ui::RecordsetModel(this);
    model_->setColumns(design_.columns);
    DataGrid1->setRecordsetModel(model_);
    DataGrid1->setButtonColumns(buttonColumns);
    connect(DataGrid1, &ui::DataGrid::buttonClick, this, &DesignerForm::DataGrid1_ButtonClick);
}

QLabel* DesignerForm::makeCanvas(const char* pictureName, double width, double height)
{
    canvas = new LayoutCanvas(this, pictureName);
    ui::placeTwips(canvas, 30, 3180, width, height);
    Image1 = canvas->image();
    for (int i = 0; i < boxCount; ++i)
        Text1[i] = canvas->box(i);
    return canvas->picture();
}

void DesignerForm::makeLists(const QStringList& list1Items, double list1Height, const QStringList& fieldNames)
{
    List1 = makePicker(this, "List1", list1Items, list1Height);
    List2 = makePicker(this, "List2", {"0", "1", "2"}, 840);
    List3 = makePicker(this, "List3", fieldNames, 2400);
    connect(List1, &QListWidget::itemClicked, this, &DesignerForm::List1_Click);
    connect(List2, &QListWidget::itemClicked, this, &DesignerForm::List2_Click);
    connect(List3, &QListWidget::itemClicked, this, &DesignerForm::List3_Click);
}

void DesignerForm::openLayoutRows(const QString& table)
{
    conn_ = std::make_unique<db::Connection>(db::DataFile{QString::fromLatin1(dataFiles::printLayouts)});
    rs_ = conn_->openRecordset(QStringLiteral("Select * from %1 order by ID ASC").arg(table), {},
                               db::LockType::Optimistic);
    model_->setRecordset(rs_.get());
}

void DesignerForm::showPaperRow(const QString& table, QLineEdit* gap)
{
    auto paper = conn_->openRecordset(QStringLiteral("Select * from %1").arg(table), {}, db::LockType::ReadOnly);
    if (!paper->isEOF()) {
        Text3->setText(ui::fieldText(paper->value(QStringLiteral("PaperWidth"))));
        Text4->setText(ui::fieldText(paper->value(QStringLiteral("Paperheigth"))));
        gap->setText(ui::fieldText(paper->value(QStringLiteral("JianXi"))));
    }
}

void DesignerForm::showSavedPicture(const QString& defaultFile)
{
    canvas->showSavedPicture(QString::fromLatin1(design_.pathSetting), defaultFile);
}

void DesignerForm::requireOpen(bool open) const
{
    if (!open)
        throw db::Error(
            QStringLiteral("%1 %2 没有打开。").arg(design_.layoutFile, QString::fromLatin1(dataFiles::printLayouts)));
}

std::optional<QList<double>> DesignerForm::readBoxes(const QList<NumberBox>& boxes)
{
    QString problem;
    auto values = readNumberBoxes(boxes, &problem);
    if (!values)
        ui::inform(problem, this);
    return values;
}

void DesignerForm::placeBoxes()
{
    writeGridEdit(*DataGrid1, rs_.get());
    canvas->placeBoxes(*rs_, design_.columns);
}

void DesignerForm::rebuildFromGrid(RebuildTables rebuild)
{
    requireOpen(conn_ != nullptr);
    writeGridEdit(*DataGrid1, rs_.get());
    rebuild(
        *conn_, Module1::gWorkMonth,
        [this](const QString& question) { return ui::askYesNo(question, QString::fromUtf8(ui::appTitle), this); },
        messageBoxSink(this));
}

void DesignerForm::Command3_Click()
{
    ui::showingErrors(this, [this] { canvas->chooseAnotherPicture(QString::fromLatin1(design_.pathSetting), this); });
}

void DesignerForm::DataGrid1_ButtonClick(int colIndex)
{
    const auto& c = design_.listColumns;
    QListWidget* list = colIndex == c[0] ? List1 : colIndex == c[1] ? List2 : colIndex == c[2] ? List3 : nullptr;
    if (!list)
        return;
    ui::showingErrors(this, [&] { dropPicker(list, *DataGrid1, colIndex); });
}

void DesignerForm::choose(QListWidget* list, int column)
{
    ui::showingErrors(this, [&] { choosePicked(list, *DataGrid1, column); });
}

void DesignerForm::List1_Click()
{
    choose(List1, design_.listColumns[0]);
}

void DesignerForm::List2_Click()
{
    choose(List2, design_.listColumns[1]);
}

void DesignerForm::List3_Click()
{
    choose(List3, design_.listColumns[2]);
}

} // namespace layoutDesign
