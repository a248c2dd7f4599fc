#include "qelv/core/frmCJSJK.h"
#include "qelv/core/frmMsgBox.h"

#include <QElapsedTimer>
#include <QLabel>
#include <QTest>
#include <gtest/gtest.h>

TEST(ProgressWindow, KeepsItsLastTextUntilItsCallerUnloadsIt)
{
    auto* w = new frmMsgBox();
    w->showText(QStringLiteral("正在生成发票..."));
    EXPECT_TRUE(w->isVisible());
    w->setText(QStringLiteral("1001"));
    QTest::qWait(2500);
    EXPECT_TRUE(w->isVisible());
    EXPECT_EQ(w->text1->text(), QStringLiteral("1001"));
    delete w;
}

TEST(NewDatabaseNotice, ClosesItselfAfterTwoSeconds)
{
    frmCJSJK notice;
    EXPECT_EQ(notice.Label1->text(), QStringLiteral("创建新数据库..."));
    QElapsedTimer clock;
    clock.start();
    const int result = notice.exec();
    EXPECT_EQ(result, QDialog::Accepted);
    EXPECT_GE(clock.elapsed(), 1900);
    EXPECT_FALSE(notice.isVisible());
}
