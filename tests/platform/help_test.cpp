#include "platform/help/help.h"

#include "tests/fixtures/program_folder.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFontMetrics>
#include <QRegularExpression>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBrowser>
#include <algorithm>
#include <gtest/gtest.h>

namespace {

QWidget* helpWindow()
{
    QWidget* found = nullptr;
    int count = 0;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->objectName() == QStringLiteral("frmHelp")) {
            found = w;
            ++count;
        }
    EXPECT_LE(count, 1) << "the help window is one instance";
    return found;
}

void writeFile(const QString& path, const QString& text)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly)) << path.toStdString();
    f.write(text.toUtf8());
}

// A program folder of the test's own, named by QELV_HOME.
class HelpTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        old_ = qgetenv("QELV_HOME");
        qputenv("QELV_HOME", dir_.path().toUtf8());
    }
    void TearDown() override
    {
        if (QWidget* w = helpWindow())
            w->close();
        qputenv("QELV_HOME", old_);
    }

    void writePages()
    {
        QDir(dir_.path()).mkpath(QStringLiteral("help"));
        writeFile(dir_.filePath(QStringLiteral("help/index.html")),
                  QStringLiteral("<html><head><meta charset=\"utf-8\"><title>目录</title></head>"
                                 "<body><p>测试首页</p><p><a href=\"second.html\">第二页</a></p></body></html>"));
        writeFile(dir_.filePath(QStringLiteral("help/second.html")),
                  QStringLiteral("<html><head><meta charset=\"utf-8\"></head><body><p>第二页内容</p></body></html>"));
    }

    QTemporaryDir dir_;
    QByteArray old_;
};

TEST_F(HelpTest, OpensMaximisedOnTheStartPage)
{
    writePages();
    EXPECT_EQ(help::startPage(), dir_.filePath(QStringLiteral("help/index.html")));
    help::showContents();
    QWidget* w = helpWindow();
    ASSERT_NE(w, nullptr);
    EXPECT_TRUE(w->isVisible());
    EXPECT_TRUE(w->isMaximized());
    EXPECT_EQ(w->windowTitle(), QStringLiteral("帮助"));
    auto* browser = w->findChild<QTextBrowser*>();
    ASSERT_NE(browser, nullptr);
    EXPECT_EQ(browser->source().toLocalFile(), help::startPage());
    EXPECT_TRUE(browser->toPlainText().contains(QStringLiteral("测试首页"))) << browser->toPlainText().toStdString();
}

// Where the desktop does not maximise it, and once the operator un-maximises it, the window has its
// normal size: one that shows a page's lines whole, and no larger than the screen's free area.
TEST_F(HelpTest, UnMaximisedItHoldsAPageAndFitsTheScreen)
{
    writePages();
    help::showContents();
    QWidget* w = helpWindow();
    ASSERT_NE(w, nullptr);
    const QRect normal = w->normalGeometry();
    const QRect free = w->screen()->availableGeometry();
    EXPECT_TRUE(free.contains(normal)) << normal.width() << "x" << normal.height() << " outside " << free.width() << "x"
                                       << free.height();
    auto* browser = w->findChild<QTextBrowser*>();
    ASSERT_NE(browser, nullptr);
    // A line of 40 characters and 20 lines of the page's text.
    const QFontMetrics text(browser->font());
    const QSize page(text.horizontalAdvance(QStringLiteral("汉").repeated(40)), text.lineSpacing() * 20);
    EXPECT_GE(normal.width(), std::min(page.width(), free.width())) << normal.width();
    EXPECT_GE(normal.height(), std::min(page.height(), free.height())) << normal.height();
}

TEST_F(HelpTest, OneWindowIsReusedAndReturnsToTheStartPage)
{
    writePages();
    help::showContents();
    QWidget* first = helpWindow();
    ASSERT_NE(first, nullptr);
    auto* browser = first->findChild<QTextBrowser*>();
    browser->setSource(QUrl(QStringLiteral("second.html")));
    first->close();
    help::showContents();
    EXPECT_EQ(helpWindow(), first);
    EXPECT_TRUE(first->isVisible());
    EXPECT_TRUE(browser->toPlainText().contains(QStringLiteral("测试首页")));
}

TEST_F(HelpTest, LinksBetweenPagesWork)
{
    writePages();
    help::showContents();
    auto* browser = helpWindow()->findChild<QTextBrowser*>();
    ASSERT_NE(browser, nullptr);
    // The keyboard way of following a link: Tab selects it, Enter follows it.
    browser->setFocus();
    QTest::keyClick(browser, Qt::Key_Tab);
    QTest::keyClick(browser, Qt::Key_Return);
    EXPECT_TRUE(browser->toPlainText().contains(QStringLiteral("第二页内容"))) << browser->toPlainText().toStdString();
    EXPECT_EQ(browser->source().toLocalFile(), dir_.filePath(QStringLiteral("help/second.html")));
}

TEST_F(HelpTest, MissingPagesAreReported)
{
    try {
        help::showContents();
        FAIL() << "no error";
    } catch (const help::Error& e) {
        const QString text = e.description();
        EXPECT_TRUE(text.contains(QStringLiteral("帮助"))) << e.what();
        EXPECT_TRUE(text.contains(QStringLiteral("index.html"))) << e.what();
    }
    QWidget* w = helpWindow();
    EXPECT_TRUE(w == nullptr || !w->isVisible());
}

// The pages the build ships: a start page, in UTF-8, whose links all reach a shipped page.
TEST(ShippedHelp, PagesLinkOnlyToShippedPages)
{
    const QDir help(fixtures::shippedDir() + QStringLiteral("/help"));
    ASSERT_TRUE(QFile::exists(help.filePath(QStringLiteral("index.html")))) << help.path().toStdString();
    static const QRegularExpression href(QStringLiteral("href=\"([^\"#]*)"));
    for (const QString& name : help.entryList({QStringLiteral("*.html")}, QDir::Files)) {
        QFile f(help.filePath(name));
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        const QByteArray bytes = f.readAll();
        EXPECT_EQ(QString::fromUtf8(bytes).toUtf8(), bytes) << name.toStdString() << " is not UTF-8";
        for (auto it = href.globalMatch(QString::fromUtf8(bytes)); it.hasNext();) {
            const QString target = it.next().captured(1);
            if (!target.isEmpty()) {
                EXPECT_TRUE(QFile::exists(help.filePath(target)))
                    << name.toStdString() << " -> " << target.toStdString();
            }
        }
    }
}

} // namespace
