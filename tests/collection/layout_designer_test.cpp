// The collection layout designer: the boxes placed from the layout rows over the voucher's picture,
// the corrections it writes back, the paper row it saves only from numbers, its lists, its picture and
// the print-file build it starts.
#include "platform/convert/convert.h"
#include "platform/db/recordset.h"
#include "platform/settings/settings.h"
#include "platform/ui/data_grid.h"
#include "platform/ui/dialogs.h"
#include "platform/ui/twips.h"
#include "qelv/collection/collection_fields.h"
#include "qelv/collection/collection_print_file.h"
#include "qelv/collection/frmWTPintSet.h"
#include "qelv/core/Module1.h"
#include "qelv/core/data_files.h"
#include "tests/fixtures/layout_designer.h"
#include "tests/fixtures/sqlite_probe.h"

#include <QApplication>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QtTest>
#include <cmath>
#include <gtest/gtest.h>

namespace {

using fixtures::BoxCase;
using fixtures::boxPx;
using fixtures::bytes;

QStringList items(const QListWidget* list)
{
    QStringList out;
    for (int i = 0; i < list->count(); ++i)
        out << list->item(i)->text();
    return out;
}

class CollectionDesigner : public fixtures::LayoutDesignerTest {
protected:
    QVariant element(int id, const char* column) const { return layoutRow("wt", id, column); }
    QVariant paper(const char* column) const { return layoutValue("wtPaperSize", column); }
    static bool shows(const frmWTPintSet& w, int id) { return w.Text1[id]->isVisibleTo(w.Picture2); }
    static int shown(const frmWTPintSet& w)
    {
        int n = 0;
        for (int id = 0; id < 51; ++id)
            n += shows(w, id);
        return n;
    }
    static void edit(frmWTPintSet& w, int id, const char* column, const QVariant& value)
    {
        db::Recordset* rs = w.layoutRows();
        rs->moveFirst();
        ASSERT_TRUE(rs->find(QStringLiteral("ID"), id)) << id;
        rs->setValue(QString::fromLatin1(column), value);
    }
};

TEST_F(CollectionDesigner, TheShippedLayoutLiesOnItsPictureAsItsPaperRowSays)
{
    const QImage picture(fixtures::shippedDir() + QStringLiteral("/pic/wt.jpg"));
    ASSERT_EQ(picture.size(), QSize(665, 378));
    EXPECT_EQ(paper("PictureWidth").toDouble(), convert::fifteenDigits(665 * 15 / 56.69 * 100));
    EXPECT_EQ(paper("PictureHeigth").toDouble(), convert::fifteenDigits(378 * 15 / 56.69 * 100));
    // Every element stays on the picture.
    EXPECT_EQ(fixtures::probe(layoutFile(),
                              QStringLiteral("SELECT count(*) FROM wt WHERE \"Left\" + Width > "
                                             "(SELECT PictureWidth FROM wtPaperSize) OR Top + Height > "
                                             "(SELECT PictureHeigth FROM wtPaperSize)"))
                  .toInt(),
              0);
}

TEST_F(CollectionDesigner, OpeningPlacesTheShippedFieldsAndLeavesTheLayoutAsShipped)
{
    frmWTPintSet w;
    EXPECT_TRUE(ui::testing::shown().empty()) << shownText().toStdString();
    EXPECT_EQ(w.windowTitle(), QStringLiteral("委托单页面设置"));
    EXPECT_TRUE(w.isModal());
    EXPECT_EQ(w.Picture2->size(), QSize(665, 378));
    for (int id = 0; id < 51; ++id)
        EXPECT_EQ(shows(w, id), id < 24) << id;
    // 委托号码 at 139 mm, 11.5 mm; its height of 530 is one the box takes as it is.
    EXPECT_EQ(w.Text1[0]->geometry(), QRect(boxPx(13900), boxPx(1150), boxPx(3200), boxPx(530)));
    EXPECT_EQ(w.Text1[11]->alignment() & Qt::AlignHorizontal_Mask, Qt::AlignHCenter);
    EXPECT_EQ(w.Text1[23]->text(), QStringLiteral("23"));
    EXPECT_EQ(w.Label3->text(), QStringLiteral("纸张宽度："));
    EXPECT_EQ(w.Label3->buddy(), w.Text3);
    EXPECT_EQ(w.Label4->text(), QStringLiteral("纸张高度："));
    EXPECT_EQ(w.Label4->buddy(), w.Text4);
    EXPECT_EQ(w.Label1->text(), QStringLiteral("非连续纸张偏移值："));
    EXPECT_EQ(w.Text3->text(), QStringLiteral("17600"));
    EXPECT_EQ(w.Text4->text(), QStringLiteral("10000"));
    EXPECT_EQ(w.Text2->text(), QStringLiteral("300"));
    EXPECT_EQ(w.Command2->text(), QStringLiteral("生成委托单结构"));
    // The shipped rows and paper row are what the designer itself saves.
    for (const char* sql :
         {"SELECT group_concat(Width || '/' || Height) FROM wt", "SELECT PictureWidth FROM wtPaperSize",
          "SELECT PictureHeigth FROM wtPaperSize", "SELECT JianXi FROM wtPaperSize"})
        EXPECT_EQ(fixtures::probe(layoutFile(), QString::fromLatin1(sql)),
                  fixtures::probe(fixtures::shippedDir() + QStringLiteral("/Data/qelvPrintSet.mdb"),
                                  QString::fromLatin1(sql)))
            << sql;
}

TEST_F(CollectionDesigner, AWidthOf100IsSavedAs255)
{
    layoutSql("UPDATE wt SET Width = 100 WHERE ID = 2; UPDATE wt SET Width = NULL WHERE ID = 3;");
    frmWTPintSet w;
    EXPECT_EQ(element(2, "Width").toDouble(), 255);
    EXPECT_EQ(element(3, "Width").toDouble(), 255);
    // 255 / 100 × 56.693 = 144.56715 twips: ten pixels.
    EXPECT_EQ(w.Text1[2]->width(), 10);
    EXPECT_EQ(element(0, "Width").toDouble(), 3200) << "a wider element keeps its width";
}

TEST_F(CollectionDesigner, AFontSizeOfZeroKeepsTheBoxsFont)
{
    frmWTPintSet w;
    for (int id : {0, 1}) {
        QFont f = w.Text1[id]->font();
        f.setPointSizeF(15);
        w.Text1[id]->setFont(f);
    }
    edit(w, 0, "FontSize", 0);
    edit(w, 1, "FontSize", 11);
    w.Command1_Click();
    EXPECT_TRUE(ui::testing::shown().empty()) << shownText().toStdString();
    EXPECT_EQ(w.Text1[0]->font().pointSizeF(), 15);
    EXPECT_EQ(w.Text1[1]->font().pointSizeF(), 11);
}

TEST_F(CollectionDesigner, AnIdOf51StopsThePlacementAndTheSavingOfThePaperRow)
{
    layoutSql("UPDATE wt SET ID = 51 WHERE ID = 23; UPDATE wtPaperSize SET PictureWidth = 1;");
    frmWTPintSet w;
    EXPECT_EQ(ui::testing::shownTexts(),
              QStringList{QStringLiteral("“编号”为 51 的行无法放置：“编号”必须在 0 到 50 之间。")});
    EXPECT_EQ(shown(w), 23) << "the rows before it are placed";
    EXPECT_EQ(paper("PictureWidth").toDouble(), 1) << "the paper row is not saved";
}

TEST_F(CollectionDesigner, WithoutRowsOnlyThePaperRowIsSaved)
{
    layoutSql("DELETE FROM wt; UPDATE wtPaperSize SET PictureWidth = 1;");
    frmWTPintSet w;
    EXPECT_TRUE(ui::testing::shown().empty()) << shownText().toStdString();
    EXPECT_EQ(shown(w), 0);
    EXPECT_EQ(paper("PictureWidth").toDouble(), convert::fifteenDigits(665 * 15 / 56.69 * 100));
}

class CollectionBoxes : public CollectionDesigner, public ::testing::WithParamInterface<BoxCase> { };

TEST_P(CollectionBoxes, ARefusedBoxIsNamedAndNothingIsSaved)
{
    const BoxCase& c = GetParam();
    frmWTPintSet w;
    ui::testing::clearShown();
    // Every other box holds a new number, which would show in the file if anything were saved.
    edit(w, 2, "Width", 100);
    w.Text3->setText(QStringLiteral("17000"));
    w.Text4->setText(QStringLiteral("9000"));
    w.Text2->setText(QStringLiteral("250"));
    w.findChild<QLineEdit*>(QString::fromLatin1(c.box))->setText(QString::fromUtf8(c.text));
    const QByteArray before = bytes(layoutFile());
    w.Command1_Click();
    ASSERT_EQ(ui::testing::shown().size(), 1u);
    EXPECT_EQ(ui::testing::shown()[0].text, QString::fromUtf8(c.message));
    EXPECT_EQ(ui::testing::shown()[0].icon, ui::Icon::Information);
    EXPECT_EQ(bytes(layoutFile()), before);
    EXPECT_EQ(element(2, "Width").toDouble(), 700);
}

INSTANTIATE_TEST_SUITE_P(
    Refused, CollectionBoxes,
    ::testing::Values(BoxCase{"Text3", "abc", "“纸张宽度”必须是大于 0 的数字。"},
                      BoxCase{"Text3", "176mm", "“纸张宽度”必须是大于 0 的数字。"},
                      BoxCase{"Text4", "0", "“纸张高度”必须是大于 0 的数字。"},
                      BoxCase{"Text2", "", "“非连续纸张偏移值”必须是 -32768 到 32767 之间的数字。"},
                      BoxCase{"Text2", "1;DELETE FROM wt", "“非连续纸张偏移值”必须是 -32768 到 32767 之间的数字。"},
                      BoxCase{"Text2", "70000", "“非连续纸张偏移值”必须是 -32768 到 32767 之间的数字。"}));

TEST_F(CollectionDesigner, WithoutAPaperRowTheGapIsAskedForAndNothingIsAdded)
{
    layoutSql("DELETE FROM wtPaperSize;");
    frmWTPintSet w;
    EXPECT_EQ(w.Text3->text(), QStringLiteral("0"));
    EXPECT_EQ(w.Text4->text(), QStringLiteral("0"));
    EXPECT_EQ(w.Text2->text(), QString());
    EXPECT_EQ(ui::testing::shownTexts(), QStringList{QStringLiteral("“纸张宽度”必须是大于 0 的数字。")});
    w.Text3->setText(QStringLiteral("17600"));
    w.Text4->setText(QStringLiteral("10000"));
    w.Text2->setText(QStringLiteral("300"));
    w.Command1_Click();
    EXPECT_EQ(ui::testing::shown().size(), 1u);
    EXPECT_EQ(fixtures::probe(layoutFile(), QStringLiteral("SELECT count(*) FROM wtPaperSize")).toInt(), 0);
}

TEST_F(CollectionDesigner, ThePickersDropBelowTheirCellsAndStayUntilAnItemIsClicked)
{
    frmWTPintSet w;
    w.show();
    QApplication::setActiveWindow(&w);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&w, 60000));
    w.layoutRows()->setAbsolutePosition(6); // ID 5
    QApplication::processEvents();
    const ui::DataGrid& g = *w.DataGrid1;

    w.DataGrid1_ButtonClick(frmWTPintSet::KindColumn);
    ASSERT_TRUE(w.List1->isVisible());
    EXPECT_EQ(items(w.List1), (QStringList{"字段", "标签"}));
    EXPECT_EQ(w.List1->pos(),
              QPoint(ui::px(g.columnLeft(frmWTPintSet::KindColumn) + 30),
                     ui::px((g.rowHeightTwips() + 15) * (g.visibleRow() + 1) + g.columnTop() + 60)));
    EXPECT_EQ(QApplication::focusWidget(), w.List1);
    w.DataGrid1->setFocus();
    EXPECT_TRUE(w.List1->isVisible()) << "losing the focus does not hide it";
    w.List1->setCurrentRow(1);
    w.List1_Click();
    EXPECT_FALSE(w.List1->isVisible());
    EXPECT_EQ(g.text(frmWTPintSet::KindColumn), QStringLiteral("标签"));

    w.DataGrid1_ButtonClick(frmWTPintSet::AlignColumn);
    ASSERT_TRUE(w.List2->isVisible());
    w.List2->setCurrentRow(1);
    w.List2_Click();
    EXPECT_EQ(g.text(frmWTPintSet::AlignColumn), QStringLiteral("1"));

    w.DataGrid1_ButtonClick(frmWTPintSet::NameColumn);
    ASSERT_TRUE(w.List3->isVisible());
    EXPECT_EQ(items(w.List3), collection::fieldNames());
    for (int column : {frmWTPintSet::IdColumn, frmWTPintSet::TopColumn, frmWTPintSet::FontSizeColumn}) {
        w.List3->hide();
        w.DataGrid1_ButtonClick(column);
        EXPECT_FALSE(w.List1->isVisible() || w.List2->isVisible() || w.List3->isVisible()) << column;
    }
    w.Command1_Click();
    EXPECT_EQ(element(5, "ZiDuanBiaoQian").toString(), QStringLiteral("标签"));
    EXPECT_EQ(w.Text1[5]->alignment() & Qt::AlignHorizontal_Mask, Qt::AlignRight);
    EXPECT_TRUE(ui::testing::shown().empty()) << shownText().toStdString();
}

