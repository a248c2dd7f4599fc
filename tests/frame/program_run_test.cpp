// Runs the built program under the offscreen platform with a scripted operator, through its real
// windows: login, splash, main window, exit.
#include "tests/fixtures/program_folder.h"
#include "tests/fixtures/sqlite_probe.h"

#include <QFile>
#include <QProcess>
#include <gtest/gtest.h>

TEST(ProgramRun, LogsInThroughTheRealWindowsAndReachesTheMainWindow)
{
    fixtures::ProgramFolder folder;
    fixtures::exec(folder.data(QStringLiteral("qelvSetUp.mdb")),
                   QStringLiteral("INSERT INTO hbj VALUES ('县环保局', '农行', '123', 'ID1');"));
    const QString script = folder.path() + QStringLiteral("/script.txt");
    QFile f(script);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(QStringLiteral(
        "wait frmLogin\n"
        "set txtUserName admin\n"
        "set txtPassword nope\n"
        "click cmdOK\n"
        "msgbox 密码错误，再试一次！\n"
        "set txtPassword admin\n"
        "set Text1 2003-05-20\n"
        "set Text2 2003-4\n"
        "click cmdOK\n"
        "wait frmMain\n"
        "expect panel2 用户:admin\n"
        "expect panel3 开票日期:2003-05-20\n"
        "expect panel4 操作月份:2003-04\n"
        "close frmMain\n").toUtf8());
    f.close();

    QProcess program;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("QELV_HOME"), folder.path());
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), folder.configDir());
    env.insert(QStringLiteral("QELV_UI_SCRIPT"), script);
    program.setProcessEnvironment(env);
    program.setProcessChannelMode(QProcess::MergedChannels);
    program.start(QStringLiteral(QELV_EXECUTABLE), {});
    ASSERT_TRUE(program.waitForFinished(60000));
    const QString out = QString::fromUtf8(program.readAll());
    EXPECT_EQ(program.exitCode(), 0) << out.toStdString();
    EXPECT_TRUE(out.contains(QStringLiteral("uidriver: ok expect panel4 操作月份:2003-04"))) << out.toStdString();
    QFile ini(folder.configDir() + QStringLiteral("/Tevrano/Tevrano.ini"));
    EXPECT_TRUE(ini.exists()) << "the placement was saved on closing";
}
