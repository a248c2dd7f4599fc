#pragma once
// Generating the operating month's collection documents: for every listed invoice (or every ticked one)
// the bank's PM22 program gives the password, and the document goes as one row into WTDW of the month's
// collection print file.
//
// Everything a request needs is read and checked before the first document is removed: a value that
// does not fit the request record, a print file whose WTDW lacks a column, a missing pm22.exe stop the
// run there, and the month's documents stay as they were. Then WTDW is emptied and PM22 asked once per
// enterprise; an enterprise that gets no password (PM22 failed or gave none, or gave one the document
// cannot carry: with a NUL in it, or longer than the document's password column) gets no document and
// is named when the run ends, and so is one that is no longer in the register or the year's billing file.
#include "qelv/core/error_sink.h"

#include <QDate>
#include <QList>
#include <QString>
#include <QStringList>
#include <functional>

namespace collection {

// One row of the collection window's list, as it shows it.
struct ListedInvoice {
    QString enterprise; // DanWeiBianHao
    QString name; // DanWeiQuangCheng
    QString invoiceNumber; // M<m>P
    QString amount; // M<m>M as plain text
    bool ticked = false;
};

// What the run takes of the shared state.
struct RunState {
    QDate workMonth;
    QDate invoiceDate;
    QString payeeName, payeeAccount, payeeBank, collectionId;
    static RunState fromModule1();
};

// An enterprise of the run that got no document, and why.
struct Missed {
    int row = 0; // in the list, from 0
    QString enterprise;
    QString name;
    QString reason;
};

struct RunResult {
    bool completed = false; // false: the run stopped (the sink was told why) or had nothing to do
    int handled = 0; // the rows taken (every row, or the ticked ones)
    int documents = 0; // the WTDW rows written
    QList<Missed> missed;
};

// "共生成 <n> 张委托单！", followed by the enterprises that got no document.
QString closingMessage(const RunResult& result);

// The WTDW columns a document fills, in the order it writes them: DanWeiBianHao, then the 24 of the
// layout's field picker.
const QStringList& documentColumns();

struct RunCallbacks {
    // Before each handled row: its position in the list (from 1), the list's length and the running
    // number of handled rows.
    std::function<void(int position, int count, int running)> progress;
    // After PM22 has ended, before its answer is read: the window waits for its timer's next tick.
    std::function<void()> afterProgram;
    // A document was written for the list's row (from 0) with this password.
    std::function<void(int row, const QString& password)> password;
};

class DocumentGenerator {
public:
    DocumentGenerator(RunState state, RunCallbacks callbacks, ErrorSink errors);

    // Runs over the list (every row, or only the ticked ones). An empty list does nothing at all. A run
    // that cannot begin or that stops tells the sink why and returns with completed false; the
    // documents written until a stop stay.
    RunResult run(const QList<ListedInvoice>& list, bool onlyTicked);

private:
    RunState state_;
    RunCallbacks callbacks_;
    ErrorSink errors_;
};

} // namespace collection
