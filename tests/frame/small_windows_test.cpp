#include "qelv/core/frmCJSJK.h"
#include "qelv/core/frmMsgBox.h"

#include <QAbstractEventDispatcher>
#include <QCoreApplication>
#include <QLabel>
#include <QTimer>
#include <gtest/gtest.h>

// Nothing that runs on a clock belongs to the progress window: only its caller changes or closes it,
// however long the operation lasts.
TEST(ProgressWindow, KeepsItsLastTextUntilItsCallerUnloadsIt)
{
    auto* w = new frmMsgBox();
    w->showText(QStringLiteral("正在生成发票..."));
    EXPECT_TRUE(w->isVisible());
    w->setText(QStringLiteral("1001"));
    QCoreApplication::processEvents();
    QList<QObject*> parts{w};
    parts += w->findChildren<QObject*>();
    for (QObject* part : parts)
        EXPECT_TRUE(QAbstractEventDispatcher::instance()->registeredTimers(part).isEmpty())
            << part->metaObject()->className() << " " << part->objectName().toStdString();
    EXPECT_TRUE(w->isVisible());
    EXPECT_EQ(w->text1->text(), QStringLiteral("1001"));
    delete w;
}

// Shown, the notice starts its two-second timer, and it closes when that fires, not before.
TEST(NewDatabaseNotice, ClosesItselfAfterTwoSeconds)
{
    frmCJSJK notice;
    EXPECT_EQ(notice.Label1->text(), QStringLiteral("创建新数据库..."));
    EXPECT_EQ(notice.Timer1->interval(), 2000);
    EXPECT_TRUE(notice.Timer1->isSingleShot());
    bool runningWhenShown = false, runningWhenClosed = true;
    QTimer::singleShot(0, &notice, [&] { runningWhenShown = notice.isVisible() && notice.Timer1->isActive(); });
    QObject::connect(&notice, &QDialog::finished, [&] { runningWhenClosed = notice.Timer1->isActive(); });
    EXPECT_EQ(notice.exec(), QDialog::Accepted);
    EXPECT_TRUE(runningWhenShown);
    EXPECT_FALSE(runningWhenClosed) << "closed before its timer fired";
    EXPECT_FALSE(notice.isVisible());
}
