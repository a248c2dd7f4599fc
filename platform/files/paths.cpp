// Path resolution: the program and data folders, and names matched without regard to letter case.
#include "platform/files/files.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace files {

namespace {

QString absoluteClean(const QString& path)
{
    return QDir::cleanPath(QFileInfo(path).absoluteFilePath());
}

// The entry of `dir` named `name` without regard to case: the exact spelling when it exists, else
// the first match in name order, so that the answer does not depend on the order of the directory.
QString matchEntry(const QString& dir, const QString& name)
{
    if (QFileInfo::exists(dir + QLatin1Char('/') + name))
        return name;
    QStringList entries =
        QDir(dir).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
    for (const QString& e : entries)
        if (e.compare(name, Qt::CaseInsensitive) == 0)
            return e;
    return QString();
}

} // namespace

QString appPath()
{
    const QByteArray home = qgetenv("QELV_HOME");
    if (!home.isEmpty())
        return absoluteClean(QString::fromLocal8Bit(home));
    if (QCoreApplication::instance())
        return QCoreApplication::applicationDirPath();
    // Before the application object exists (tools, early start-up) the executable tells.
    return QFileInfo(QFile::symLinkTarget(QStringLiteral("/proc/self/exe"))).absolutePath();
}

QString dataFolder()
{
    return resolve(appPath() + QStringLiteral("/Data"));
}

QString dataFile(const QString& name)
{
    return resolve(dataFolder() + QLatin1Char('/') + name);
}

QString resolve(const QString& path)
{
    if (path.isEmpty())
        return path;
    const QString absolute = absoluteClean(path);
    if (QFileInfo::exists(absolute))
        return absolute;
    const QStringList parts = absolute.split(QLatin1Char('/'), Qt::SkipEmptyParts);
    QString current;
    int i = 0;
    for (; i < parts.size(); ++i) {
        const QString dir = current.isEmpty() ? QStringLiteral("/") : current;
        const QString match = matchEntry(dir, parts[i]);
        if (match.isEmpty())
            break;
        current += QLatin1Char('/') + match;
    }
    // Components that do not exist keep the spelling given.
    for (; i < parts.size(); ++i)
        current += QLatin1Char('/') + parts[i];
    return current.isEmpty() ? QStringLiteral("/") : current;
}

bool exists(const QString& path)
{
    return !path.isEmpty() && QFileInfo::exists(resolve(path));
}

} // namespace files
