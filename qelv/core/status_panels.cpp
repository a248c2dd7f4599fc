#include "qelv/core/status_panels.h"

#include "platform/convert/convert.h"
#include "platform/ui/twips.h"
#include "qelv/core/Module1.h"

namespace statusPanels {

QStatusBar* make(QWidget* window, double top, double width, QLabel** panels, int count, int firstStretch)
{
    auto* bar = new QStatusBar(window);
    bar->setObjectName(QStringLiteral("sbStatusBar"));
    bar->setSizeGripEnabled(false);
    ui::placeTwips(bar, 0, top, width, 420);
    for (int i = 0; i < count; ++i) {
        panels[i] = new QLabel(bar);
        panels[i]->setObjectName(QStringLiteral("panel%1").arg(i + 1));
        panels[i]->setFrameShape(QFrame::Panel);
        panels[i]->setFrameShadow(QFrame::Sunken);
        bar->addWidget(panels[i], i == 0 ? firstStretch : 1);
    }
    panels[0]->setText(QStringLiteral("状态"));
    return bar;
}

void showSession(QLabel* user, QLabel* invoiceDate, QLabel* workMonth)
{
    user->setText(QStringLiteral("用户:") + Module1::gUserName);
    invoiceDate->setText(QStringLiteral("开票日期:") + convert::formatIsoDate(Module1::gInvoiceDate));
    workMonth->setText(QStringLiteral("操作月份:") + convert::formatYearMonth(Module1::gWorkMonth));
}

} // namespace statusPanels
