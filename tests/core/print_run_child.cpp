// A print run in a process of its own, for the tests that kill it while it waits for the scheduler.
// The scheduler, the paper control's registry and the settings folder come from the environment. It
// asks for a custom sheet 297 mm wide and 210 mm long and says "rendering" when the printer carries it;
// it then renders once the test has written a line on its input (the test holds the scheduler first),
// says "sending" just before it hands its job to the scheduler, and "outcome <n>" at its end.
#include "qelv/core/print_run.h"
#include "tests/core/one_page_sheet.h"

#include <QApplication>
#include <iostream>
#include <string>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    printRun::Request r;
    r.paper = {1, QStringLiteral("UserDefineA4"), 2100, 2970, 256};
    r.render = [] {
        std::cout << "rendering" << std::endl;
        std::string go;
        std::getline(std::cin, go);
        return onePageSheet();
    };
    r.record = [] { std::cout << "sending" << std::endl; };
    r.errors = [](const QString& e) { std::cout << "error " << e.toStdString() << std::endl; };
    const printRun::Outcome outcome = printRun::run(r);
    std::cout << "outcome " << static_cast<int>(outcome) << std::endl;
    return 0;
}
