// The shipped help pages against the main window: every command of its menus has a page, linked from
// the contents, that names the command and the window it opens; the contents link the pages on the
// month's order of work, late fees, backup, printers, PM22 and a fresh install; the messages the pages
// quote are the program's own.
#include "qelv/core/Module1.h"
#include "qelv/frame/frmMain.h"
#include "qelv/windows_all.h"
#include "tests/fixtures/modal.h"
#include "tests/fixtures/program_folder.h"

#include <QAction>
#include <QDialog>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QMenu>
#include <QMenuBar>
#include <QRegularExpression>
#include <gtest/gtest.h>

namespace {

struct Page {
    QString name;
    QString heading; // the text of its <h1>
    QString text; // without tags
    QStringList links;
};

QString helpDir()
{
    return fixtures::shippedDir() + QStringLiteral("/help");
}

QString plain(QString html)
{
    html.remove(QRegularExpression(QStringLiteral("<[^>]*>")));
    return html.replace(QStringLiteral("&amp;"), QStringLiteral("&"))
        .replace(QStringLiteral("&lt;"), QStringLiteral("<"))
        .replace(QStringLiteral("&gt;"), QStringLiteral(">"));
}

Page readPage(const QString& name)
{
    Page page;
    page.name = name;
    const QString html = QString::fromUtf8(fixtures::bytes(helpDir() + QLatin1Char('/') + name));
    const auto heading =
        QRegularExpression(QStringLiteral("<h1>(.*?)</h1>"), QRegularExpression::DotMatchesEverythingOption)
            .match(html);
    page.heading = plain(heading.captured(1));
    page.text = plain(html);
    auto links = QRegularExpression(QStringLiteral("href=\"([^\"#]+)")).globalMatch(html);
    while (links.hasNext())
        page.links << links.next().captured(1);
    return page;
}

// The pages the contents page links to, the contents page first.
QList<Page> contents()
{
    QList<Page> pages{readPage(QStringLiteral("index.html"))};
    for (const QString& link : pages.first().links)
        if (link != QLatin1String("index.html"))
            pages << readPage(link);
    return pages;
}

// "排污数据录入(&L)" reads 排污数据录入, "关于(&A) " 关于, "报表(R)" 报表.
QString caption(const QAction* action)
{
    QString text = action->text();
    text.remove(QRegularExpression(QStringLiteral("\\(&?.\\)")));
    text.remove(QLatin1Char('&'));
    return text.trimmed();
}

class HelpPages : public fixtures::ProgramFolderTest {
protected:
    void SetUp() override
    {
        ProgramFolderTest::SetUp();
        Module1::setStartupDefaults();
        qelv::registerAllWindows();
    }

