#include "qelv/core/run_toolbar.h"

#include "platform/ui/twips.h"

#include <QAction>
#include <QToolBar>

namespace runToolbar {

QToolBar* make(QWidget* window, double widthTwips, const Button* buttons, std::size_t count,
               const std::function<void(const QString& key)>& click)
{
    auto* bar = new QToolBar(window);
    bar->setObjectName(QStringLiteral("Toolbar1"));
    bar->setToolButtonStyle(Qt::ToolButtonTextOnly);
    ui::placeTwips(bar, 0, 0, widthTwips, 600);
    for (std::size_t i = 0; i < count; ++i) {
        const Button& b = buttons[i];
        QAction* action = bar->addAction(QString::fromUtf8(b.caption));
        const QString key = QString::fromUtf8(b.key);
        action->setObjectName(key);
        action->setToolTip(QString::fromUtf8(b.tip));
        QObject::connect(action, &QAction::triggered, window, [click, key] { click(key); });
        if (b.separatorAfter)
            bar->addSeparator();
    }
    return bar;
}

} // namespace runToolbar
