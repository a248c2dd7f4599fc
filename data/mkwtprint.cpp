// Makes the shipped template of the collection print file (qelvwtPrint.mdb) from the shipped layout
// file, by the program's own rebuild of the collection print file, run in a program folder of its own
// that holds copies of the layout file and the empty database. Writes only into the build tree.
#include "platform/files/files.h"
#include "qelv/collection/collection_print_file.h"
#include "qelv/core/data_files.h"

#include "platform/db/connection.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <cstdio>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: qelv-mkwtprint <shipped Data folder>\n");
        return 2;
    }
    const QString shipped = QDir(QString::fromLocal8Bit(argv[1])).absolutePath();
    QTemporaryDir home;
    if (!home.isValid() || !QDir(home.path()).mkpath(QStringLiteral("Data"))) {
        std::fprintf(stderr, "qelv-mkwtprint: cannot make a working folder\n");
        return 1;
    }
    for (const char* name : {dataFiles::printLayouts, dataFiles::blankDatabase}) {
        const QString n = QString::fromLatin1(name);
        if (!QFile::copy(shipped + QLatin1Char('/') + n, home.path() + QStringLiteral("/Data/") + n)) {
            std::fprintf(stderr, "qelv-mkwtprint: cannot read %s\n", name);
            return 1;
        }
    }
    qputenv("QELV_HOME", home.path().toUtf8());
    bool built = false;
    {
        db::Connection layout(db::DataFile{QString::fromLatin1(dataFiles::printLayouts)});
        built = collection::RebuildCollectionPrintTables(
            layout, QDate(2000, 1, 1), [](const QString&) { return false; },
            [](const QString& why) { std::fprintf(stderr, "qelv-mkwtprint: %s\n", qPrintable(why)); });
    }
    if (!built)
        return 1;
    const QString out = shipped + QLatin1Char('/') + QString::fromLatin1(dataFiles::collectionTemplate);
    const QString part = out + QStringLiteral(".part");
    QFile::remove(part);
    if (!QFile::copy(files::dataFile(QString::fromLatin1(dataFiles::collectionTemplate)), part) ||
        (QFile::exists(out) && !QFile::remove(out)) || !QFile::rename(part, out)) {
        std::fprintf(stderr, "qelv-mkwtprint: cannot write %s\n", qPrintable(out));
        return 1;
    }
    return 0;
}
