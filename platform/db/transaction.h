#pragma once
// Work that is all kept or not at all: `db::inTransaction(connection, [&] { ... })` begins a
// transaction, commits it when the work returns and rolls it back when it throws; the exception and
// the work's result go on to the caller.
#include "platform/db/connection.h"

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
        }
        throw;
    }
}

} // namespace db
