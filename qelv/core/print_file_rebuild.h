#pragma once
// Rebuilding a month's print file and its template from a layout (the invoice and the collection print
// files): the new tables are made in a transient copy of the empty database, and only once it is
// complete does it replace the month's file, which is then copied over the template. A failure on the
// way leaves the month's file and the template as they were.
#include <QString>
#include <QStringList>
#include <functional>

namespace db {
class Connection;
struct ColumnDef;
} // namespace db

namespace printFiles {

// Asks the operator a Yes/No question; true for Yes.
using Confirm = std::function<bool(const QString& question)>;

struct Rebuild {
    QString month; // the operating month's print file
    QString templ; // the template later months' files are copied from
    QString transient; // where the new file is built
    QString kept; // where the month's old file waits while the template is replaced
    QStringList documentTables; // rows in any of these mean generated documents
    QString replaceQuestion; // asked before generated documents are thrown away
    std::function<void(db::Connection& fresh)> makeTables; // in one transaction, on the new file
};

// Runs the rebuild. False when the month's file holds documents and `confirm` says No: then nothing
// has changed. Throws on failure (the empty database missing, a table refused, a file in use), after
// taking the transient file away and putting the month's file back.
bool rebuild(const Rebuild& r, const Confirm& confirm);

// Whether the file holds rows in any of the tables. A file that cannot be read may hold anything, so
// it counts as holding rows.
bool holdsRows(const QString& path, const QStringList& tables);

// A file of the data folder by its name in the catalogue.
QString dataPath(const char* name);

// A text column of the print tables, `size` characters wide.
db::ColumnDef textColumn(const QString& name, int size);

} // namespace printFiles
