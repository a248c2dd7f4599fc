// Prepares a program folder: copies the shipped database files, help pages and pictures that are missing
// there.
// A file that exists (in any letter case) is never touched, so operators' data is never overwritten.
#include "platform/files/files.h"
#include "qelv/core/data_files.h"

#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <cstdio>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: qelv-prepare <program folder>\n");
        return 2;
    }
    const QString target = QDir(QString::fromLocal8Bit(argv[1])).absolutePath();
    // An installed copy (<prefix>/lib/qelv/qelv-prepare) takes the shipped files of <prefix>/share/qelv;
    // the one in the build tree those the build made.
    const QString installed = QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("../../share/qelv"));
    const QString shipped = QFileInfo(installed + QStringLiteral("/Data")).isDir() ? QDir::cleanPath(installed)
                                                                                   : QStringLiteral(QELV_SHIPPED_DIR);
    int copied = 0;
    // The database files by the catalogue's names, then every help page and stationery picture.
    QStringList relatives;
    for (const QString& name : dataFiles::shipped())
        relatives << QStringLiteral("Data/") + name;
    for (const char* folder : {"help", "pic"}) {
        QDirIterator found(shipped + QLatin1Char('/') + QLatin1String(folder), QDir::Files,
                           QDirIterator::Subdirectories);
        while (found.hasNext())
            relatives << QDir(shipped).relativeFilePath(found.next());
    }
    for (const QString& relative : relatives) {
        const QString from = shipped + QLatin1Char('/') + relative;
        const QString to = files::resolve(target + QLatin1Char('/') + relative);
        if (QFileInfo::exists(to))
            continue;
        QDir().mkpath(QFileInfo(to).absolutePath());
        if (!QFile::copy(from, to)) {
            std::fprintf(stderr, "qelv-prepare: cannot copy %s\n", qPrintable(relative));
            return 1;
        }
        QFile::setPermissions(to, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::ReadOther);
        ++copied;
    }
    std::printf("program folder %s ready (%d file(s) added)\n", qPrintable(target), copied);
    return 0;
}
