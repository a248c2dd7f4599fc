// The invoice layout designer: the boxes placed from the field rows, the corrections it writes back,
// the limits and the paper row it saves, the lists it drops, the picture it opens and the rebuild.
#include "platform/db/recordset.h"
#include "platform/settings/settings.h"
#include "platform/ui/data_grid.h"
#include "platform/ui/dialogs.h"
#include "platform/ui/twips.h"
#include "qelv/core/Module1.h"
#include "qelv/core/data_files.h"
#include "qelv/invoicing/frmFPSetUp.h"
#include "tests/fixtures/layout_designer.h"
#include "tests/fixtures/sqlite_probe.h"

#include <QApplication>
#include <QFile>
#include <QFrame>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QtTest>
#include <array>
#include <cmath>
#include <gtest/gtest.h>

namespace {

using fixtures::BoxCase;
using fixtures::boxPx;
using fixtures::bytes;

class InvoiceDesigner : public fixtures::LayoutDesignerTest {
protected:
    QVariant field(int id, const char* column) const { return layoutRow("fp", id, column); }
    QVariant paper(const char* column) const { return layoutValue("fpPaperSize", column); }
    QVariant limit(const char* column) const { return layoutRow("fpLine", 1, column); }
    static bool shows(const frmFPSetUp& w, int id) { return w.Text1[id]->isVisibleTo(w.Picture1); }
    // Makes the row of that ID the current one and gives it a pending value, as typing into the grid does.
    static void edit(frmFPSetUp& w, int id, const char* column, const QVariant& value)
    {
        db::Recordset* rs = w.ContrlText();
        ASSERT_TRUE(rs->find(QStringLiteral("ID"), id)) << id;
        rs->setValue(QString::fromLatin1(column), value);
    }
};

TEST_F(InvoiceDesigner, OpeningOnTheShippedLayoutPlacesEveryFieldAndSavesThePicturesSize)
{
    const double shippedWidth = paper("PictureWidth").toDouble();
    frmFPSetUp w;
    EXPECT_TRUE(ui::testing::shown().empty()) << shownText().toStdString();
    EXPECT_EQ(w.windowTitle(), QStringLiteral("发票设置"));
    EXPECT_TRUE(w.isModal());

    // The picture at its natural size, 15 twips a pixel; its size in hundredths of a millimetre at
    // 56.69 twips a millimetre, to 15 significant digits: 13665 twips by 7935.
    EXPECT_EQ(w.Picture1->size(), QSize(911, 529));
    EXPECT_EQ(paper("PictureWidth").toDouble(), 24104.7803845475);
    EXPECT_EQ(paper("PictureHeigth").toDouble(), 13997.1776327395);
    EXPECT_NE(paper("PictureWidth").toDouble(), shippedWidth) << "the shipped value has all 17 digits";
    // The limits and the paper are saved as read.
    EXPECT_EQ(paper("PaperWidth").toDouble(), 24100);
    EXPECT_EQ(paper("Paperheigth").toDouble(), 14000);
    EXPECT_EQ(paper("JianXi").toDouble(), 500);
    EXPECT_EQ(limit("HeadHeigth").toDouble(), 4000);
    EXPECT_EQ(limit("DetailHeigth").toDouble(), 4800);
    EXPECT_EQ(limit("FooterHeigth").toDouble(), 10400);

    // Each caption names the box beside it.
    EXPECT_EQ(w.Label3->text(), QStringLiteral("发票宽度："));
    EXPECT_EQ(w.Label3->buddy(), w.Text3);
    EXPECT_EQ(w.Text3->text(), QStringLiteral("24100"));
    EXPECT_EQ(w.Label4->text(), QStringLiteral("发票高度："));
    EXPECT_EQ(w.Label4->buddy(), w.Text4);
    EXPECT_EQ(w.Text4->text(), QStringLiteral("14000"));
    EXPECT_EQ(w.Text5->text(), QStringLiteral("500"));
    EXPECT_EQ(w.Text2[0]->text(), QStringLiteral("4000"));
    EXPECT_EQ(w.Text2[1]->text(), QStringLiteral("4800"));
    EXPECT_EQ(w.Text2[2]->text(), QStringLiteral("10400"));

    // Boxes 0 to 21 for the shipped rows, the others hidden; 缴款单位 at 36 mm, 25 mm, 90 by 6 mm.
    for (int id = 0; id < 51; ++id)
        EXPECT_EQ(shows(w, id), id <= 21) << id;
    EXPECT_EQ(w.Text1[0]->geometry(), QRect(boxPx(3600), boxPx(2500), boxPx(9000), boxPx(600)));
    EXPECT_EQ(w.Text1[0]->text(), QStringLiteral("0"));
    EXPECT_EQ(w.Text1[0]->alignment() & Qt::AlignHorizontal_Mask, Qt::AlignLeft);
    EXPECT_EQ(w.Text1[1]->alignment() & Qt::AlignHorizontal_Mask, Qt::AlignHCenter);
    EXPECT_EQ(w.Text1[21]->text(), QStringLiteral("21"));
    EXPECT_EQ(w.Text1[4]->font().pointSizeF(), 9);
    EXPECT_EQ(w.Text1[0]->font().pointSizeF(), 10);
    // 6 mm asks for 340.158 twips; the box takes 23 pixels, 345 twips, which the row keeps.
    EXPECT_EQ(w.Text1[0]->height(), 23);
    EXPECT_DOUBLE_EQ(field(0, "Height").toDouble(), 345 * 100 / 56.693);
    // The limits cross the picture: 40, 48 and 104 mm down.
    EXPECT_EQ(w.Line1->y(), boxPx(4000));
    EXPECT_EQ(w.Line2->y(), boxPx(4800));
    EXPECT_EQ(w.Line3->y(), boxPx(10400));
}

TEST_F(InvoiceDesigner, AWidthBelow255OrNoneIsRaisedTo255AndSaved)
{
    layoutSql("UPDATE fp SET Width = 100 WHERE ID = 0; UPDATE fp SET Width = NULL WHERE ID = 1;"
              "UPDATE fp SET Width = 254.99 WHERE ID = 2; UPDATE fp SET Width = 255 WHERE ID = 3;"
              "UPDATE fp SET Width = 3000 WHERE ID = 4;");
    frmFPSetUp w;
    EXPECT_TRUE(ui::testing::shown().empty()) << shownText().toStdString();
    const std::pair<int, double> saved[] = {{0, 255}, {1, 255}, {2, 255}, {3, 255}, {4, 3000}};
    for (const auto& [id, width] : saved) {
        EXPECT_EQ(field(id, "Width").toDouble(), width) << id;
        EXPECT_EQ(w.Text1[id]->width(), boxPx(width)) << id;
    }
    // 255 hundredths of a millimetre are 144.56715 twips: ten pixels.
    EXPECT_EQ(w.Text1[0]->width(), 10);
}

TEST_F(InvoiceDesigner, TheHeightTheBoxTookIsReadBackIntoTheRow)
{
    layoutSql("UPDATE fp SET Height = 500 WHERE ID = 0; UPDATE fp SET Height = 530 WHERE ID = 1;");
    {
        frmFPSetUp w;
        // 500 asks for 283.465 twips; the box takes 19 pixels, 285 twips, other than 283.
        EXPECT_EQ(w.Text1[0]->height(), 19);
        EXPECT_NEAR(field(0, "Height").toDouble(), 502.707565307886, 1e-9);
        // 530 asks for 300.4729 twips and gets 300: the row keeps its height.
        EXPECT_EQ(w.Text1[1]->height(), 20);
        EXPECT_EQ(field(1, "Height").toDouble(), 530);
    }
    // Opened again, the corrected height stays.
    frmFPSetUp again;
    EXPECT_EQ(again.Text1[0]->height(), 19);
    EXPECT_NEAR(field(0, "Height").toDouble(), 502.707565307886, 1e-9);
}

TEST_F(InvoiceDesigner, AFontSizeOfZeroOrNoneKeepsTheBoxsFont)
{
    frmFPSetUp w;
    for (int id : {0, 1, 2}) {
        QFont f = w.Text1[id]->font();
        f.setPointSizeF(15);
        w.Text1[id]->setFont(f);
    }
    edit(w, 0, "FontSize", 0);
    edit(w, 1, "FontSize", QVariant());
    edit(w, 2, "FontSize", 12);
    w.Command1_Click();
    EXPECT_TRUE(ui::testing::shown().empty()) << shownText().toStdString();
    EXPECT_EQ(w.Text1[0]->font().pointSizeF(), 15);
    EXPECT_EQ(w.Text1[1]->font().pointSizeF(), 15);
    EXPECT_EQ(w.Text1[2]->font().pointSizeF(), 12);
    EXPECT_EQ(field(0, "FontSize").toDouble(), 0) << "the grid's edit is written by the placement";
}

TEST_F(InvoiceDesigner, RowsOfOneIdShareABoxTheLaterShowing)
{
    layoutSql("UPDATE fp SET ID = 20 WHERE ID = 21;");
    frmFPSetUp w;
    EXPECT_TRUE(shows(w, 20));
    EXPECT_FALSE(shows(w, 21));
    EXPECT_EQ(w.Text1[20]->x(), boxPx(16700)) << "经办人, after 审核";
}

struct RowFault {
    const char* name;
    const char* sql;
    const char* message;
    int placed; // boxes shown
};
void PrintTo(const RowFault& c, std::ostream* os)
{
    *os << c.name;
}

class RowFaults : public InvoiceDesigner, public ::testing::WithParamInterface<RowFault> { };

TEST_P(RowFaults, StopThePlacementAndSaveNeitherLimitsNorPaper)
{
    layoutSql(GetParam().sql);
    const double shippedWidth = paper("PictureWidth").toDouble();
    frmFPSetUp w;
    EXPECT_EQ(ui::testing::shownTexts(), QStringList{QString::fromUtf8(GetParam().message)});
    int placed = 0;
    for (int id = 0; id < 51; ++id)
        placed += shows(w, id);
    EXPECT_EQ(placed, GetParam().placed);
    EXPECT_EQ(paper("PictureWidth").toDouble(), shippedWidth) << "the paper row is not saved";
    EXPECT_EQ(w.Line1->y(), 0) << "the lines do not move";
}

INSTANTIATE_TEST_SUITE_P(
    Rows, RowFaults,
    ::testing::Values(
        RowFault{"IdAbove50", "UPDATE fp SET ID = 51 WHERE ID = 21;",
                 "“编号”为 51 的行无法放置：“编号”必须在 0 到 50 之间。", 21},
        RowFault{"IdBelow0", "UPDATE fp SET ID = -1 WHERE ID = 21;",
                 "“编号”为 -1 的行无法放置：“编号”必须在 0 到 50 之间。", 0},
        RowFault{"NoId", "UPDATE fp SET ID = NULL WHERE ID = 21;", "有一行没有“编号”，无法放置。", 0},
        RowFault{"NoLeft", "UPDATE fp SET \"Left\" = NULL WHERE ID = 5;", "“编号”为 5 的行没有“左边”，无法放置。", 5},
        RowFault{"NoTop", "UPDATE fp SET Top = NULL WHERE ID = 5;", "“编号”为 5 的行没有“顶部”，无法放置。", 5},
        RowFault{"NoHeight", "UPDATE fp SET Height = NULL WHERE ID = 5;", "“编号”为 5 的行没有“高度”，无法放置。", 5},
        RowFault{"NoAlign", "UPDATE fp SET Align = NULL WHERE ID = 5;", "“编号”为 5 的行没有“对齐”，无法放置。", 5},
        RowFault{"AlignOf3", "UPDATE fp SET Align = 3 WHERE ID = 5;", "“编号”为 5 的行的“对齐”必须是 0、1 或 2。", 5}),
    [](const auto& info) { return std::string(info.param.name); });

class DesignerBoxes : public InvoiceDesigner, public ::testing::WithParamInterface<BoxCase> { };

TEST_P(DesignerBoxes, ABoxWithoutItsNumberIsNamedAndNothingIsSaved)
{
    const BoxCase& c = GetParam();
    frmFPSetUp w;
    ui::testing::clearShown();
    // Every other box holds a new number, which would show in the file if anything were saved.
    edit(w, 3, "Width", 100);
    const std::array<QLineEdit*, 6> boxes{w.Text2[0], w.Text2[1], w.Text2[2], w.Text3, w.Text4, w.Text5};
    for (std::size_t i = 0; i < boxes.size(); ++i)
        boxes[i]->setText(QString::number(5000 + 10 * i));
    w.findChild<QLineEdit*>(QString::fromLatin1(c.box))->setText(QString::fromUtf8(c.text));
    const QByteArray before = bytes(layoutFile());
    w.Command1_Click();
    ASSERT_EQ(ui::testing::shown().size(), 1u);
    EXPECT_EQ(ui::testing::shown()[0].text, QString::fromUtf8(c.message));
    EXPECT_EQ(ui::testing::shown()[0].icon, ui::Icon::Information);
    EXPECT_EQ(bytes(layoutFile()), before) << "nothing is saved";
    EXPECT_EQ(field(3, "Width").toDouble(), 1000) << "not even the grid's edit";
}

const char* const paperWidth = "“发票宽度”必须是大于 0 的数字。";
const char* const paperHeight = "“发票高度”必须是大于 0 的数字。";
const char* const gap = "“非连续纸张偏移值”必须是 -32768 到 32767 之间的数字。";

INSTANTIATE_TEST_SUITE_P(Refused, DesignerBoxes,
                         ::testing::Values(BoxCase{"Text3", "abc", paperWidth}, BoxCase{"Text3", "210abc", paperWidth},
                                           BoxCase{"Text3", "0", paperWidth}, BoxCase{"Text3", "", paperWidth},
                                           BoxCase{"Text4", "-1", paperHeight}, BoxCase{"Text5", "", gap},
                                           BoxCase{"Text5", "32767.5", gap}, BoxCase{"Text5", "-40000", gap},
                                           BoxCase{"Text5", "5,00", gap},
                                           BoxCase{"Text20", "x", "“发票页头”必须是数字。"},
                                           BoxCase{"Text21", "", "“发票明细”必须是数字。"},
                                           BoxCase{"Text22", "10400;", "“发票页尾”必须是数字。"}));

TEST_F(InvoiceDesigner, TypedNumbersAreSavedAsTyped)
{
    frmFPSetUp w;
    w.Text3->setText(QStringLiteral(" 21000 "));
    w.Text4->setText(QStringLiteral("1.4e4"));
    w.Text5->setText(QStringLiteral("-32768"));
    w.Text2[0]->setText(QStringLiteral("3999.5"));
    w.Text2[2]->setText(QStringLiteral("9600"));
    w.Command1_Click();
    EXPECT_TRUE(ui::testing::shown().empty()) << shownText().toStdString();
    EXPECT_EQ(paper("PaperWidth").toDouble(), 21000);
    EXPECT_EQ(paper("Paperheigth").toDouble(), 14000);
    EXPECT_EQ(paper("JianXi").toDouble(), -32768);
    EXPECT_EQ(limit("HeadHeigth").toDouble(), 3999.5);
    EXPECT_EQ(limit("FooterHeigth").toDouble(), 9600);
    EXPECT_EQ(w.Line1->y(), boxPx(3999.5));
    EXPECT_EQ(w.Line3->y(), boxPx(9600));
}

TEST_F(InvoiceDesigner, TheListsDropBelowTheCellAndTheChoiceGoesIntoTheRow)
{
    frmFPSetUp w;
    w.show();
    QApplication::setActiveWindow(&w);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&w, 60000));
    db::Recordset* rs = w.ContrlText();
    rs->setAbsolutePosition(4); // ID 3, 日
    QApplication::processEvents();

    w.DataGrid1_ButtonClick(frmFPSetUp::AlignColumn);
    ASSERT_TRUE(w.List2->isVisible());
    EXPECT_FALSE(w.List1->isVisible());
    EXPECT_FALSE(w.List3->isVisible());
    const ui::DataGrid& g = *w.DataGrid1;
    const double rowHeight = g.rowHeightTwips() + 15;
    EXPECT_EQ(w.List2->pos(),
              QPoint(ui::px(g.columnLeft(frmFPSetUp::AlignColumn) + 30),
                     ui::px(rowHeight * (g.visibleRow() + 1) + g.columnTop() + 60)));
    EXPECT_EQ(w.List2->width(), ui::px(g.columnWidthTwips(frmFPSetUp::AlignColumn)));
    EXPECT_EQ(QApplication::focusWidget(), w.List2);
    // Just below the current cell.
    const QRect cell = g.visualRect(g.currentIndex());
    EXPECT_NEAR(w.List2->y(), g.viewport()->mapTo(&w, cell.bottomLeft()).y(), 2);

    w.List2->setCurrentRow(2);
    w.List2_Click();
    EXPECT_FALSE(w.List2->isVisible());
    EXPECT_EQ(g.text(frmFPSetUp::AlignColumn), QStringLiteral("2"));
    w.Command1_Click();
    EXPECT_EQ(field(3, "Align").toInt(), 2);
    EXPECT_EQ(w.Text1[3]->alignment() & Qt::AlignHorizontal_Mask, Qt::AlignHCenter);

    // The name list offers the 21 names; the band list the three bands; the other columns drop nothing.
    w.DataGrid1_ButtonClick(frmFPSetUp::NameColumn);
    ASSERT_TRUE(w.List3->isVisible());
    QStringList names;
    for (int i = 0; i < w.List3->count(); ++i)
        names << w.List3->item(i)->text();
    EXPECT_EQ(names, (QStringList{"缴款单位", "年",   "月",       "日",       "序号",     "项目", "千万",
                                  "百万",     "十万", "万",       "千",       "百",       "十",   "元",
                                  "角",       "分",   "大写合计", "小写合计", "收款单位", "审核", "经办人"}));
    w.List3->setCurrentRow(18);
    w.List3_Click();
    EXPECT_EQ(g.text(frmFPSetUp::NameColumn), QStringLiteral("收款单位"));
    w.DataGrid1_ButtonClick(frmFPSetUp::BandColumn);
    ASSERT_TRUE(w.List1->isVisible());
    EXPECT_EQ(w.List1->count(), 3);
    // Leaving the list hides it without choosing.
    w.DataGrid1->setFocus();
    EXPECT_FALSE(w.List1->isVisible());
    for (int column : {frmFPSetUp::IdColumn, frmFPSetUp::TopColumn, frmFPSetUp::HeightColumn}) {
        w.DataGrid1_ButtonClick(column);
        EXPECT_FALSE(w.List1->isVisible() || w.List2->isVisible() || w.List3->isVisible()) << column;
    }
    EXPECT_TRUE(ui::testing::shown().empty()) << shownText().toStdString();
}

