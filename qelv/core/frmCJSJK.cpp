#include "qelv/core/frmCJSJK.h"

#include "platform/ui/twips.h"

#include <QLabel>
#include <QTimer>

frmCJSJK::frmCJSJK(QWidget* owner)
    : QDialog(owner, Qt::Dialog | Qt::CustomizeWindowHint | Qt::MSWindowsFixedSizeDialogHint)
{
    setObjectName(QStringLiteral("frmCJSJK"));
    setWindowTitle(QString());
    setModal(true);
    ui::clientSizeTwips(this, 4500, 1335);
    setFixedSize(size());
    Label1 = new QLabel(QStringLiteral("创建新数据库..."), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setAlignment(Qt::AlignCenter);
    QFont f(QStringLiteral("宋体"));
    f.setPointSizeF(14.25);
    Label1->setFont(f);
    Label1->setStyleSheet(QStringLiteral("color: rgb(0, 0, 192);"));
    ui::placeTwips(Label1, 668, 480, 3165, 375);
    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(2000);
    Timer1->setSingleShot(true);
    connect(Timer1, &QTimer::timeout, this, &QDialog::accept);
    ui::centreOnScreen(this);
}

void frmCJSJK::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    Timer1->start();
}
