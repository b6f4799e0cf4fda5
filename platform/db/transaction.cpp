#include "platform/db/transaction.hpp"

namespace keltrov::db {

Transaction::Transaction(CDatabase& db, TransactionKind kind) : m_db(db), m_open(db.BeginTrans(kind)) {}

Transaction::~Transaction() {
    if (m_open) m_db.Rollback();
}

bool Transaction::Commit() {
    m_open = false;
    return m_db.CommitTrans();
}

bool Transaction::Rollback() {
    m_open = false;
    return m_db.Rollback();
}

}  // namespace keltrov::db
