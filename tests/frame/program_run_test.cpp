// Runs the built program under the offscreen platform with a scripted operator, through its real
// windows: login, splash, main window, exit.
#include "tests/fixtures/program_folder.h"
#include "tests/fixtures/sqlite_probe.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
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
    f.write(QStringLiteral("wait frmLogin\n"
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
                           "close frmMain\n")
                .toUtf8());
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

TEST(ProgramFolderPreparation, CopiesOnlyTheShippedFilesThatAreMissing)
{
    fixtures::ProgramFolder folder(false);
    // An operator's own settings file, in another letter case: it must survive preparation.
    const QString own = folder.data(QStringLiteral("qelvsetup.mdb"));
    fixtures::exec(own, QStringLiteral("CREATE TABLE mine (x); INSERT INTO mine VALUES (7);"));

    QProcess prepare;
    prepare.start(QStringLiteral(QELV_PREPARE), {folder.path()});
    ASSERT_TRUE(prepare.waitForFinished(30000));
    EXPECT_EQ(prepare.exitCode(), 0) << prepare.readAllStandardError().toStdString();

    EXPECT_EQ(fixtures::probe(own, QStringLiteral("SELECT x FROM mine")).toInt(), 7);
    EXPECT_EQ(QDir(folder.data())
                  .entryList({QStringLiteral("*.mdb")}, QDir::Files)
                  .filter(QStringLiteral("setup"), Qt::CaseInsensitive)
                  .size(),
              1);
    for (const char* shipped : {"qelvdw.mdb", "qelvwrw.mdb", "QELVKZTMP.MDB", "qelvDataPrint.mdb"})
        EXPECT_TRUE(QFile::exists(folder.data(QString::fromLatin1(shipped)))) << shipped;
    EXPECT_TRUE(QFile::exists(folder.path() + QStringLiteral("/help/index.html")));

    // A second run adds nothing and changes nothing.
    fixtures::exec(folder.data(QStringLiteral("qelvdw.mdb")),
                   QStringLiteral("INSERT INTO dw (DanWeiBianHao) VALUES ('0012');"));
    prepare.start(QStringLiteral(QELV_PREPARE), {folder.path()});
    ASSERT_TRUE(prepare.waitForFinished(30000));
    EXPECT_EQ(fixtures::probe(folder.data(QStringLiteral("qelvdw.mdb")), QStringLiteral("SELECT DanWeiBianHao FROM dw"))
                  .toString(),
              QStringLiteral("0012"));
}