TEST_F(InvoiceDesigner, AnotherPictureIsKeptInTheSettingAndItsSizeSavedAtTheNextApply)
{
    const QString other = folder->path() + QStringLiteral("/pic/Other.PNG");
    QImage picture(100, 50, QImage::Format_RGB32);
    picture.fill(Qt::white);
    ASSERT_TRUE(picture.save(other));
    frmFPSetUp w;
    ui::testing::answerFile(QString());
    w.Command3_Click();
    EXPECT_EQ(w.Picture1->size(), QSize(911, 529)) << "a cancelled dialog changes nothing";
    ui::testing::answerFile(other);
    w.Command3_Click();
    ASSERT_EQ(ui::testing::shown().size(), 2u);
    EXPECT_EQ(ui::testing::shown()[1].kind, ui::testing::Shown::Dialog);
    EXPECT_EQ(w.Picture1->size(), QSize(100, 50));
    EXPECT_EQ(settings::get(QStringLiteral("fpPath"), QString()), other);
    EXPECT_EQ(paper("PictureWidth").toDouble(), 24104.7803845475) << "saved only by the next apply";
    EXPECT_TRUE(shows(w, 0)) << "the boxes stay";
    w.Command1_Click();
    EXPECT_EQ(paper("PictureWidth").toDouble(), 2645.96930675604);
    EXPECT_EQ(paper("PictureHeigth").toDouble(), 1322.98465337802);
    // The next window opens on it.
    frmFPSetUp next;
    EXPECT_EQ(next.Picture1->size(), QSize(100, 50));
}

