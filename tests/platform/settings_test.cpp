#include "platform/settings/settings.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

// Each test gets a configuration folder of its own.
class SettingsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        old_ = qgetenv("XDG_CONFIG_HOME");
        qputenv("XDG_CONFIG_HOME", dir_.path().toUtf8());
    }
    void TearDown() override { qputenv("XDG_CONFIG_HOME", old_); }

    QString iniFile() const { return dir_.path() + QStringLiteral("/Tevrano/Tevrano.ini"); }

    QTemporaryDir dir_;
    QByteArray old_;
};

TEST_F(SettingsTest, MissingValueGivesTheFallback)
{
    EXPECT_EQ(settings::get(QStringLiteral("MainLeft"), QStringLiteral("1000")), QStringLiteral("1000"));
    EXPECT_EQ(settings::get(QStringLiteral("DanWeiMingCheng"), QString()), QString());
    EXPECT_FALSE(QFile::exists(iniFile())) << "reading must not create the file";
}

TEST_F(SettingsTest, SavedValuesReadBackAsText)
{
    const std::pair<const char*, const char*> values[] = {
        {"MainLeft", "1234.5"},
        {"DanWeiMingCheng", "某某县环境保护局"},
        {"ModifyDataGS", "0"},
        {"fpPath", "/opt/qelv/pic/fp.jpg"},
        {"odd", "a, b; c=d \"e\" [f] #g"},
        {"blank", ""},
    };
    for (const auto& [key, value] : values)
        settings::save(QString::fromUtf8(key), QString::fromUtf8(value));
    for (const auto& [key, value] : values)
        EXPECT_EQ(settings::get(QString::fromUtf8(key), QStringLiteral("fallback")), QString::fromUtf8(value)) << key;
}

TEST_F(SettingsTest, SaveReplacesAndWritesTheFileAtOnce)
{
    settings::save(QStringLiteral("ModifyDataGS"), QStringLiteral("1"));
    settings::save(QStringLiteral("ModifyDataGS"), QStringLiteral("2"));
    EXPECT_EQ(settings::get(QStringLiteral("ModifyDataGS"), QStringLiteral("0")), QStringLiteral("2"));

    QFile f(iniFile());
    ASSERT_TRUE(f.open(QIODevice::ReadOnly)) << iniFile().toStdString();
    const QString text = QString::fromUtf8(f.readAll());
    EXPECT_TRUE(text.contains(QStringLiteral("[Settings]"))) << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("ModifyDataGS=2"))) << text.toStdString();
}

TEST_F(SettingsTest, SectionsAndApplicationsAreSeparate)
{
    settings::saveSetting(QStringLiteral("Tevrano"), QStringLiteral("Settings"), QStringLiteral("k"),
                          QStringLiteral("v"));
    EXPECT_EQ(settings::get(QStringLiteral("k"), QString()), QStringLiteral("v"));
    EXPECT_EQ(settings::getSetting(QStringLiteral("Tevrano"), QStringLiteral("Other"), QStringLiteral("k"),
                                   QStringLiteral("-")),
              QStringLiteral("-"));
    EXPECT_EQ(settings::getSetting(QStringLiteral("Another"), QStringLiteral("Settings"), QStringLiteral("k"),
                                   QStringLiteral("-")),
              QStringLiteral("-"));
}

TEST_F(SettingsTest, FollowsAChangeOfTheConfigurationFolder)
{
    settings::save(QStringLiteral("MainTop"), QStringLiteral("500"));
    QTemporaryDir other;
    qputenv("XDG_CONFIG_HOME", other.path().toUtf8());
    EXPECT_EQ(settings::get(QStringLiteral("MainTop"), QStringLiteral("1000")), QStringLiteral("1000"));
    settings::save(QStringLiteral("MainTop"), QStringLiteral("700"));
    qputenv("XDG_CONFIG_HOME", dir_.path().toUtf8());
    EXPECT_EQ(settings::get(QStringLiteral("MainTop"), QStringLiteral("1000")), QStringLiteral("500"));
}

TEST_F(SettingsTest, AnUnwritableFolderIsReported)
{
    QFile blocker(dir_.path() + QStringLiteral("/Tevrano")); // a file where the folder should be
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    try {
        settings::save(QStringLiteral("MainLeft"), QStringLiteral("1"));
        ADD_FAILURE() << "no error";
    } catch (const settings::Error& e) {
        EXPECT_TRUE(e.description().contains(QStringLiteral("MainLeft"))) << e.what();
    }
}

} // namespace
