#include "qelv/core/layout_canvas.h"

#include "platform/convert/convert.h"
#include "platform/db/connection.h"
#include "platform/db/recordset.h"
#include "platform/files/files.h"
#include "platform/settings/settings.h"
#include "platform/ui/data_grid.h"
#include "platform/ui/dialogs.h"
#include "platform/ui/twips.h"

#include <QFileInfo>
#include <QImageReader>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPixmap>
#include <cmath>

namespace layoutDesign {

namespace {

QString captionOf(const QList<ui::GridColumn>& columns, const QString& field)
{
    for (const ui::GridColumn& c : columns)
        if (c.field.compare(field, Qt::CaseInsensitive) == 0)
            return c.caption;
    return field;
}

Qt::Alignment alignmentOf(int align)
{
    switch (align) {
    case 1:
        return Qt::AlignRight | Qt::AlignVCenter;
    case 2:
        return Qt::AlignHCenter | Qt::AlignVCenter;
    default:
        return Qt::AlignLeft | Qt::AlignVCenter;
    }
}

} // namespace

double toTwips(double hundredths)
{
    return hundredths / 100 * boxTwipsPerMm;
}

double pictureHundredths(double twips)
{
    return convert::fifteenDigits(twips / pictureTwipsPerMm * 100);
}

LayoutCanvas::LayoutCanvas(QWidget* window, const char* pictureName)
    : QScrollArea(window)
{
    setWidgetResizable(false);
    setBackgroundRole(QPalette::Dark);
    picture_ = new QLabel;
    picture_->setObjectName(QString::fromLatin1(pictureName));
    picture_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    picture_->setAutoFillBackground(true);
    picture_->resize(0, 0);
    setWidget(picture_);

    // Image1 only holds the picture as loaded; the area shows it.
    image_ = new QLabel(this);
    image_->setObjectName(QStringLiteral("Image1"));
    image_->hide();

    for (int i = 0; i < boxCount; ++i) {
        auto* box = new QLineEdit(picture_);
        box->setObjectName(QStringLiteral("Text1%1").arg(i));
        // Flat, with a single-line border.
        box->setFrame(false);
        box->setStyleSheet(QStringLiteral("QLineEdit { border: 1px solid black; background: white; padding: 0px; }"));
        box->setText(QString::number(i));
        box->hide();
        boxes_ << box;
    }
}

void LayoutCanvas::loadPicture(const QString& path)
{
    const QString file = files::resolve(path);
    if (!files::exists(file))
        throw files::Error(QStringLiteral("文件未找到：%1").arg(path));
    QImageReader reader(file);
    const QImage read = reader.read();
    if (read.isNull())
        throw files::Error(QStringLiteral("无法读取图片：%1（%2）").arg(path, reader.errorString()));
    image_->setPixmap(QPixmap::fromImage(read));
    image_->resize(read.size());
}

void LayoutCanvas::fitToImage()
{
    picture_->setPixmap(image_->pixmap());
    picture_->resize(image_->size());
    fitted_ = true;
}

void LayoutCanvas::showSavedPicture(const QString& setting, const QString& defaultFile)
{
    loadPicture(settings::get(setting, files::appPath() + QStringLiteral("/pic/") + defaultFile));
    fitToImage();
}

void LayoutCanvas::chooseAnotherPicture(const QString& setting, QWidget* parent)
{
    const QString chosen = ui::openFileName(QStringLiteral("打开图片"), parent);
    if (chosen.isEmpty())
        return;
    const QString path = QFileInfo(chosen).absoluteFilePath();
    loadPicture(path);
    fitToImage();
    settings::save(setting, path);
}

void LayoutCanvas::savePaperRow(db::Connection& layoutFile, const QString& table, double paperWidth, double paperHeight,
                                double gap) const
{
    const QString name = db::quoteIdentifier(table);
    if (fitted_)
        layoutFile.execute(QStringLiteral("Update %1 Set PaperWidth = ?, Paperheigth = ?, PictureWidth = ?, "
                                          "PictureHeigth = ?, JianXi = ?")
                               .arg(name),
                           {paperWidth, paperHeight, pictureHundredths(pictureWidthTwips()),
                            pictureHundredths(pictureHeightTwips()), gap});
    else
        // Without a picture there is no size to save: the row keeps the one it has.
        layoutFile.execute(QStringLiteral("Update %1 Set PaperWidth = ?, Paperheigth = ?, JianXi = ?").arg(name),
                           {paperWidth, paperHeight, gap});
}

double LayoutCanvas::pictureWidthTwips() const
{
    return ui::twips(picture_->width());
}

double LayoutCanvas::pictureHeightTwips() const
{
    return ui::twips(picture_->height());
}

void LayoutCanvas::placeBoxes(db::Recordset& rows, const QList<ui::GridColumn>& columns)
{
    if (rows.recordCount() == 0)
        return;
    const bool onRow = rows.absolutePosition() > 0;
    const db::Bookmark start = onRow ? rows.bookmark() : 0;
    rows.moveFirst();
    for (QLineEdit* box : boxes_)
        box->hide();
    const QString idField = QStringLiteral("ID");
    for (; !rows.isEOF(); rows.moveNext()) {
        const QVariant idValue = rows.value(idField);
        if (idValue.isNull())
            throw platform::Error(QStringLiteral("有一行没有“%1”，无法放置。").arg(captionOf(columns, idField)));
        const double idNumber = convert::toDouble(idValue);
        int id = -1;
        try {
            id = convert::toInt16(idNumber);
        } catch (const convert::Error&) {
        }
        if (id < 0 || id >= boxCount)
            throw platform::Error(QStringLiteral("“%1”为 %2 的行无法放置：“%1”必须在 0 到 %3 之间。")
                                      .arg(captionOf(columns, idField), convert::plainNumber(idNumber))
                                      .arg(boxCount - 1));
        auto required = [&](const char* name) {
            const QString field = QString::fromLatin1(name);
            const QVariant v = rows.value(field);
            if (v.isNull())
                throw platform::Error(QStringLiteral("“%1”为 %2 的行没有“%3”，无法放置。")
                                          .arg(captionOf(columns, idField))
                                          .arg(id)
                                          .arg(captionOf(columns, field)));
            return convert::toDouble(v);
        };
        QLineEdit* box = boxes_[id];
        const double left = toTwips(required("Left"));
        const double top = toTwips(required("Top"));
        const QVariant width = rows.value(QStringLiteral("Width"));
        if (width.isNull() || convert::toDouble(width) < smallestWidth) {
            rows.setValue(QStringLiteral("Width"), smallestWidth);
            rows.update();
        }
        const double height = required("Height");
        const double alignValue = required("Align");
        const int align = static_cast<int>(alignValue);
        if (alignValue != align || align < 0 || align > 2)
            throw platform::Error(QStringLiteral("“%1”为 %2 的行的“%3”必须是 0、1 或 2。")
                                      .arg(captionOf(columns, idField))
                                      .arg(id)
                                      .arg(captionOf(columns, QStringLiteral("Align"))));

        const double asked = toTwips(height);
        ui::placeTwips(box, left, top, toTwips(convert::toDouble(rows.value(QStringLiteral("Width")))), asked);
        // The box takes whole pixels; the row keeps the height it really has.
        const double taken = ui::twips(box->height());
        if (taken != std::trunc(asked)) {
            rows.setValue(QStringLiteral("Height"), taken * 100 / boxTwipsPerMm);
            rows.update();
        }
        const QVariant fontSize = rows.value(QStringLiteral("FontSize"));
        if (!fontSize.isNull() && convert::toDouble(fontSize) > 0) {
            QFont font = box->font();
            font.setPointSizeF(convert::toDouble(fontSize));
            box->setFont(font);
        }
        box->setText(QString::number(id));
        box->setAlignment(alignmentOf(align));
        box->show();
    }
    if (onRow)
        rows.setBookmark(start);
}

void writeGridEdit(ui::DataGrid& grid, db::Recordset* rows)
{
    grid.commitEdit();
    if (rows && rows->editMode() != db::EditMode::None)
        rows->update();
}

QListWidget* makePicker(QWidget* window, const char* name, const QStringList& items, double heightTwips)
{
    auto* list = new QListWidget(window);
    list->setObjectName(QString::fromLatin1(name));
    list->addItems(items);
    list->setStyleSheet(QStringLiteral("QListWidget { background-color: rgb(192, 192, 255); }"));
    list->setCursor(Qt::PointingHandCursor);
    list->resize(list->width(), ui::px(heightTwips));
    list->hide();
    return list;
}

void dropPicker(QListWidget* list, const ui::DataGrid& grid, int column)
{
    // The distance from one row to the next, grid line included.
    const double rowHeight = grid.rowHeightTwips() + (grid.showGrid() ? ui::twipsPerPixel : 0);
    const int row = qMax(0, grid.visibleRow());
    ui::placeTwips(list, grid.columnLeft(column) + 30, rowHeight * (row + 1) + grid.columnTop() + 60,
                   grid.columnWidthTwips(column), ui::twips(list->height()));
    list->show();
    list->raise();
    list->setFocus();
}

void choosePicked(QListWidget* list, ui::DataGrid& grid, int column)
{
    QListWidgetItem* item = list->currentItem();
    if (!item)
        return;
    grid.setText(column, item->text());
    list->hide();
}

std::optional<QList<double>> readNumberBoxes(const QList<NumberBox>& boxes, QString* problem)
{
    QList<double> values;
    for (const NumberBox& b : boxes) {
        const QString text = b.box->text();
        bool fits = convert::isNumeric(text);
        const double value = fits ? convert::toDouble(text) : 0;
        QString why;
        switch (b.rule) {
        case NumberBox::Number:
            why = QStringLiteral("“%1”必须是数字。").arg(b.caption);
            break;
        case NumberBox::AboveZero:
            fits = fits && value > 0;
            why = QStringLiteral("“%1”必须是大于 0 的数字。").arg(b.caption);
            break;
        case NumberBox::SixteenBit:
            try {
                if (fits)
                    convert::toInt16(value);
            } catch (const convert::Error&) {
                fits = false;
            }
            why = QStringLiteral("“%1”必须是 -32768 到 32767 之间的数字。").arg(b.caption);
            break;
        }
        if (!fits) {
            if (problem)
                *problem = why;
            return std::nullopt;
        }
        values << value;
    }
    return values;
}

} // namespace layoutDesign
