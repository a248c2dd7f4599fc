#include "quorbel/CQuorbelPropPage.h"

#include "quorbel/dialog_units.h"
#include "quorbel/identities.h"

#include <QLabel>

namespace quorbel {

CQuorbelPropPage::CQuorbelPropPage(QWidget* parent)
    : QWidget(parent)
{
    setWindowTitle(QString::fromLatin1(kStringPropPageCaption));
    setFont(dialogFont());
    const DialogUnits du(font());
    resize(du.x(211), du.y(62));

    auto* text = new QLabel(QStringLiteral("本控件可以在 Windows95/98/me 和 Windows NT3.1/4.0  和 Windows2000/XP "
                                           "随意更改默认打印机纸张的类型，包括自定义纸张。"),
                            this);
    text->setObjectName("lblText");
    text->setGeometry(du.rect(7, 14, 196, 28));
    text->setWordWrap(true);

    m_helpString = QStringLiteral("Names to appear in the control");
    m_helpFile = QStringLiteral("QUORBEL.HLP");
    m_helpContext = 0;
}

} // namespace quorbel
