#include "bench_support.h"

#include "platform/settings/settings.h"

#include <QDir>
#include <QFile>
#include <QSettings>
#include <algorithm>
#include <cstdio>
#include <string>

namespace bench {

ProgramFolder::ProgramFolder()
{
    qputenv("QELV_HOME", dir_.path().toUtf8());
    qputenv("XDG_CONFIG_HOME", (dir_.path() + QStringLiteral("/config")).toUtf8());
    const QDir from(QStringLiteral(QELV_SHIPPED_DIR "/Data"));
    const QString to = dir_.path() + QStringLiteral("/Data");
    QDir().mkpath(to);
    const QStringList names = from.entryList(QDir::Files);
    ready_ = dir_.isValid() && !names.isEmpty();
    for (const QString& name : names)
        ready_ = ready_ && QFile::copy(from.filePath(name), to + QLatin1Char('/') + name);
    if (!ready_)
        std::fprintf(stderr, "the shipped files are missing under %s\n", QELV_SHIPPED_DIR);
}

QString settingsCopy()
{
    const QString folder = settings::folder(QString::fromUtf8(settings::appName));
    const QString program = folder + QLatin1Char('/') + QString::fromUtf8(settings::appName) + QStringLiteral(".ini");
    const QString copy = folder + QStringLiteral("/bare.ini");
    QDir().mkpath(folder);
    QFile::remove(copy);
    if (!QFile::copy(program, copy)) {
        QFile empty(copy);
        empty.open(QIODevice::WriteOnly);
    }
    return copy;
}

void saveSetting(const QString& file, const QString& key, const QString& value)
{
    QSettings store(file, QSettings::IniFormat);
    store.beginGroup(QString::fromUtf8(settings::section));
    store.setValue(key, value);
    store.endGroup();
    store.sync();
}

int repetitions(int fallback)
{
    const int asked = qEnvironmentVariableIntValue("QELV_BENCH_REPETITIONS");
    return asked > 0 ? asked : fallback;
}

double median(std::vector<double> v)
{
    if (v.empty())
        return 0;
    std::sort(v.begin(), v.end());
    const std::size_t n = v.size();
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

void printRatio(const char* name, double oursMs, double baseMs, const char* target)
{
    std::printf("bench %s ours_ms=%.3f base_ms=%.3f ratio=%.2f target=%s\n", name, oursMs, baseMs,
                baseMs > 0 ? oursMs / baseMs : 0.0, target);
    std::fflush(stdout);
}

void printGrowth(const char* name, double at4000Ms, double at1500Ms)
{
    const std::string growth = std::string(name) + "_growth";
    printRatio(growth.c_str(), at4000Ms, at1500Ms, "3.0");
}

void printLimit(const char* name, double oursMs, double limitMs)
{
    if (limitMs > 0)
        std::printf("bench %s ours_ms=%.3f limit_ms=%.1f\n", name, oursMs, limitMs);
    else
        std::printf("bench %s ours_ms=%.3f limit_ms=-\n", name, oursMs);
    std::fflush(stdout);
}

} // namespace bench
