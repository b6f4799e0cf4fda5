#pragma once
// One transaction of a connection that ends on every way out: committed only when asked to,
// rolled back otherwise, also when an exception leaves the scope.
#include "platform/db/database.hpp"

namespace keltrov::db {

class Transaction {
public:
    // Begins the transaction; Begun() tells whether the database took it.
    Transaction(CDatabase& db, TransactionKind kind);
    ~Transaction();
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;

    bool Begun() const { return m_open; }
    // FALSE when the commit failed; the work is then undone.
    bool Commit();
    // TRUE as well when the database had already undone the work.
    bool Rollback();

private:
    CDatabase& m_db;
    bool m_open;
};

}  // namespace keltrov::db
