// The Debian package as scripts/package makes it: built with CPack from this build, listed, and the
// program extracted from it started offscreen as a user would start it from the menu, as far as the
// login window, preparing the user's program folder and registering the paper-setting control.
#include "tests/fixtures/program_folder.h"
#include "tests/fixtures/sqlite_probe.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QSet>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

struct Outcome {
    int exitCode = -1;
    QString output;
};

Outcome run(const QString& program, const QStringList& arguments, const QProcessEnvironment& env = {},
            int timeoutMs = 120000)
{
    QProcess p;
    if (!env.isEmpty())
        p.setProcessEnvironment(env);
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.start(program, arguments);
    Outcome r;
    if (!p.waitForFinished(timeoutMs)) {
        p.kill();
        p.waitForFinished();
        r.output = QStringLiteral("%1 did not finish: ").arg(program) + QString::fromUtf8(p.readAll());
        return r;
    }
    r.exitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    r.output = QString::fromUtf8(p.readAll());
    return r;
}

class Package : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        dir_ = new QTemporaryDir;
        const Outcome built = run(QStringLiteral(CPACK_COMMAND),
                                  {QStringLiteral("--config"), QStringLiteral(QELV_BUILD_TREE "/CPackConfig.cmake"),
                                   QStringLiteral("-B"), dir_->filePath(QStringLiteral("out"))},
                                  {}, 600000);
        buildOutput_ = new QString(built.output);
        QDirIterator found(dir_->filePath(QStringLiteral("out")), {QStringLiteral("*.deb")}, QDir::Files);
        deb_ = new QString(found.hasNext() ? found.next() : QString());
        if (!deb_->isEmpty())
            run(QStringLiteral("dpkg-deb"), {QStringLiteral("-x"), *deb_, dir_->filePath(QStringLiteral("root"))});
    }
    static void TearDownTestSuite()
    {
        delete deb_;
        delete buildOutput_;
        delete dir_;
    }
    void SetUp() override { ASSERT_FALSE(deb_->isEmpty()) << "no package was made:\n" << buildOutput_->toStdString(); }

    static QString root() { return dir_->filePath(QStringLiteral("root")); }
    static QString home() { return dir_->filePath(QStringLiteral("home")); }

    // The environment of a user of the machine who starts the program from the menu.
    static QProcessEnvironment user()
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        for (const char* name : {"QELV_HOME", "XDG_DATA_HOME", "XDG_CONFIG_HOME", "QELV_COMPONENT_REGISTRY",
                                 "QUORBEL_FORMS_REGISTRY", "QELV_SHIPPED_DIR"})
            env.remove(QString::fromLatin1(name));
        env.insert(QStringLiteral("HOME"), home());
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        return env;
    }

    static QTemporaryDir* dir_;
    static QString* deb_;
    static QString* buildOutput_;
};

QTemporaryDir* Package::dir_ = nullptr;
QString* Package::deb_ = nullptr;
QString* Package::buildOutput_ = nullptr;

