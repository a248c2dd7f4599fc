#pragma once
// A statement prepared once and run again and again with new parameters: a run over many enterprises
// asks the same question of each, and preparing it anew every time costs more than the answer.
// It reads its rows forward only, typed as the columns declare them. While it lives its file counts as
// in use, so the file layer does not let go of the handle under it.
#include "platform/db/connection.h"
#include "platform/db/statement.h"
#include "platform/db/types.h"

#include <QString>
#include <QVariant>
#include <QVariantList>
#include <memory>
#include <sqlite3.h>

namespace db {

class PreparedStatement {
public:
    // Throws db::Error when the statement cannot be prepared (a missing table or column).
    PreparedStatement(Connection& connection, const QString& sql)
        : state_(connection.state())
    {
        if (!state_ || state_->closed)
            throw Error(QString::fromUtf8(messages::closed));
        statement_ = std::make_unique<Statement>(*state_, sql);
    }

    // Binds the parameters and steps to the first row; true when there is one.
    bool first(const QVariantList& params = {})
    {
        restart(params);
        return statement_->step();
    }
    // The next row; false after the last.
    bool next() { return statement_->step(); }
    // Binds the parameters and runs the statement to its end; the number of rows changed.
    int run(const QVariantList& params = {})
    {
        restart(params);
        return statement_->run();
    }
    // Rows it writes are not checked by the write guard: for a statement whose every value already
    // passed the rules of a column of the same declared type, as a copy between two tables of one
    // definition does. Checking each value again would only cost its time.
    void trustValues() { statement_->trustValues(); }
    // The columns of its rows: their count and names, in the order of the statement.
    int columnCount() const { return sqlite3_column_count(statement_->get()); }
    QString columnName(int column) const { return QString::fromUtf8(sqlite3_column_name(statement_->get(), column)); }
    // The position of a column found by name without regard to case, as a recordset finds its fields;
    // db::Error when the statement has no such column.
    int column(const QString& name) const
    {
        for (int c = 0; c < columnCount(); ++c)
            if (columnName(c).compare(name, Qt::CaseInsensitive) == 0)
                return c;
        throw Error(QStringLiteral("%1（%2）").arg(QString::fromUtf8(messages::itemNotFound), name));
    }
    // A column of the current row, as valueFromSql gives it.
    QVariant value(int column) const { return valueFromSql(statement_->get(), column); }

private:
    void restart(const QVariantList& params)
    {
        sqlite3_reset(statement_->get());
        sqlite3_clear_bindings(statement_->get());
        statement_->bind(params);
    }

    std::shared_ptr<ConnectionState> state_;
    std::unique_ptr<Statement> statement_;
};

} // namespace db