    // The caption of the window a command opens, as the operator sees it.
    QString titleOpenedBy(QAction* action, const QString& form, bool modal)
    {
        QString title;
        if (modal) {
            fixtures::whenShown<QDialog>(form, [&title](QDialog* d) {
                title = d->windowTitle();
                d->close();
            });
            action->trigger();
        } else {
            action->trigger();
            for (QWidget* w : QApplication::topLevelWidgets())
                if (w->objectName() == form && w->isVisible()) {
                    title = w->windowTitle();
                    w->close();
                }
        }
        return title;
    }
};

TEST_F(HelpPages, EveryPageTheContentsLinkIsShippedAndLeadsBack)
{
    const QList<Page> pages = contents();
    ASSERT_GT(pages.size(), 20);
    for (const Page& page : pages) {
        EXPECT_TRUE(QFileInfo(helpDir() + QLatin1Char('/') + page.name).isFile()) << page.name.toStdString();
        EXPECT_FALSE(page.heading.isEmpty()) << page.name.toStdString() << " has no heading";
        if (page.name != QLatin1String("index.html")) {
            EXPECT_TRUE(page.links.contains(QStringLiteral("index.html"))) << page.name.toStdString();
        }
        for (const QString& link : page.links)
            EXPECT_TRUE(QFileInfo(helpDir() + QLatin1Char('/') + link).isFile())
                << page.name.toStdString() << " links the missing " << link.toStdString();
    }
}

// A command that opens a window has a page headed by that window's caption that says which menu
// command opens it; the other commands are named on the page of the menus.
TEST_F(HelpPages, EveryMenuCommandHasAPageNamingItsWindow)
{
    const QList<Page> pages = contents();
    auto main = std::make_unique<frmMain>();
    main->Form_Load();
    main->show();
    int commands = 0;
    for (QAction* top : main->menuBar()->actions()) {
        QMenu* menu = top->menu();
        if (!menu)
            continue;
        const QString menuCaption = caption(top);
        for (QAction* action : menu->actions()) {
            if (action->isSeparator())
                continue;
            ++commands;
            const QString command = caption(action);
            const std::string where = (menuCaption + QStringLiteral(" → ") + command).toStdString();
            QString form;
            bool modal = true;
            for (const frmMain::Command& c : frmMain::windowCommands())
                if (action->objectName() == QLatin1String(c.menuName)) {
                    form = QString::fromLatin1(c.formName);
                    modal = c.modal;
                }
            if (action->objectName() == QLatin1String("mnuHelpAbout"))
                form = QStringLiteral("frmAbout");
            if (form.isEmpty()) {
                const Page& menus = readPage(QStringLiteral("menus.html"));
                EXPECT_TRUE(menus.text.contains(command)) << where << " is not on the page of the menus";
                continue;
            }
            const QString title = titleOpenedBy(action, form, modal);
            ASSERT_FALSE(title.isEmpty()) << where << " opened no window";
            bool found = false;
            for (const Page& page : pages)
                found = found ||
                    (page.heading.contains(title) && page.text.contains(menuCaption + QStringLiteral(" → ") + command));
            EXPECT_TRUE(found) << where << ": no page of the contents is headed “" << title.toStdString()
                               << "” and names the command";
        }
    }
    EXPECT_EQ(commands, 26);
    main->close();
}

TEST_F(HelpPages, TheContentsLeadToTheMonthsWorkAndTheOperatorsTopics)
{
    const QList<Page> pages = contents();
    auto headed = [&pages](const QString& words) -> const Page* {
        for (const Page& page : pages)
            if (page.heading.contains(words))
                return &page;
        return nullptr;
    };
    for (const char* topic : {"每月的工作顺序", "滞纳金", "备份", "打印机和纸张", "PM22"})
        EXPECT_NE(headed(QString::fromUtf8(topic)), nullptr) << topic;

    const Page* month = headed(QStringLiteral("每月的工作顺序"));
    ASSERT_NE(month, nullptr);
    // The steps of a month, in their order.
    qsizetype at = 0;
    for (const char* step :
         {"操作月份", "开票日期", "排污数据", "复制指定月份数据", "打印开票单位数据", "测算通知", "连续套打",
          "单票套打", "发票作废", "委托", "PM22", "到账", "批量到账", "统计", "月到账报表"}) {
        const qsizetype found = month->text.indexOf(QString::fromUtf8(step), at);
        EXPECT_GE(found, 0) << step << " missing, or out of order, on the page of the month";
        if (found >= 0)
            at = found;
    }
}

// A fresh install: the workbench says "请初始化软件!" until the register holds an enterprise. The page
// for it is reached from the contents and takes the windows in the order they need each other: the
// payee, industries and squads before the register picks from them, pollutants before they are
// assigned, the assignments and the template before the month's data; each 系统管理 command it names
// is one of that menu.
TEST_F(HelpPages, TheFreshInstallPageTakesTheWindowsInTheOrderTheyNeedEachOther)
{
    const QList<Page> pages = contents();
    const Page* install = nullptr;
    for (const Page& page : pages)
        if (page.heading.contains(QStringLiteral("第一次使用")))
            install = &page;
    ASSERT_NE(install, nullptr) << "no page of the contents is headed 第一次使用";
    EXPECT_TRUE(install->text.contains(QStringLiteral("请初始化软件!")));
    EXPECT_TRUE(readPage(QStringLiteral("workbench.html")).links.contains(install->name))
        << "the workbench's page sends the message to it";
    qsizetype at = 0;
    for (const char* step : {"委托收款单位情况", "行业管理", "中队管理", "单位目录", "定义污染物", "单位污染物管理",
                             "创建数据库", "通知的基本内容", "排污数据录入", "复制最新数据"}) {
        const qsizetype found = install->text.indexOf(QString::fromUtf8(step), at);
        EXPECT_GE(found, 0) << step << " missing, or out of order, on the page of a fresh install";
        if (found >= 0)
            at = found;
    }

    auto main = std::make_unique<frmMain>();
    main->Form_Load();
    QStringList commands;
    for (QAction* top : main->menuBar()->actions())
        if (top->menu() && caption(top) == QStringLiteral("系统管理"))
            for (QAction* action : top->menu()->actions())
                commands << caption(action);
    ASSERT_FALSE(commands.isEmpty());
    static const QRegularExpression named(QStringLiteral("系统管理 → (\\S+?)”"));
    int names = 0;
    for (auto it = named.globalMatch(install->text); it.hasNext(); ++names) {
        const QString command = it.next().captured(1);
        EXPECT_TRUE(commands.contains(command)) << command.toStdString() << " is no command of 系统管理";
    }
    EXPECT_GE(names, 8);
}

// The first column of a page's table of messages ("提示") quotes what the program says: each part of
// it between the places where the program puts a value ("…", "n", "X", a number) is in the program's
// sources, sentence by sentence (the program may join its sentences from several texts, and puts a
// failure's cause after what failed and a colon). A part in
// brackets describes, rather than quotes ("（单位编号）"), and is left out. A page describing a message
// the program no longer gives fails here.
TEST_F(HelpPages, EveryMessageAPageQuotesIsTheProgramsOwn)
{
    QString sources;
    for (const char* folder : {"qelv", "platform"}) {
        QDirIterator it(QStringLiteral(QELV_SOURCE_TREE "/") + QString::fromLatin1(folder),
                        {QStringLiteral("*.cpp"), QStringLiteral("*.h")}, QDir::Files, QDirIterator::Subdirectories);
        while (it.hasNext())
            sources += QString::fromUtf8(fixtures::bytes(it.next()));
    }
    // A message's lines are one text on the page.
    sources.remove(QStringLiteral("\\n"));
    ASSERT_TRUE(sources.contains(QStringLiteral("请初始化软件!")));

    static const QRegularExpression table(QStringLiteral("<table[^>]*>\\s*<tr><th>提示</th>(.*?)</table>"),
                                          QRegularExpression::DotMatchesEverythingOption);
    static const QRegularExpression quoted(QStringLiteral("<tr><td>(.*?)</td>"));
    static const QRegularExpression values(
        QStringLiteral("（[^）]*）|…+|\\.\\.\\.|(?<![A-Za-z0-9])([nmX]|\\d+)(?![A-Za-z0-9])| / |\\x{1}"));
    int parts = 0;
    QDirIterator files(helpDir(), {QStringLiteral("*.html")}, QDir::Files);
    while (files.hasNext()) {
        const QString name = QFileInfo(files.next()).fileName();
        const QString html = QString::fromUtf8(fixtures::bytes(helpDir() + QLatin1Char('/') + name));
        for (auto t = table.globalMatch(html); t.hasNext();) {
            const QString rows = t.next().captured(1);
            for (auto r = quoted.globalMatch(rows); r.hasNext();) {
                const QString message = plain(r.next().captured(1));
                QString sentences = message;
                sentences.replace(QStringLiteral("。"), QStringLiteral("。\x01"))
                    .replace(QStringLiteral("！"), QStringLiteral("！\x01"))
                    .replace(QStringLiteral("："), QStringLiteral("：\x01"));
                for (const QString& part : sentences.split(values, Qt::SkipEmptyParts)) {
                    QString text = part.trimmed();
                    while (text.endsWith(u'。') || text.endsWith(u'！'))
                        text.chop(1);
                    if (text.size() < 3)
                        continue;
                    ++parts;
                    EXPECT_TRUE(sources.contains(text))
                        << name.toStdString() << ": “" << text.toStdString() << "” is not the program's (in “"
                        << message.toStdString() << "”)";
                }
            }
        }
    }
    EXPECT_GT(parts, 100);
}

} // namespace
