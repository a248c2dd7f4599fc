#pragma once
// What every benchmark program shares: a program folder holding the shipped data files, the number of
// repetitions, medians, and the one-line forms in which figures are printed.
#include <QElapsedTimer>
#include <QString>
#include <QTemporaryDir>
#include <vector>

namespace bench {

// A temporary program folder with a copy of the shipped Data/ folder; QELV_HOME and XDG_CONFIG_HOME
// point into it for the life of the program, so nothing of the user's own is read or written.
class ProgramFolder {
public:
    ProgramFolder();
    bool ready() const { return ready_; }
    QString path() const { return dir_.path(); }

private:
    QTemporaryDir dir_;
    bool ready_ = false;
};

// A copy of the program's settings file, for a bare loop to save into what a command of the program
// saves into its own. Made (empty) where the program has none yet.
QString settingsCopy();
// Saves a setting as the program's settings store does: the file read, changed and written back whole.
void saveSetting(const QString& file, const QString& key, const QString& value);

// QELV_BENCH_REPETITIONS when set above zero (one, for a profile), else the program's own count.
int repetitions(int fallback);

// The median; the mean of the middle two for an even count, 0 for none.
double median(std::vector<double> v);

// Milliseconds that f takes.
template <typename F> double timedMs(F&& f)
{
    QElapsedTimer t;
    t.start();
    f();
    return t.nsecsElapsed() / 1e6;
}

// `bench <name> ours_ms=<x> base_ms=<y> ratio=<x/y> target=<t>`; target "-" where none is set.
void printRatio(const char* name, double oursMs, double baseMs, const char* target);
// How a step grows with the county: `bench <name>_growth ours_ms=<at 4,000> base_ms=<at 1,500> ratio=..
// target=3.0`. A step linear in the county takes 2.67 times as long at 4,000 enterprises as at 1,500.
void printGrowth(const char* name, double at4000Ms, double at1500Ms);
inline constexpr int countySize = 1500;
inline constexpr int largerCounty = 4000;
// `bench <name> ours_ms=<x> limit_ms=<l>`; a limit of zero or below prints as "-".
void printLimit(const char* name, double oursMs, double limitMs);

} // namespace bench
