#include "qelv/core/frmMsgBox.h"

#include "platform/ui/twips.h"

#include <QApplication>
#include <QLabel>
#include <QPalette>

frmMsgBox::frmMsgBox(QWidget* owner)
    : QDialog(owner, Qt::Dialog | Qt::CustomizeWindowHint | Qt::MSWindowsFixedSizeDialogHint)
{
    setObjectName(QStringLiteral("frmMsgBox"));
    setWindowTitle(QString());
    ui::clientSizeTwips(this, 4035, 690);
    setFixedSize(size());
    text1 = new QLabel(this);
    text1->setObjectName(QStringLiteral("text1"));
    text1->setAlignment(Qt::AlignCenter);
    QFont f(QStringLiteral("宋体"));
    f.setPointSizeF(14.25);
    text1->setFont(f);
    QPalette p = text1->palette();
    p.setColor(QPalette::WindowText, QApplication::palette().color(QPalette::Highlight));
    text1->setPalette(p);
    ui::placeTwips(text1, 105, 188, 3825, 315);
    ui::centreOnScreen(this);
}

void frmMsgBox::setText(const QString& text)
{
    text1->setText(text);
    text1->repaint();
}

void frmMsgBox::showText(const QString& text)
{
    text1->setText(text);
    show();
    raise();
    repaint();
    QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}
