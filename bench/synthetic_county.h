#pragma once
// A synthetic county for benchmarks: enterprises, pollutants with fee formulas, and assignments of
// pollutants and outlets to enterprises, written into the enterprise and pollutant files of a data
// folder that holds the shipped files.
#include <QString>

namespace bench {

struct County {
    int enterprises = 1500;
    int pollutants = 40;
    int variablesPerFormula = 3; // each formula: v1 * v2 * ... * 0.7
    int assignmentsPerEnterprise = 6; // pollutants taken in turn
    int outlets = 2; // outlet numbers cycle through 1..outlets
};

// Empties dw, dwwrw, wrw and wrwgs and fills them. Enterprise numbers keep leading zeros ("00001").
void makeCounty(const County& county);

} // namespace bench
