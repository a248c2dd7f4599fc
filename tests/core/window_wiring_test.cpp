#include "platform/ui/dialogs.h"
#include "qelv/core/Module1.h"
#include "qelv/core/window_registry.h"
#include "qelv/frame/frmMain.h"
#include "qelv/windows_all.h"
#include "tests/fixtures/modal.h"
#include "tests/fixtures/program_folder.h"

#include <QAction>
#include <QDialog>
#include <gtest/gtest.h>

namespace {

class WindowWiring : public fixtures::ProgramFolderTest {
protected:
    void SetUp() override
    {
        ProgramFolderTest::SetUp();
        Module1::setStartupDefaults();
        qelv::registerAllWindows();
    }
};

// Every window command of the main window opens its registered window, as designed.
TEST_F(WindowWiring, EveryCommandOpensItsWindow)
{
    auto w = std::make_unique<frmMain>();
    w->Form_Load();
    w->show();
    for (const frmMain::Command& c : frmMain::windowCommands()) {
        const QString menu = QString::fromLatin1(c.menuName);
        const QString form = QString::fromLatin1(c.formName);
        QAction* action = w->findChild<QAction*>(menu);
        ASSERT_NE(action, nullptr) << c.menuName;
        ASSERT_TRUE(windows::isRegistered(form)) << c.menuName << " opens no window";
        ASSERT_TRUE(action->isEnabled()) << c.menuName;
        bool opened = false;
        if (c.modal) {
            fixtures::whenShown<QDialog>(form, [&opened](QDialog* d) {
                opened = d->isModal();
                d->close();
            });
            action->trigger();
        } else {
            // A modeless window is shown at once and the command returns.
            action->trigger();
            for (QDialog* d : w->findChildren<QDialog*>(form)) {
                opened = opened || (d->isVisible() && !d->isModal());
                d->close();
            }
        }
        EXPECT_TRUE(opened) << c.menuName << " did not open " << c.formName << " as designed";
    }
    w->close();
}

// The toolbar runs the menu's commands: each button is enabled exactly when its command is.
TEST_F(WindowWiring, ToolbarButtonsFollowTheirMenuCommands)
{
    auto w = std::make_unique<frmMain>();
    const std::pair<const char*, const char*> buttons[] = {
        {"pwsj", "mnuPWSJLR"}, {"cstz", "mnuCSSFTZ"}, {"kp", "mnuFPSC"}, {"wtdj", "mnuWTSC"},
        {"DaoZhang", "mnuDZ"}, {"PLDZ", "mnupldz"},   {"nzbb", "mnuTJ"}};
    for (const auto& [key, menu] : buttons)
        EXPECT_EQ(w->findChild<QAction*>(key)->isEnabled(), w->findChild<QAction*>(menu)->isEnabled()) << key;
}

TEST(WindowRegistry, ASecondRegistrationOfAFormNameIsRefused)
{
    int made = 0;
    windows::registerWindow(QStringLiteral("frmTwice"), [&made](QWidget*) -> QDialog* {
        ++made;
        return nullptr;
    });
    EXPECT_THROW(windows::registerWindow(QStringLiteral("frmTwice"), [](QWidget*) -> QDialog* { return nullptr; }),
                 std::logic_error);
    windows::factory(QStringLiteral("frmTwice"))(nullptr);
    EXPECT_EQ(made, 1) << "the first registration stays";
}

} // namespace
