// Writes the sample county into a program folder that qelv-prepare has prepared, for `scripts/run
// --demo`: qelv-demo <program folder> [<year>-<month>]. The month defaults to the one the login
// proposes, the month before this one. The program folder's own settings folder (config/) stands in
// for the user's, so that nothing of the user's own program is touched. A folder whose register
// already holds enterprises is left as it is.
#include "platform/error/error.h"
#include "platform/files/files.h"
#include "qelv/core/data_files.h"
#include "qelv/demo/demo_county.h"

#include <QCoreApplication>
#include <QDate>
#include <QDir>
#include <QFile>
#include <cstdio>

int main(int argc, char** argv)
{
    if (argc < 2 || argc > 3) {
        std::fprintf(stderr, "usage: qelv-demo <program folder> [<year>-<month>]\n");
        return 2;
    }
    const QString folder = QDir(QString::fromLocal8Bit(argv[1])).absolutePath();
    qputenv("QELV_HOME", QFile::encodeName(folder));
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(folder + QStringLiteral("/config")));
    QCoreApplication app(argc, argv);

    QDate month = QDate::currentDate().addMonths(-1);
    if (argc == 3) {
        month = QDate::fromString(QString::fromLatin1(argv[2]) + QStringLiteral("-1"), QStringLiteral("yyyy-M-d"));
        if (!month.isValid()) {
            std::fprintf(stderr, "qelv-demo: %s is no month (write it as 2003-4)\n", argv[2]);
            return 2;
        }
    }
    month = QDate(month.year(), month.month(), 1);
    if (!files::exists(files::dataFile(QString::fromLatin1(dataFiles::enterprises)))) {
        std::fprintf(stderr, "qelv-demo: %s is not prepared: run qelv-prepare on it first\n", qPrintable(folder));
        return 1;
    }
    try {
        if (demo::hasRegister()) {
            std::printf("the register of %s already holds enterprises: the sample county is not written again\n",
                        qPrintable(folder));
            // The months whose figures are there, for the login.
            const QStringList months = QDir(folder + QStringLiteral("/Data"))
                                           .entryList({QStringLiteral("qelvdata*_*.mdb")}, QDir::Files, QDir::Name);
            for (const QString& file : months)
                if (!file.contains(QStringLiteral("print"), Qt::CaseInsensitive))
                    std::printf("figures of %s\n", qPrintable(file.mid(8, file.size() - 12).replace(u'_', u'-')));
            return 0;
        }
        const demo::Made made = demo::makeCounty(month);
        const QString pm22 = folder + QStringLiteral("/pm22.exe");
        if (!files::exists(pm22)) {
            QFile f(pm22);
            if (!f.open(QIODevice::WriteOnly) || f.write(demo::pm22StandIn().toUtf8()) < 0)
                throw platform::Error(QStringLiteral("cannot write %1").arg(pm22));
            f.close();
            f.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadGroup |
                             QFile::ExeGroup | QFile::ReadOther | QFile::ExeOther);
        }
        std::printf("sample county written into %s: %d enterprises, %d assignments, %d discharge tables, "
                    "figures and fees of %d-%d\n",
                    qPrintable(folder), made.enterprises, made.assignments, made.tables, month.year(), month.month());
    } catch (const std::exception& e) {
        std::fprintf(stderr, "qelv-demo: %s\n", qPrintable(platform::describe(e)));
        return 1;
    }
    return 0;
}
