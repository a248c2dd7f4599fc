#include "platform/help/help.h"

#include "platform/files/files.h"

#include <QDir>
#include <QFileInfo>
#include <QMainWindow>
#include <QPointer>
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
    }

    void open(const QString& page)
    {
        // Pages link to each other by bare names; the search path finds them in the help folder.
        browser_->setSearchPaths({QFileInfo(page).absolutePath()});
        browser_->setSource(QUrl::fromLocalFile(page));
    }

private:
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
