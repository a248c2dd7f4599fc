// The About box and the property page: their texts, and Help growing the box once.
#include "quorbel/CQuorbelAboutDlg.h"
#include "quorbel/CQuorbelPropPage.h"

#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

namespace quorbel {
namespace {

template <class T> T* child(QWidget& parent, const char* name)
{
    T* widget = parent.findChild<T*>(name);
    EXPECT_NE(widget, nullptr) << name;
    return widget;
}

TEST(QuorbelAboutBox, OpensSmallWithIconCaptionAndButtons)
{
    CQuorbelAboutDlg dlg;
    dlg.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dlg, 60000));
    EXPECT_TRUE(dlg.windowFlags() & Qt::FramelessWindowHint);
    auto* icon = child<QLabel>(dlg, "picIcon");
    EXPECT_TRUE(icon->isVisible());
    EXPECT_FALSE(icon->pixmap().isNull());
    EXPECT_EQ(child<QLabel>(dlg, "lblCaption")->text(), QStringLiteral("Quorbel 控件 2.0"));
    auto* ok = child<QPushButton>(dlg, "IDOK");
    EXPECT_EQ(ok->text(), QStringLiteral("确定"));
    EXPECT_TRUE(ok->isDefault());
    EXPECT_TRUE(ok->hasFocus());
    EXPECT_EQ(child<QPushButton>(dlg, "IDHELP")->text(), QStringLiteral("帮助"));
    auto* usage = child<QPlainTextEdit>(dlg, "txtUsage");
    EXPECT_FALSE(usage->isVisible());
    EXPECT_TRUE(usage->toPlainText().isEmpty());
    EXPECT_TRUE(usage->isReadOnly());
    EXPECT_FALSE(dlg.usage().isEmpty()) << "the usage text is built when the box opens";
}

TEST(QuorbelAboutBox, HelpGrowsTheBoxOnceAndShowsTheUsage)
{
    CQuorbelAboutDlg dlg;
    dlg.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dlg, 60000));
    const QSize small = dlg.size();
    auto* help = child<QPushButton>(dlg, "IDHELP");
    auto* usage = child<QPlainTextEdit>(dlg, "txtUsage");
    const QSize editSize = usage->size();

    QTest::mouseClick(help, Qt::LeftButton);
    EXPECT_EQ(dlg.size(), QSize(small.width(), small.height() + 140));
    EXPECT_TRUE(usage->isVisible());
    EXPECT_EQ(usage->pos(), QPoint(10, small.height() - 10));
    EXPECT_EQ(usage->size(), editSize);
    EXPECT_EQ(usage->toPlainText(), QString(dlg.usage()).replace("\r\n", "\n"));

    QTest::mouseClick(help, Qt::LeftButton);
    EXPECT_EQ(dlg.size(), QSize(small.width(), small.height() + 140)) << "a second click changes nothing";
    EXPECT_EQ(usage->pos(), QPoint(10, small.height() - 10));

    QTest::mouseClick(child<QPushButton>(dlg, "IDOK"), Qt::LeftButton);
    EXPECT_FALSE(dlg.isVisible());
    EXPECT_EQ(dlg.result(), QDialog::Accepted);
}

TEST(QuorbelAboutBox, UsageTextListsTheMembersAndEveryPaperCode)
{
    CQuorbelAboutDlg dlg;
    const QString text = dlg.usage();
    const QString head = QStringLiteral("Quorbel使用\r\n\r\n"
                                        "PaperSize 纸张类型（属性）\r\n"
                                        "PrinterName 打印机名称（属性）\r\n"
                                        "PaperLength 自定义纸张长度（属性 Integer）单位为0.1毫米\r\n"
                                        "PaperWidth 自定义纸张宽度（属性 Integer）单位为0.1毫米\r\n"
                                        "UserFormName Windows2000以上系统自定义纸张名称（属性）\r\n"
                                        "Orientation 打印方向（属性 Integer）1 或 2\r\n"
                                        "以上所有属性都必须赋值\r\n\r\n"
                                        "SetPaper 更改纸张设置（方法）\r\n\r\n"
                                        " PaperSize    纸张类型 \r\n"
                                        "      1     Letter 8 1/2 x 11 in \r\n");
    EXPECT_TRUE(text.startsWith(head)) << text.left(head.size()).toStdString();
    EXPECT_TRUE(text.endsWith(QStringLiteral("    118     PRC Envelope #10 Rotated 458 x 324 mm \r\n")));

    const QString pieces[] = {
        QStringLiteral("\r\n      9     A4 210 x 297 mm \r\n"),
        QStringLiteral("\r\n     14     Folio 8 1/2 x 13 in  \r\n"),
        QStringLiteral("\r\n     19     Envelope #9 3 7/8 x 8 7/8  \r\n"),
        QStringLiteral("\r\n     22     Envelope #12 4 \u00be x 11 \r\n"),
        QStringLiteral("\r\n     41     German Legal Fanfold 8 1/2 x 13 in \r\n    256     User_Define \r\n\r\n"
                       "    以下是windows95以上的windows系统 \r\n\r\n     42     B4 (ISO) 250 x 353 mm \r\n"),
        QStringLiteral("\r\n     48     RESERVED--DO NOT USE \r\n     49     RESERVED--DO NOT USE \r\n"),
        QStringLiteral("\r\n     56     Letter Extra Transverse 9\u00bd x 12 in \r\n"),
        QStringLiteral("\r\n     68     A3 Extra Transverse 322 x 445 mm \r\n\r\n"
                       "     以下是Windows2000 及以上的Windows系统 \r\n\r\n"
                       "     69     Japanese Double Postcard 200 x 148 mm \r\n"),
        QStringLiteral("\r\n     93     PRC 16K 146 x 215 mm \r\n"),
    };
    for (const QString& piece : pieces)
        EXPECT_TRUE(text.contains(piece)) << piece.toStdString();

    // 119 code rows: 1 to 41, 256, 42 to 118, in that order
    QList<int> codes;
    for (const QString& line : text.split("\r\n")) {
        bool ok = false;
        const int code = line.left(7).trimmed().toInt(&ok);
        if (ok && line.size() > 12 && line.mid(7, 5) == "     ")
            codes.append(code);
    }
    QList<int> expected;
    for (int c = 1; c <= 41; ++c)
        expected.append(c);
    expected.append(256);
    for (int c = 42; c <= 118; ++c)
        expected.append(c);
    EXPECT_EQ(codes, expected);
}

TEST(QuorbelPropertyPage, ShowsItsTextUnderGeneral)
{
    CQuorbelPropPage page;
    EXPECT_EQ(page.caption(), QStringLiteral("General"));
    EXPECT_EQ(child<QLabel>(page, "lblText")->text(),
              QStringLiteral("本控件可以在 Windows95/98/me 和 Windows NT3.1/4.0  和 Windows2000/XP "
                             "随意更改默认打印机纸张的类型，包括自定义纸张。"));
    EXPECT_EQ(page.helpString(), QStringLiteral("Names to appear in the control"));
    EXPECT_EQ(page.helpFile(), QStringLiteral("QUORBEL.HLP"));
    EXPECT_EQ(page.helpContext(), 0);
}

} // namespace
} // namespace quorbel