TEST_F(InvoiceDesigner, AMissingPictureIsNamedAndThePictureSizeIsNeverMadeUp)
{
    const QString gone = folder->path() + QStringLiteral("/pic/gone.jpg");
    settings::save(QStringLiteral("fpPath"), gone);
    const double shippedWidth = paper("PictureWidth").toDouble();
    frmFPSetUp w;
    EXPECT_EQ(ui::testing::shownTexts(), QStringList{QStringLiteral("文件未找到：%1").arg(gone)});
    for (int id = 0; id < 51; ++id)
        EXPECT_FALSE(shows(w, id)) << "not applied: " << id;
    EXPECT_EQ(field(0, "Height").toDouble(), 600);
    // Applied without a picture, the paper is saved and the row keeps the picture's size.
    w.Text3->setText(QStringLiteral("21000"));
    w.Command1_Click();
    EXPECT_TRUE(shows(w, 0));
    EXPECT_EQ(paper("PaperWidth").toDouble(), 21000);
    EXPECT_EQ(paper("PictureWidth").toDouble(), shippedWidth);
}

TEST_F(InvoiceDesigner, WithoutTheLayoutFileTheWindowShowsNoData)
{
    QFile::remove(layoutFile());
    frmFPSetUp w;
    ASSERT_EQ(ui::testing::shown().size(), 1u);
    EXPECT_EQ(w.DataGrid1->recordsetModel()->rowCount(), 0);
    w.Command1_Click();
    EXPECT_EQ(ui::testing::shown().size(), 2u);
}

