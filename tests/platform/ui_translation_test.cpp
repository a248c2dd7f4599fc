// Qt's own windows speak Chinese in the program, whatever the machine's locale: the buttons of the
// print dialog, of a standard message box and of an input box, and the calendar's month and days.
// The test programs run with the program's application object, so what is seen here is what the
// operator sees.
#include "platform/ui/application.h"

#include <QAbstractButton>
#include <QCalendarWidget>
#include <QDialogButtonBox>
#include <QInputDialog>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrinter>
#include <QRegularExpression>
#include <QTableView>
#include <QToolButton>
#include <gtest/gtest.h>

namespace {

// Without its accelerator: "打印(&P)" reads 打印.
QString caption(const QAbstractButton* button)
{
    QString text = button->text();
    text.remove(QRegularExpression(QStringLiteral("\\(&.\\)")));
    return text.remove(QLatin1Char('&')).trimmed();
}

QStringList captions(const QDialogButtonBox* box)
{
    QStringList list;
    for (const QAbstractButton* b : box->buttons())
        list << caption(b);
    return list;
}

TEST(QtInChinese, ThePrintDialogsButtons)
{
    QPrinter printer;
    QPrintDialog dialog(&printer);
    const auto* box = dialog.findChild<QDialogButtonBox*>();
    ASSERT_NE(box, nullptr);
    const QStringList shown = captions(box);
    EXPECT_TRUE(shown.contains(QStringLiteral("打印"))) << shown.join(QLatin1Char('|')).toStdString();
    EXPECT_TRUE(shown.contains(QStringLiteral("取消"))) << shown.join(QLatin1Char('|')).toStdString();
    // The rest of the dialog too: its title is no longer "Print".
    EXPECT_FALSE(dialog.windowTitle().contains(QStringLiteral("Print"))) << dialog.windowTitle().toStdString();
}

TEST(QtInChinese, StandardButtonsOfMessageAndInputBoxes)
{
    struct Case {
        QMessageBox::StandardButton button;
        const char* text;
    };
    const Case cases[] = {{QMessageBox::Ok, "确定"},
                          {QMessageBox::Cancel, "取消"},
                          {QMessageBox::Yes, "是"},
                          {QMessageBox::No, "否"},
                          {QMessageBox::Close, "关闭"}};
    QMessageBox box;
    for (const Case& c : cases)
        box.addButton(c.button);
    for (const Case& c : cases)
        EXPECT_EQ(caption(box.button(c.button)), QString::fromUtf8(c.text)) << c.text;

    QInputDialog input;
    input.show();
    const auto* buttons = input.findChild<QDialogButtonBox*>();
    ASSERT_NE(buttons, nullptr);
    EXPECT_EQ(captions(buttons), (QStringList{QStringLiteral("确定"), QStringLiteral("取消")}));
    input.close();
}

TEST(QtInChinese, TheCalendarsMonthAndDays)
{
    QCalendarWidget calendar;
    calendar.setSelectedDate(QDate(2003, 4, 15));
    calendar.show();
    const auto* month = calendar.findChild<QToolButton*>(QStringLiteral("qt_calendar_monthbutton"));
    ASSERT_NE(month, nullptr);
    EXPECT_EQ(month->text(), QStringLiteral("四月"));
    const auto* days = calendar.findChild<QTableView*>(QStringLiteral("qt_calendar_calendarview"));
    ASSERT_NE(days, nullptr);
    // The heading row names the days of the week, beside the column of week numbers: 周日 .. 周六.
    QStringList heading;
    for (int c = 1; c <= 7; ++c)
        heading << days->model()->index(0, c).data().toString();
    for (const char* day : {"周日", "周一", "周六"})
        EXPECT_TRUE(heading.contains(QString::fromUtf8(day))) << heading.join(u' ').toStdString();
}

} // namespace
