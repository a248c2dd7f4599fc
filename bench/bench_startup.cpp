// The start-up of a county of 1,500 enterprises with 6 assignments each and a month made: from the
// login's OK to the main window painted, through the splash's compaction of the data files (which
// have no free pages to give back once they have been compacted) and the main window's loading. The
// splash stays up for its own two seconds after that; they are not part of the figure.
//
//     bench startup_1500  the median of several start-ups (at most 1 s)
//
// The start-up at 15,000 enterprises is measured by bench_workbench, over the county it makes.
#include "bench/startup_run.h"
#include "bench/synthetic_county.h"
#include "bench_support.h"
#include "platform/ui/application.h"
#include "platform/ui/dialogs.h"

#include <cstdio>
#include <vector>

namespace {

constexpr double limitMs = 1000;
const QDate month(2003, 5, 1);

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    ui::Application app(argc, argv);
    const bench::ProgramFolder dir;
    if (!dir.ready())
        return 1;
    ui::testing::enable();
    std::vector<double> times;
    try {
        const bench::County county{.enterprises = bench::countySize, .assignmentsPerEnterprise = 6};
        bench::makeCounty(county);
        bench::makeMonth(county, month);
        // The first start-up gives back what making the county left free; the figure is of the days after.
        bench::startUp();
        for (int i = 0; i < bench::repetitions(5); ++i)
            times.push_back(bench::startUp());
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
    bench::printLimit("startup_1500", bench::median(times), limitMs);
    return 0;
}