TEST_F(InvoiceDesigner, TheRebuildTakesTheFieldsAsTheGridShowsThem)
{
    frmFPSetUp w;
    edit(w, 20, "Name", QStringLiteral("复核"));
    w.Command2_Click();
    EXPECT_TRUE(ui::testing::shown().empty()) << shownText().toStdString();
    const QString month = folder->data(dataFiles::monthInvoices(Module1::gWorkMonth));
    EXPECT_EQ(
        fixtures::probe(month, QStringLiteral("SELECT count(*) FROM pragma_table_info('KPDW') WHERE name = '复核'"))
            .toInt(),
        1);
    EXPECT_EQ(bytes(month), bytes(folder->data(QString::fromLatin1(dataFiles::invoiceTemplate))));

    // With invoices in the month's file it asks first; No keeps them.
    fixtures::exec(month, QStringLiteral("INSERT INTO KPDW (DanWeiBianHao) VALUES ('1001');"));
    ui::testing::answer(ui::Answer::No);
    w.Command2_Click();
    ASSERT_EQ(ui::testing::shown().size(), 1u);
    EXPECT_EQ(ui::testing::shown()[0].buttons, ui::Buttons::YesNo);
    EXPECT_EQ(fixtures::probe(month, QStringLiteral("SELECT count(*) FROM KPDW")).toInt(), 1);
}

} // namespace
