#pragma once
// Work that must land whole or not at all (a test with its points and
// additives, a sequence with its steps, a deletion) runs through inTransaction.
#include "db/DbError.h"
#include "db/clsConnection.h"

#include <type_traits>

namespace tz {

// Runs work inside a transaction of its own, unless the caller already has
// one running: then the caller owns it and decides whether it is kept. Any
// exception rolls the own transaction back and is passed on; a failing commit
// throws tz::DbError.
template <typename Work>
auto inTransaction(clsConnection& connection, Work work)
{
    const int owner = connection.BeginTrans();
    try {
        if constexpr (std::is_void_v<decltype(work())>) {
            work();
            if (owner)
                connection.CommitTrans(owner);
        } else {
            auto result = work();
            if (owner)
                connection.CommitTrans(owner);
            return result;
        }
    } catch (...) {
        if (owner && connection.InTransaction()) {
            try {
                connection.RollBack(owner);
            } catch (const DbError&) {
                // The first failure is the one the operator needs to see.
            }
        }
        throw;
    }
}

}  // namespace tz
