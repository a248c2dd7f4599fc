#pragma once
// The sample county that `scripts/run --demo` opens: a payee bureau, late-fee settings, notice texts,
// industry types and squads, twenty enterprises (some with a collection agreement and an account),
// pollutants of every category with formulas of constants, variables, brackets and bars, their
// assignments, special equivalent values, the discharge template, and one month of discharge figures
// with every fee computed by the formula evaluator and every enterprise billed in the month. Two
// enterprises carry an unpaid invoice of two months before, so that the month charges late fees.
//
// It is written into the shipped files of a program folder prepared by qelv-prepare, through the
// program's own layers: the program folder is $QELV_HOME, the settings store $XDG_CONFIG_HOME.
#include <QDate>
#include <QString>
#include <QStringList>

namespace demo {

// The bureau's own name, the caption of the main window.
inline const char* const bureauName = "示范县环境保护局";

// What makeCounty wrote.
struct Made {
    int enterprises = 0;
    int assignments = 0;
    int tables = 0; // discharge-data tables of the template
};

// Whether the program folder's register already holds enterprises (a county made before, or the
// operator's own): makeCounty then writes nothing.
bool hasRegister();

// Writes the county and the month `month` (its discharge-data file, its billing rows) into the
// program folder. A failure throws; what was written by then stays (run it on a fresh folder).
Made makeCounty(const QDate& month);

// A stand-in for the bank's PM22 program, to be written as pm22.exe into the program folder: it
// answers each request with a password made from the request.
QString pm22StandIn();

} // namespace demo