TEST_F(Package, HoldsTheProgramItsDataAndItsMenuEntryWithDebiansDependencies)
{
    const Outcome listed = run(QStringLiteral("dpkg-deb"), {QStringLiteral("-c"), *deb_});
    ASSERT_EQ(listed.exitCode, 0) << listed.output.toStdString();
    for (const char* path :
         {"./usr/bin/qelv", "./usr/lib/qelv/qelv", "./usr/lib/qelv/qelv-prepare", "./usr/lib/qelv/libquorbel.so",
          "./usr/lib/qelv/quorbel-register", "./usr/share/qelv/Data/qelvSetUp.mdb", "./usr/share/qelv/Data/qelvdw.mdb",
          "./usr/share/qelv/Data/QELVKZTMP.MDB", "./usr/share/qelv/Data/qelvwtPrint.mdb",
          "./usr/share/qelv/help/index.html", "./usr/share/qelv/help/month.html", "./usr/share/qelv/pic/fp.jpg",
          "./usr/share/qelv/pic/wt.jpg", "./usr/share/applications/qelv.desktop",
          "./usr/share/icons/hicolor/scalable/apps/qelv.svg"})
        EXPECT_TRUE(listed.output.contains(QString::fromLatin1(path) + QLatin1Char('\n'))) << path;
    EXPECT_FALSE(listed.output.contains(QStringLiteral("test"))) << "tests are not shipped";

    const Outcome depends = run(QStringLiteral("dpkg-deb"), {QStringLiteral("-f"), *deb_, QStringLiteral("Depends")});
    for (const char* package : {"libqt6widgets6", "libqt6printsupport6", "libsqlite3-0", "libcups2", "qt6-qpa-plugins",
                                "fonts-wqy-microhei", "qt6-translations-l10n"})
        EXPECT_TRUE(depends.output.contains(QString::fromLatin1(package)))
            << package << " in " << depends.output.toStdString();

    const QString desktop =
        QString::fromUtf8(fixtures::bytes(root() + QStringLiteral("/usr/share/applications/qelv.desktop")));
    EXPECT_TRUE(desktop.contains(QStringLiteral("\nExec=qelv\n")));
    EXPECT_TRUE(desktop.contains(QStringLiteral("\nIcon=qelv\n")));
    EXPECT_TRUE(desktop.contains(QStringLiteral("\nCategories=Office;")));
}

// Debian's control format: the first line of the description is the summary; each line of the long
// description begins with one space and then its text, an empty line being " .". Made from a list, each
// line began with " ;".
TEST_F(Package, ItsDescriptionIsInDebiansFormat)
{
    const Outcome info = run(QStringLiteral("dpkg-deb"), {QStringLiteral("-I"), *deb_});
    ASSERT_EQ(info.exitCode, 0) << info.output.toStdString();
    const Outcome field = run(QStringLiteral("dpkg-deb"), {QStringLiteral("-f"), *deb_, QStringLiteral("Description")});
    ASSERT_EQ(field.exitCode, 0) << field.output.toStdString();
    QStringList lines = field.output.split(QLatin1Char('\n'));
    if (lines.last().isEmpty())
        lines.removeLast();
    ASSERT_GE(lines.size(), 3) << field.output.toStdString();
    EXPECT_EQ(lines.takeFirst(), QStringLiteral("Tevrano, the pollutant-discharge fee office of a county"));
    static const QRegularExpression line(QStringLiteral("^ ([^ ;.].*| \\S.*|\\.)$"));
    for (const QString& l : lines)
        EXPECT_TRUE(line.match(l).hasMatch()) << "“" << l.toStdString() << "”";
    const QString text = lines.join(QLatin1Char('\n'));
    EXPECT_TRUE(text.contains(QStringLiteral(" enterprises and their pollutants"))) << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral(" .\n With Quorbel"))) << "paragraphs apart: " << text.toStdString();
    // The control file as a whole, as dpkg-deb -I shows it, holds the same lines.
    for (const QString& l : lines)
        EXPECT_TRUE(info.output.contains(QLatin1Char(' ') + l + QLatin1Char('\n'))) << l.toStdString();
}

