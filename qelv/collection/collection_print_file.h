#pragma once
// The collection print files: the operating month's qelvwtPrint<year>_<month>.mdb (named by
// dataFiles::monthCollections) and the template qelvwtPrint.mdb it is copied from, each with the table
// WTDW: the enterprise number, then one text column per "字段" row of the collection layout (table wt
// of the layout file), named by the row's Name, in ID order. "标签" rows print fixed texts and add no
// column.
#include "platform/db/schema.h"
#include "qelv/core/error_sink.h"
#include "qelv/core/print_file_rebuild.h"

#include <QDate>
#include <QList>
#include <QString>
#include <QVariant>

namespace db {
class Connection;
}

namespace collection {

// One "字段" row of the collection layout, as the print file needs it.
struct CollectionField {
    int id = 0;
    QVariant name; // Null when the row has none
};

// The "字段" rows of the layout file's wt, in ID order. Throws db::Error when wt cannot be read.
QList<CollectionField> readCollectionFields(db::Connection& layoutFile);

// The reasons these fields cannot make WTDW, each a sentence for the operator; empty when they can:
// no field at all, a field without a name, a name twice (compared without regard to case, as the
// database compares column names), a field named DanWeiBianHao (the program adds that column itself).
QStringList collectionFieldProblems(const QList<CollectionField>& fields);

// The columns of WTDW for these fields: DanWeiBianHao (text 50), then each field's name (text 100).
QList<db::ColumnDef> collectionColumns(const QList<CollectionField>& fields);

// Makes WTDW anew from the layout's "字段" rows: the month's collection print file is replaced by a
// file holding the new, empty WTDW, and the template by a copy of it. The fields are checked first;
// when the month's file holds generated documents, `confirmReplace` is asked first and No keeps
// everything. The table is built in a transient file that replaces the two files only once complete,
// so a failure leaves the month's file and the template as they were; the reason goes to `errors`.
// True when rebuilt.
bool RebuildCollectionPrintTables(db::Connection& layoutFile, const QDate& workMonth,
                                  const printFiles::Confirm& confirmReplace, const ErrorSink& errors);

// The question asked before generated collection documents are thrown away.
extern const char* const replaceDocumentsQuestion;

} // namespace collection
