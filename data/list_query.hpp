#pragma once
// Queries stored as the source of a combo box's items: host data, so they are only ever read.
#include <string>
#include <vector>

// True when the stored text is to be run as a query: one single select statement.
bool IsListQuery(const std::string& text);

// The first column of every row of a list query. It runs read-only: inside a transaction that is
// always rolled back, where the database has transactions. Throws DbException when it fails.
std::vector<std::string> RunListQuery(const std::string& query);
