#include "data/list_query.hpp"

#include "data/dyn_recordset.hpp"
#include "entry/host_state.hpp"
#include "platform/db/sql_tokens.hpp"
#include "platform/db/transaction.hpp"

#include <optional>

bool IsListQuery(const std::string& text) {
    return keltrov::db::IsSingleSelect(text);
}

std::vector<std::string> RunListQuery(const std::string& query) {
    // Whatever the query did is undone on every way out.
    std::optional<keltrov::db::Transaction> transaction;
    if (g_bCanTransact) transaction.emplace(*g_pDatabase, keltrov::db::TransactionKind::Read);
    std::vector<std::string> items;
    CDynRecordset rows(g_pDatabase);
    rows.OpenSql(query, CDynRecordset::snapshot, CDynRecordset::readOnly);
    for (; !rows.IsEOF(); rows.MoveNext()) items.push_back(rows.GetFieldValue(0).AsText());
    return items;
}
