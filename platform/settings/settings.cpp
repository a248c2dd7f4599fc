#include "platform/settings/settings.h"

#include <QDir>
#include <QSettings>

namespace settings {

namespace {

// <XDG_CONFIG_HOME or ~/.config>/<app>/<app>.ini, worked out on every call so that a change of
// XDG_CONFIG_HOME (as the tests make) takes effect at once.
QString iniFile(const QString& app)
{
    return QDir(folder(app)).filePath(app + QStringLiteral(".ini"));
}

} // namespace

QString folder(const QString& app)
{
    QString base = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (base.isEmpty() || QDir::isRelativePath(base))
        base = QDir::homePath() + QStringLiteral("/.config");
    return QDir(base).filePath(app);
}

QString getSetting(const QString& app, const QString& section, const QString& key, const QString& fallback)
{
    QSettings store(iniFile(app), QSettings::IniFormat);
    store.beginGroup(section);
    const QVariant value = store.value(key);
    return value.isValid() ? value.toString() : fallback;
}

void saveSetting(const QString& app, const QString& section, const QString& key, const QString& value)
{
    const QString file = iniFile(app);
    QSettings store(file, QSettings::IniFormat);
    store.beginGroup(section);
    store.setValue(key, value);
    store.endGroup();
    store.sync();
    if (store.status() != QSettings::NoError)
        throw Error(QStringLiteral("无法保存设置 %1：%2").arg(key, file));
}

QString get(const QString& key, const QString& fallback)
{
    return getSetting(QString::fromUtf8(appName), QString::fromUtf8(section), key, fallback);
}

void save(const QString& key, const QString& value)
{
    saveSetting(QString::fromUtf8(appName), QString::fromUtf8(section), key, value);
}

} // namespace settings
