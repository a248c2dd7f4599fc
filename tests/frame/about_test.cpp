#include "platform/settings/settings.h"
#include "platform/ui/dialogs.h"
#include "qelv/frame/frmAbout.h"
#include "tests/fixtures/program_folder.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

class AboutTest : public fixtures::ProgramFolderTest {
protected:
    void TearDown() override
    {
        frmAbout::release();
        ProgramFolderTest::TearDown();
    }
};

TEST_F(AboutTest, ShowsTitleAndVersionAndIsOneInstance)
{
    frmAbout* about = frmAbout::instance(nullptr);
    EXPECT_EQ(about->windowTitle(), QStringLiteral("关于 Tevrano"));
    EXPECT_EQ(about->lblTitle->text(), QStringLiteral("Tevrano"));
    EXPECT_EQ(about->lblVersion->text(), QStringLiteral("版本 3.20.1"));
    EXPECT_EQ(about->cmdSysInfo->text(), QStringLiteral("系统信息(&S)..."));
    EXPECT_EQ(frmAbout::instance(nullptr), about);
}

TEST_F(AboutTest, StartsTheConfiguredSystemInformationProgram)
{
    const QString marker = folder->path() + QStringLiteral("/started");
    const QString script = folder->path() + QStringLiteral("/sysinfo.sh");
    QFile f(script);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(("#!/bin/sh\ntouch '" + marker + "'\n").toUtf8());
    f.close();
    f.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    settings::save(QStringLiteral("SysInfoPath"), script);

    frmAbout::instance(nullptr)->cmdSysInfo->click();
    // The deadline only guards against a hang.
    for (QDeadlineTimer deadline(60000); !QFile::exists(marker) && !deadline.hasExpired();)
        QTest::qWait(20);
    EXPECT_TRUE(QFile::exists(marker));
    EXPECT_TRUE(ui::testing::shown().empty());
}

TEST_F(AboutTest, SaysSoWhenNoProgramIsAvailableOrItCannotStart)
{
    const QByteArray path = qgetenv("PATH");
    qputenv("PATH", folder->path().toUtf8()); // no well-known tool on it
    frmAbout::instance(nullptr)->StartSysInfo();
    settings::save(QStringLiteral("SysInfoPath"), folder->path() + QStringLiteral("/no-such-program"));
    frmAbout::instance(nullptr)->StartSysInfo();
    qputenv("PATH", path);
    EXPECT_EQ(ui::testing::shownTexts(),
              QStringList({QStringLiteral("此时系统信息不可用"), QStringLiteral("此时系统信息不可用")}));
    EXPECT_TRUE(frmAbout::instance(nullptr)) << "the About box stays";
}
