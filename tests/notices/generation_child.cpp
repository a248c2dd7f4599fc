// A generation run in a process of its own, for the tests that kill it in the middle of its writes (see
// tests/fixtures/kill_point_vfs.h): the program folder comes from QELV_HOME, the late-fee switch is on,
// every enterprise listed is taken. It says "done <documents>" once the run is committed, "error <text>"
// when it stops.
//   generation_child <invoices|notices> <work month> <invoice date> <operator> <grace days> <daily rate>
//                    <enterprise number>...
#include "platform/error/error.h"
#include "qelv/invoicing/invoice_generator.h"
#include "qelv/notices/notice_generator.h"
#include "tests/fixtures/kill_point_vfs.h"

#include <QDate>
#include <cstdlib>
#include <iostream>

int main(int argc, char** argv)
{
    fixtures::installKillPoints();
    if (argc < 8)
        return 2;
    const QString kind = QString::fromLocal8Bit(argv[1]);
    const invoicing::RunState state{QDate::fromString(QString::fromLatin1(argv[2]), Qt::ISODate),
                                    QDate::fromString(QString::fromLatin1(argv[3]), Qt::ISODate),
                                    QString::fromLocal8Bit(argv[4]),
                                    true,
                                    static_cast<std::int16_t>(std::atoi(argv[5])),
                                    std::strtof(argv[6], nullptr)};
    QStringList numbers;
    for (int i = 7; i < argc; ++i)
        numbers << QString::fromLocal8Bit(argv[i]);
    try {
        int documents = 0;
        if (kind == QStringLiteral("invoices")) {
            QList<invoicing::ListedEnterprise> list;
            for (const QString& n : numbers)
                list << invoicing::ListedEnterprise{n, false};
            auto files = invoicing::RunFiles::open(state.workMonth);
            documents = invoicing::InvoiceGenerator(*files, state).run(list, false).invoices;
        } else if (kind == QStringLiteral("notices")) {
            QList<notices::ListedEnterprise> list;
            for (const QString& n : numbers)
                list << notices::ListedEnterprise{n, QStringLiteral("厂") + n, false};
            const notices::NoticeTexts texts{QStringLiteral("法规"),     QStringLiteral("期限"), QStringLiteral("银行"),
                                             QStringLiteral("账号"),     QStringLiteral("异议"), QStringLiteral("电话"),
                                             QStringLiteral("收款单位"), QStringLiteral("李四")};
            auto files = notices::RunFiles::open(state.workMonth);
            notices::NoticeGenerator generator(*files, state, texts, {}, [](const QString& e) {
                std::cout << "error " << e.toStdString() << std::endl;
            });
            documents = generator.run(list, false).notices;
        } else {
            return 2;
        }
        std::cout << "done " << documents << std::endl;
    } catch (const std::exception& e) {
        std::cout << "error " << platform::describe(e).toStdString() << std::endl;
        return 1;
    }
    return 0;
}
