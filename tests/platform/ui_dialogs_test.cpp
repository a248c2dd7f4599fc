#include "platform/convert/convert.h"
#include "platform/db/error.h"
#include "platform/ui/application.h"
#include "platform/ui/controls.h"
#include "platform/ui/dialogs.h"
#include "platform/ui/twips.h"

#include <QLabel>
#include <gtest/gtest.h>

class DialogScript : public ::testing::Test {
protected:
    void SetUp() override { ui::testing::enable(); }
    void TearDown() override { ui::testing::disable(); }
};

TEST_F(DialogScript, AnswersComeInOrderAndEveryBoxIsRecorded)
{
    ui::testing::answer(ui::Answer::Yes);
    ui::testing::answer(ui::Answer::No);
    ui::testing::answerInput(QStringLiteral("2003-7"));
    EXPECT_TRUE(ui::askYesNo(QStringLiteral("继续吗？")));
    EXPECT_EQ(ui::msgBox(QStringLiteral("再问"), ui::Buttons::YesNo, ui::Icon::Question), ui::Answer::No);
    EXPECT_EQ(ui::inputBox(QStringLiteral("月份："), QStringLiteral("复制"), QStringLiteral("2003-6")),
              QStringLiteral("2003-7"));
    ASSERT_EQ(ui::testing::shown().size(), 3u);
    EXPECT_EQ(ui::testing::shown()[0].title, QStringLiteral("Tevrano"));
    EXPECT_EQ(ui::testing::shown()[0].buttons, ui::Buttons::YesNo);
    EXPECT_EQ(ui::testing::shown()[2].kind, ui::testing::Shown::Input);
    EXPECT_EQ(ui::testing::shown()[2].title, QStringLiteral("复制"));
    EXPECT_EQ(ui::testing::shown()[2].proposed, QStringLiteral("2003-6"));
}

// Another layer's dialog (the print dialog) is never run in test mode: it is recorded and answered.
TEST_F(DialogScript, OtherDialogsAreAnsweredFromTheScript)
{
    int runs = 0;
    auto show = [&runs] {
        ++runs;
        return true;
    };
    ui::testing::answer(ui::Answer::Ok);
    ui::testing::answer(ui::Answer::Cancel);
    EXPECT_TRUE(ui::runDialog(QStringLiteral("打印"), show));
    EXPECT_FALSE(ui::runDialog(QStringLiteral("打印"), show));
    EXPECT_FALSE(ui::runDialog(QStringLiteral("打印"), show)) << "unanswered, it is cancelled";
    EXPECT_EQ(runs, 0);
    ASSERT_EQ(ui::testing::shown().size(), 3u);
    EXPECT_EQ(ui::testing::shown()[0].kind, ui::testing::Shown::Dialog);
    EXPECT_EQ(ui::testing::shown()[0].title, QStringLiteral("打印"));

    ui::testing::disable();
    EXPECT_TRUE(ui::runDialog(QStringLiteral("打印"), show));
    EXPECT_EQ(runs, 1) << "outside test mode the dialog itself decides";
}

TEST_F(DialogScript, OpenFileDialogsTakeTheQueuedFileNames)
{
    ui::testing::answerFile(QStringLiteral("/tmp/a.jpg"));
    ui::testing::answerFile(QString());
    ui::testing::answer(ui::Answer::Ok); // a box's answer is no file name
    EXPECT_EQ(ui::openFileName(QStringLiteral("打开")), QStringLiteral("/tmp/a.jpg"));
    EXPECT_EQ(ui::openFileName(QStringLiteral("打开")), QString()) << "an empty name is a Cancel";
    EXPECT_EQ(ui::openFileName(), QString()) << "unanswered, it is cancelled";
    ASSERT_EQ(ui::testing::shown().size(), 3u);
    EXPECT_EQ(ui::testing::shown()[0].kind, ui::testing::Shown::Dialog);
    EXPECT_EQ(ui::testing::shown()[0].title, QStringLiteral("打开"));
    EXPECT_EQ(ui::msgBox(QStringLiteral("x"), ui::Buttons::OkCancel), ui::Answer::Ok)
        << "the box's answer is still queued";
}

TEST_F(DialogScript, UnansweredBoxesTakeTheSafeChoice)
{
    EXPECT_EQ(ui::msgBox(QStringLiteral("a")), ui::Answer::Ok);
    EXPECT_FALSE(ui::askYesNo(QStringLiteral("b")));
    EXPECT_EQ(ui::msgBox(QStringLiteral("c"), ui::Buttons::OkCancel), ui::Answer::Cancel);
    EXPECT_EQ(ui::inputBox(QStringLiteral("d")), QString()) << "an input box unanswered is a Cancel";
}

TEST_F(DialogScript, ErrorsShowTheirOwnDescription)
{
    ui::showError(db::Error(QStringLiteral("找不到文件")));
    ui::showError(convert::Error(QStringLiteral("类型不匹配")));
    ui::showError(std::runtime_error("plain"));
    EXPECT_EQ(ui::testing::shownTexts(), QStringList({"找不到文件", "类型不匹配", "plain"}));
    ui::beep();
    ui::beep();
    EXPECT_EQ(ui::testing::beeps(), 2);
}

TEST(Twips, FifteenTwipsAPixel)
{
    EXPECT_EQ(ui::px(1000), 67);
    EXPECT_EQ(ui::px(6500), 433);
    EXPECT_EQ(ui::px(15), 1);
    EXPECT_EQ(ui::twips(67), 1005.0);
    QWidget parent;
    auto* label = ui::control<QLabel>(&parent, "lblStatus", 690, 0, 3360, 300, QStringLiteral("Record: 1"));
    EXPECT_EQ(label->objectName(), QStringLiteral("lblStatus"));
    EXPECT_EQ(label->text(), QStringLiteral("Record: 1"));
    EXPECT_EQ(label->geometry(), QRect(46, 0, 224, 20));
}

namespace {
// An object whose event handler fails the way a careless handler would.
class Failing : public QObject {
public:
    bool event(QEvent* e) override
    {
        if (e->type() == QEvent::User)
            throw std::runtime_error("handler failed");
        return QObject::event(e);
    }
};
} // namespace

TEST_F(DialogScript, AnErrorThatEscapesAHandlerIsShownAndTheProgramGoesOn)
{
    ASSERT_NE(dynamic_cast<ui::Application*>(QCoreApplication::instance()), nullptr);
    Failing failing;
    QEvent event(QEvent::User);
    EXPECT_FALSE(QCoreApplication::sendEvent(&failing, &event));
    EXPECT_EQ(ui::testing::shownTexts(), QStringList(QStringLiteral("handler failed")));
}
