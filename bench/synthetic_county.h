#pragma once
// A synthetic county for benchmarks: enterprises, pollutants with fee formulas, and assignments of
// pollutants and outlets to enterprises, written into the enterprise and pollutant files of a data
// folder that holds the shipped files.
#include <QDate>
#include <QString>
#include <cstdint>

namespace bench {

struct County {
    int enterprises = 1500;
    int pollutants = 40;
    int variablesPerFormula = 3; // each formula: v1 * v2 * ... * 0.7
    int assignmentsPerEnterprise = 6; // pollutants taken in turn
    int outlets = 2; // outlet numbers cycle through 1..outlets
    // The month's records carry discharge figures (each variable above zero), as the workbench leaves
    // them; without, every figure is the template's zero.
    bool figures = false;
};

// Empties dw, dwwrw, wrw and wrwgs and fills them. Enterprise numbers keep leading zeros ("00001").
// Every fourth enterprise has a minimum fee (LowLever) of 15,000 yuan a month, which about half of their
// months' fees fall short of.
void makeCounty(const County& county);

// The number of the county's i-th enterprise (1-based): "00001".
QString enterpriseNumber(int i);
// Its name in the register: "企业1".
QString enterpriseName(int i);

// A month of the county, after makeCounty: the month's discharge-data file with every assignment's
// table and its fees (some doubled or raised, every seventh a fee item of its own), the year's billing
// file with every enterprise billed in the month, and each enterprise's late-fee ledger with the twelve
// invoices of the year before the month, the older half paid (some late), the latest three unpaid.
void makeMonth(const County& county, const QDate& month);

// The county and its month as makeCounty and makeMonth make them, with the month's file of fileName
// copied from the shipped templateName, and the late-fee ledgers copied to pristineLedgers as they then
// are, for restoreLedgers to put back before each run that marks them.
void makeMonthWith(const County& county, const QDate& month, const QString& templateName, const QString& fileName,
                   const QString& pristineLedgers);
// The late-fee ledgers as makeMonthWith left them.
void restoreLedgers(const QString& pristineLedgers);

// A data file set aside as it is, and put back over what a run made of it: runs that write rows must
// each start from the same file, for SQLite leaves a page alone when a row is written with the bytes it
// holds, and a run that finds its changes made would commit nothing.
void setAside(const QString& name, const QString& copy);
void putBack(const QString& copy, const QString& name);

// The session of a month's run with late fees on, as the login and the late-fee settings leave it.
void startRun(const QDate& month, const QDate& invoiceDate, std::int16_t graceDays, float dailyRate);

} // namespace bench
