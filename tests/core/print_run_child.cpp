// A print run in a process of its own, for the tests that kill it while it waits for the scheduler.
// The scheduler, the paper control's registry and the settings folder come from the environment. It
// asks for a custom sheet 297 mm wide and 210 mm long and says "rendering" when the printer carries it,
// and "outcome <n>" at its end.
#include "platform/report/report.h"
#include "platform/report/report_data.h"
#include "qelv/core/print_run.h"

#include <QApplication>
#include <QThread>
#include <iostream>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    printRun::Request r;
    r.paper = {1, QStringLiteral("UserDefineA4"), 2100, 2970, 256};
    r.render = [] {
        std::cout << "rendering" << std::endl;
        QThread::msleep(300); // time for the test to hold the scheduler
        report::Report page;
        page.paper = QSizeF(16838, 11906);
        report::Control title;
        title.name = "Label1";
        title.caption = "排污数据";
        title.width = 4000;
        title.height = 300;
        page.addSection("Detail", report::SectionKind::Detail, 300).controls = {title};
        report::TableRows one({}, {{}});
        return page.render(one);
    };
    r.errors = [](const QString& e) { std::cout << "error " << e.toStdString() << std::endl; };
    const printRun::Outcome outcome = printRun::run(r);
    std::cout << "outcome " << static_cast<int>(outcome) << std::endl;
    return 0;
}
