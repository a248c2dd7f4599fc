#include "platform/help/help.h"

#include "platform/files/files.h"

#include <QDir>
#include <QFileInfo>
#include <QFontMetrics>
#include <QMainWindow>
#include <QPointer>
#include <QScreen>
#include <QStyle>
#include <QTextBrowser>
#include <QUrl>

namespace help {

namespace {

class HelpWindow : public QMainWindow {
public:
    explicit HelpWindow(QWidget* owner)
        : QMainWindow(owner, Qt::Window)
    {
        setObjectName(QStringLiteral("frmHelp"));
        setWindowTitle(QStringLiteral("帮助"));
        browser_ = new QTextBrowser(this);
        browser_->setObjectName(QStringLiteral("browser"));
        setCentralWidget(browser_);
        placeReadably();
    }

    void open(const QString& page)
    {
        // Pages link to each other by bare names; the search path finds them in the help folder.
        browser_->setSearchPaths({QFileInfo(page).absolutePath()});
        browser_->setSource(QUrl::fromLocalFile(page));
    }

private:
    // Left to Qt, the window takes its browser's size hint, 256 by 192 pixels: that is what shows
    // where the desktop does not maximise windows, and what un-maximising gives back. Its own size
    // holds a page's lines whole: three quarters of the screen's free area, at least 60 characters
    // across and 35 lines down, never more than the free area; it starts centred there.
    void placeReadably()
    {
        const QRect free = screen()->availableGeometry();
        const QFontMetrics text(browser_->font());
        const QSize page(text.horizontalAdvance(QChar(0x6C49)) * 60, text.lineSpacing() * 35);
        const QSize size = page.expandedTo(free.size() * 3 / 4).boundedTo(free.size());
        setGeometry(QStyle::alignedRect(Qt::LeftToRight, Qt::AlignCenter, size, free));
    }

    QTextBrowser* browser_ = nullptr;
};

// The one help window; closing it only hides it, and it goes when its owner goes.
QPointer<HelpWindow> instance;

} // namespace

QString startPage()
{
    return QDir(files::appPath()).filePath(QStringLiteral("help/index.html"));
}

void showContents(QWidget* owner)
{
    const QString page = startPage();
    if (!QFileInfo(page).isFile())
        throw Error(QStringLiteral("找不到帮助文件：%1").arg(QDir::toNativeSeparators(page)));
    if (!instance)
        instance = new HelpWindow(owner);
    instance->open(page);
    instance->showMaximized();
    instance->raise();
    instance->activateWindow();
}

} // namespace help
