#pragma once
// Generating the operating month's payment notices into its notice print file: for each enterprise of
// the notice window's list (all, or the ticked ones) its fee lines and total in MX, its pollutant
// detail rows in WuRanWuMingXi and, when its total is above zero, its header row in tzdw. No widget:
// the window gives the list, the shared state, the notice texts, the files and a progress callback,
// and shows what comes back.
#include "platform/db/connection.h"
#include "qelv/core/error_sink.h"
#include "qelv/core/generation_run.h"

#include <QDate>
#include <QList>
#include <QString>
#include <cstdint>
#include <functional>
#include <memory>

namespace notices {

class PollutantDetail;

// A row of the notice window's list.
struct ListedEnterprise {
    QString number;
    QString name; // as listed
    bool ticked = false;
};

// The notice texts of the one row of tz, which every notice carries.
struct NoticeTexts {
    QString FaLvFaGui, JiaoKuanQiXian, KaiHuYinHang, ZhangHao, YiYi, DianHua, ShouKuanDanWei, JiaoDuiRen;

    // The texts of tz in the set-up file; false (and empty texts) when the table has no row.
    static bool read(db::Connection& setUp, NoticeTexts* out);
};

// The shared state a run reads and the error of a run that stopped (nothing of it stays: notice tables
// empty, no late payment marked), as for invoices.
using RunState = generationRun::RunState;
using GenerationError = generationRun::GenerationError;

// The files of a run, each opened once: those of every generation run, with the month's notice print
// file as the print file.
struct RunFiles : generationRun::RunFiles {
    // Opens the files of the operating month; throws db::Error for a file that is missing.
    static std::unique_ptr<RunFiles> open(const QDate& workMonth);
};

struct RunResult {
    int processed = 0; // the enterprises taken into the run, with or without a notice
    int notices = 0; // header rows written
};

class NoticeGenerator {
public:
    using Progress = generationRun::Progress; // the enterprises taken are those processed

    // `detailErrors` receives the failure of an enterprise's detail sheet; the run goes on after it.
    NoticeGenerator(RunFiles& files, RunState state, NoticeTexts texts, Progress progress = {},
                    ErrorSink detailErrors = {});

    // Generates the notices of the rows given (with `selectedOnly`, of the ticked ones only). An empty
    // list does nothing at all. First, in a transaction of its own, the month's earlier notice run
    // goes: its notices are emptied and the late payments it charged are charged no longer (a printed
    // notice leaves no record, and the month's notices are those of its latest run), so that a run
    // generated again carries the same late fees (see lateFeeMarks). Then every row and mark of the
    // run is written in one transaction, so a run that stops (GenerationError) leaves the tables empty
    // and marks nothing. Killed at any moment, the print file holds the earlier run whole, nothing, or
    // this run whole.
    RunResult run(const QList<ListedEnterprise>& list, bool selectedOnly);

    // The window's step for the detail sheet of the list row at `index` (1-based), called once for
    // every enterprise processed; it builds the sheet with buildDetail. Without one the run calls
    // buildDetail itself.
    using DetailStep = std::function<void(std::int16_t& index)>;
    void setDetailStep(DetailStep step) { detailStep_ = std::move(step); }
    // While a run goes on: appends the enterprise's detail rows in the run's transaction; a failure
    // goes to `detailErrors` and the run goes on.
    void buildDetail(const QString& number);

private:
    RunFiles& files_;
    RunState state_;
    NoticeTexts texts_;
    Progress progress_;
    ErrorSink detailErrors_;
    DetailStep detailStep_;
    PollutantDetail* detail_ = nullptr; // the run's, while it runs
};

// The closing message of a run: "共生成 n 张通知单！" with n the enterprises processed.
QString closingMessage(const RunResult& result);

} // namespace notices
