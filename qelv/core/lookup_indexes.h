#pragma once
// The indexes of the tables that the program reads one enterprise at a time, by DanWeiBianHao: the
// billing rows (KPKZK), the assignments (dwwrw), the invoice and notice print tables and the fee list's
// lines. Without one, every such read goes through the whole table, and a run over the county grows
// with its square. The shipped templates carry them; a file made before they did gets them when the
// program opens it. They are plain SQLite indexes: any SQLite tool, and earlier copies of the program,
// read and write the file as before.
#include <QString>
#include <QStringList>

namespace db {
class Connection;
}

namespace lookupIndexes {

// The tables indexed, as the templates spell them.
QStringList tables();
// The name of a table's index: "KPKZK_DanWeiBianHao".
QString indexName(const QString& table);

// Makes, in an open file, the index of each of those tables that the file holds and that has no index
// led by DanWeiBianHao yet (the register's own unique number is one). Joins a transaction the caller
// holds. Throws db::Error when the file refuses.
void create(db::Connection& file);

// create(), once per file and run: a file seen before is left alone, while a copy put under its name
// is a file of its own. Outside a transaction only. A file that refuses (read-only, busy in another
// program) is read as it is, only slower.
void ensure(db::Connection& file);

} // namespace lookupIndexes
