#pragma once
// Work that is all kept or not at all: `db::inTransaction(connection, [&] { ... })` begins a
// transaction, commits it when the work returns and rolls it back when it throws; the exception and
// the work's result go on to the caller.
#include "platform/db/connection.h"
#include "platform/error/error.h"

#include <exception>
#include <type_traits>

namespace db {

template <typename Work> auto inTransaction(Connection& connection, Work work)
{
    connection.beginTransaction();
    try {
        if constexpr (std::is_void_v<decltype(work())>) {
            work();
            connection.commit();
        } else {
            auto result = work();
            connection.commit();
            return result;
        }
    } catch (...) {
        try {
            if (connection.inTransaction())
                connection.rollback();
        } catch (const std::exception&) {
            // A failed rollback leaves SQLite to undo the transaction when the connection closes.
            platform::warnDropped("transaction: rolling back after a failure");
        }
        throw;
    }
}

// A read of many queries, one after another, that sees the file as it stood when the first one read
// it. Outside a transaction SQLite locks the file, checks it for changes and unlocks it again at every
// query; inside one it does that once. Ends when it goes, as a statement outside it would have: kept
// (committed) unless an exception is leaving the scope, else rolled back; a transaction already open
// goes on.
class ReadTransaction {
public:
    explicit ReadTransaction(Connection& connection)
        : connection_(connection),
          exceptions_(std::uncaught_exceptions())
    {
        connection_.beginTransaction(Connection::Access::Read);
    }
    ~ReadTransaction()
    {
        try {
            if (!connection_.inTransaction())
                return;
            if (std::uncaught_exceptions() > exceptions_)
                connection_.rollback();
            else
                connection_.commit();
        } catch (const std::exception&) {
            // One that cannot end leaves SQLite to end the transaction when the connection closes.
            platform::warnDropped("read transaction: ending it");
        }
    }
    ReadTransaction(const ReadTransaction&) = delete;
    ReadTransaction& operator=(const ReadTransaction&) = delete;

private:
    Connection& connection_;
    int exceptions_;
};

} // namespace db