// scripts/package builds the target package_contents: it makes every file the install rules take from
// the build tree, and nothing of the tests and benchmarks (a whole build takes many times as long).
TEST(PackageBuild, MakesWhatThePackageInstallsAndNoTest)
{
    const QString tree = QStringLiteral(QELV_BUILD_TREE);
    if (!QFile::exists(tree + QStringLiteral("/build.ninja")))
        GTEST_SKIP() << "not a Ninja build";
    // Every file of the target's build graph, made or read, as Ninja draws it.
    const Outcome graph = run(QStringLiteral(NINJA_COMMAND),
                              {QStringLiteral("-C"), tree, QStringLiteral("-t"), QStringLiteral("graph"),
                               QStringLiteral("package_contents")});
    ASSERT_EQ(graph.exitCode, 0) << graph.output.toStdString();
    static const QRegularExpression node(QStringLiteral("label=\"([^\"]+)\""));
    QSet<QString> built;
    const QString source = QStringLiteral(QELV_SOURCE_TREE) + QLatin1Char('/');
    for (auto it = node.globalMatch(graph.output); it.hasNext();) {
        const QString path = QDir::cleanPath(QDir(tree).absoluteFilePath(it.next().captured(1)));
        built.insert(path);
        for (const char* folder : {"tests/", "bench/"})
            EXPECT_FALSE(path.startsWith(source + QString::fromLatin1(folder)) ||
                         path.startsWith(tree + QLatin1Char('/') + QString::fromLatin1(folder)))
                << path.toStdString();
    }

    // The files of the install rules that lie in the build tree: those a target makes, and those of
    // a folder installed whole.
    static const QRegularExpression rule(QStringLiteral("file\\(INSTALL DESTINATION \"[^\"]*\" TYPE (\\w+)"
                                                        "[^)]*?FILES \"([^\"]+)\""));
    int installed = 0;
    QDirIterator scripts(tree, {QStringLiteral("cmake_install.cmake")}, QDir::Files, QDirIterator::Subdirectories);
    while (scripts.hasNext()) {
        const QString text = QString::fromUtf8(fixtures::bytes(scripts.next()));
        for (auto it = rule.globalMatch(text); it.hasNext();) {
            const auto m = it.next();
            const QString path = QDir::cleanPath(m.captured(2));
            if (!path.startsWith(tree + QLatin1Char('/')))
                continue;
            QStringList files{path};
            if (m.captured(1) == QLatin1String("DIRECTORY")) {
                files.clear();
                QDirIterator under(path, QDir::Files, QDirIterator::Subdirectories);
                while (under.hasNext())
                    files << QDir::cleanPath(under.next());
            }
            for (const QString& file : files) {
                ++installed;
                EXPECT_TRUE(built.contains(file)) << file.toStdString() << " is installed but package_contents "
                                                  << "does not build it";
            }
        }
    }
    EXPECT_GT(installed, 0) << "no install rule read";
}

// Started from the menu, the program prepares the user's folder, registers the control for the user
// and reaches the login window; a second start keeps the user's data.
TEST_F(Package, StartsForTheUserAsFarAsTheLogin)
{
    const QString script = dir_->filePath(QStringLiteral("login.txt"));
    QFile f(script);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("wait frmLogin\n"
            "expect cmdOK 确定\n"
            "click cmdCancel\n");
    f.close();
    QProcessEnvironment env = user();
    env.insert(QStringLiteral("QELV_UI_SCRIPT"), script);
    const QString launcher = root() + QStringLiteral("/usr/bin/qelv");

    const Outcome first = run(launcher, {}, env);
    EXPECT_EQ(first.exitCode, 0) << first.output.toStdString();
    EXPECT_TRUE(first.output.contains(QStringLiteral("uidriver: ok wait frmLogin"))) << first.output.toStdString();

    const QString folder = home() + QStringLiteral("/.local/share/qelv");
    for (const char* file : {"/Data/qelvSetUp.mdb", "/Data/qelvdw.mdb", "/help/index.html", "/pic/fp.jpg"})
        EXPECT_TRUE(QFile::exists(folder + QString::fromLatin1(file))) << file;
    const QString registry =
        QString::fromUtf8(fixtures::bytes(home() + QStringLiteral("/.config/qelv/components.json")));
    EXPECT_TRUE(registry.contains(QDir(root()).canonicalPath() + QStringLiteral("/usr/lib/qelv/libquorbel.so")))
        << registry.toStdString();

    const QString dw = folder + QStringLiteral("/Data/qelvdw.mdb");
    fixtures::exec(dw, QStringLiteral("INSERT INTO dw (DanWeiBianHao) VALUES ('0012');"));
    const Outcome second = run(launcher, {}, env);
    EXPECT_EQ(second.exitCode, 0) << second.output.toStdString();
    EXPECT_EQ(fixtures::probe(dw, QStringLiteral("SELECT DanWeiBianHao FROM dw")).toString(), QStringLiteral("0012"));
}

} // namespace
