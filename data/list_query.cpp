#include "data/list_query.hpp"

#include "data/dyn_recordset.hpp"
#include "entry/host_state.hpp"
#include "platform/db/database.hpp"
#include "platform/db/sql_tokens.hpp"

namespace {

// Undoes whatever the query did, on every way out.
class RolledBackTransaction {
public:
    RolledBackTransaction() : m_begun(g_bCanTransact && g_pDatabase->BeginTrans(keltrov::db::TransactionKind::Read)) {}
    ~RolledBackTransaction() {
        if (m_begun) g_pDatabase->Rollback();
    }
    RolledBackTransaction(const RolledBackTransaction&) = delete;
    RolledBackTransaction& operator=(const RolledBackTransaction&) = delete;

private:
    bool m_begun;
};

}  // namespace

bool IsListQuery(const std::string& text) {
    return keltrov::db::IsSingleSelect(text);
}

std::vector<std::string> RunListQuery(const std::string& query) {
    RolledBackTransaction transaction;
    std::vector<std::string> items;
    CDynRecordset rows(g_pDatabase);
    rows.OpenSql(query, CDynRecordset::snapshot, CDynRecordset::readOnly);
    for (; !rows.IsEOF(); rows.MoveNext()) items.push_back(rows.GetFieldValue(0).AsText());
    return items;
}