TEST_F(CollectionDesigner, AnotherPictureGoesIntoWtPath)
{
    const QString other = folder->path() + QStringLiteral("/pic/bank.png");
    QImage picture(300, 120, QImage::Format_RGB32);
    picture.fill(Qt::white);
    ASSERT_TRUE(picture.save(other));
    frmWTPintSet w;
    ui::testing::answerFile(other);
    w.Command3_Click();
    EXPECT_EQ(w.Picture2->size(), QSize(300, 120));
    EXPECT_EQ(settings::get(QStringLiteral("wtPath"), QString()), other);
    EXPECT_EQ(settings::get(QStringLiteral("fpPath"), QStringLiteral("none")), QStringLiteral("none"));
    // Closed without applying, the paper row keeps the previous picture's size.
    EXPECT_EQ(paper("PictureWidth").toDouble(), convert::fifteenDigits(665 * 15 / 56.69 * 100));
    frmWTPintSet next;
    EXPECT_EQ(next.Picture2->size(), QSize(300, 120));
    EXPECT_EQ(paper("PictureWidth").toDouble(), convert::fifteenDigits(4500 / 56.69 * 100));
}

TEST_F(CollectionDesigner, TheBuildTakesTheRowsAsTheGridShowsThemAndAsksBeforeDroppingDocuments)
{
    frmWTPintSet w;
    edit(w, 23, "ZiDuanBiaoQian", QStringLiteral("标签"));
    w.Command2_Click();
    EXPECT_TRUE(ui::testing::shown().empty()) << shownText().toStdString();
    const QString month = folder->data(dataFiles::monthCollections(Module1::gWorkMonth));
    EXPECT_EQ(fixtures::probe(month, QStringLiteral("SELECT count(*) FROM pragma_table_info('WTDW')")).toInt(), 24);
    EXPECT_EQ(
        fixtures::probe(month, QStringLiteral("SELECT count(*) FROM pragma_table_info('WTDW') WHERE name = '委托密码'"))
            .toInt(),
        0);

    fixtures::exec(month, QStringLiteral("INSERT INTO WTDW (DanWeiBianHao) VALUES ('1001');"));
    ui::testing::answer(ui::Answer::No);
    w.Command2_Click();
    EXPECT_EQ(ui::testing::shownTexts(), QStringList{QString::fromUtf8(collection::replaceDocumentsQuestion)});
    EXPECT_EQ(fixtures::probe(month, QStringLiteral("SELECT count(*) FROM WTDW")).toInt(), 1);

    // A layout the build cannot take is named and changes neither file.
    ui::testing::clearShown();
    edit(w, 0, "Name", QStringLiteral("年"));
    const QByteArray before = bytes(month);
    w.Command2_Click();
    ASSERT_EQ(ui::testing::shown().size(), 1u);
    EXPECT_TRUE(ui::testing::shown()[0].text.contains(QStringLiteral("“年”出现了不止一次")))
        << shownText().toStdString();
    EXPECT_EQ(bytes(month), before);
}

} // namespace
