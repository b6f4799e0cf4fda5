#include "platform/db/dialect.hpp"

#include "platform/db/sql_tokens.hpp"
#include "platform/util/sql_format.hpp"

#include <algorithm>
#include <cctype>
#include <functional>

namespace keltrov::db {

namespace {

using Tokens = std::vector<Token>;

Token Raw(std::string text) {
    return {TokenKind::Raw, std::move(text)};
}

// Index just past the statement or parenthesised subquery that starts at `from`: the closing
// parenthesis of the enclosing group, a semicolon, or the end.
size_t ScopeEnd(const Tokens& tokens, size_t from) {
    int depth = 0;
    for (size_t i = from; i < tokens.size(); ++i) {
        if (IsSymbol(tokens[i], "(")) ++depth;
        if (IsSymbol(tokens[i], ")")) {
            if (depth == 0) return i;
            --depth;
        }
        if (depth == 0 && IsSymbol(tokens[i], ";")) return i;
    }
    return tokens.size();
}

bool IsBlank(const Token& token) {
    return token.kind == TokenKind::Space || token.kind == TokenKind::Comment;
}

// select top N … → select … limit N, for the statement and every subquery.
void RewriteTopToLimit(Tokens& tokens) {
    for (size_t i = 0; i < tokens.size(); ++i) {
        if (!IsWord(tokens[i], "select")) continue;
        const size_t top = NextSignificant(tokens, i + 1);
        if (top >= tokens.size() || !IsWord(tokens[top], "top")) continue;
        const size_t count = NextSignificant(tokens, top + 1);
        if (count >= tokens.size() || tokens[count].kind != TokenKind::Number) continue;
        const std::string n = tokens[count].text;
        size_t last = count;
        if (last + 1 < tokens.size() && tokens[last + 1].kind == TokenKind::Space) ++last;
        tokens.erase(tokens.begin() + static_cast<long>(top), tokens.begin() + static_cast<long>(last) + 1);
        // Before trailing blanks and comments: a "--" comment would swallow what follows it.
        size_t end = ScopeEnd(tokens, top);
        while (end > top && IsBlank(tokens[end - 1])) --end;
        tokens.insert(tokens.begin() + static_cast<long>(end), Raw(" limit " + n));
    }
}

// getdate() → the given expression.
void RewriteGetdate(Tokens& tokens, const std::string& replacement) {
    // Built anew in one pass: a month's save holds a getdate() in each of hundreds of rows.
    Tokens rewritten;
    rewritten.reserve(tokens.size());
    for (size_t i = 0; i < tokens.size(); ++i) {
        rewritten.push_back(std::move(tokens[i]));
        if (!IsWord(rewritten.back(), "getdate")) continue;
        const size_t open = NextSignificant(tokens, i + 1);
        if (open >= tokens.size() || !IsSymbol(tokens[open], "(")) continue;
        const size_t close = NextSignificant(tokens, open + 1);
        if (close >= tokens.size() || !IsSymbol(tokens[close], ")")) continue;
        rewritten.back() = Raw(replacement);
        i = close;
    }
    tokens = std::move(rewritten);
}

// left(s, n) → substr(s, 1, n); "left outer join" is left alone.
void RewriteLeft(Tokens& tokens) {
    for (size_t i = 0; i < tokens.size(); ++i) {
        if (!IsWord(tokens[i], "left")) continue;
        const size_t open = NextSignificant(tokens, i + 1);
        if (open >= tokens.size() || !IsSymbol(tokens[open], "(")) continue;
        int depth = 0;
        for (size_t k = open + 1; k < tokens.size(); ++k) {
            if (IsSymbol(tokens[k], "(")) ++depth;
            if (IsSymbol(tokens[k], ")") && depth-- == 0) break;
            if (depth == 0 && IsSymbol(tokens[k], ",")) {
                tokens.insert(tokens.begin() + static_cast<long>(k) + 1, Raw("1,"));
                tokens[i] = Raw("substr");
                break;
            }
        }
    }
}

// One select-list item [begin, end): "name = expr" becomes "expr as name".
Tokens RewriteAssignment(const Tokens& tokens, size_t begin, size_t end) {
    Tokens item(tokens.begin() + static_cast<long>(begin), tokens.begin() + static_cast<long>(end));
    const size_t name = NextSignificant(item, 0);
    if (name >= item.size() || item[name].kind != TokenKind::Word) return item;
    const size_t equals = NextSignificant(item, name + 1);
    if (equals >= item.size() || !IsSymbol(item[equals], "=")) return item;
    size_t exprBegin = NextSignificant(item, equals + 1);
    size_t exprEnd = item.size();
    while (exprEnd > exprBegin && IsBlank(item[exprEnd - 1])) --exprEnd;
    Tokens rewritten(item.begin(), item.begin() + static_cast<long>(name));
    rewritten.insert(rewritten.end(), item.begin() + static_cast<long>(exprBegin),
                     item.begin() + static_cast<long>(exprEnd));
    rewritten.push_back(Raw(" as " + item[name].text));
    rewritten.insert(rewritten.end(), item.begin() + static_cast<long>(exprEnd), item.end());
    return rewritten;
}

// Select-list assignments "select name = expr, …" → "select expr as name, …", in every select.
void RewriteSelectAssignments(Tokens& tokens) {
    for (size_t i = 0; i < tokens.size(); ++i) {
        if (!IsWord(tokens[i], "select")) continue;
        Tokens rewritten;
        size_t itemBegin = i + 1;
        int depth = 0;
        size_t k = i + 1;
        for (; k < tokens.size(); ++k) {
            if (IsSymbol(tokens[k], "(")) ++depth;
            if (IsSymbol(tokens[k], ")") && depth-- == 0) break;
            if (depth != 0) continue;
            if (IsWord(tokens[k], "from") || IsSymbol(tokens[k], ";")) break;
            if (IsSymbol(tokens[k], ",")) {
                Tokens item = RewriteAssignment(tokens, itemBegin, k);
                rewritten.insert(rewritten.end(), item.begin(), item.end());
                rewritten.push_back(tokens[k]);
                itemBegin = k + 1;
            }
        }
        Tokens last = RewriteAssignment(tokens, itemBegin, k);
        rewritten.insert(rewritten.end(), last.begin(), last.end());
        tokens.erase(tokens.begin() + static_cast<long>(i) + 1, tokens.begin() + static_cast<long>(k));
        tokens.insert(tokens.begin() + static_cast<long>(i) + 1, rewritten.begin(), rewritten.end());
    }
}

std::string Lower(std::string_view text) {
    std::string lower(text);
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return lower;
}

using CatalogueRow = std::vector<std::string>;

// The first text of every catalogue row but the self-filled column's; none when no row is one.
std::optional<std::vector<std::string>> ColumnsButSelfFilled(
    const std::vector<CatalogueRow>& rows, const std::function<bool(const CatalogueRow&)>& selfFilled) {
    std::vector<std::string> columns;
    bool found = false;
    for (const CatalogueRow& row : rows) {
        if (selfFilled(row)) {
            found = true;
        } else {
            columns.push_back(row.at(0));
        }
    }
    if (!found) return std::nullopt;
    return columns;
}

// Where an order-by item ends at its own depth.
bool EndsOrderList(const Token& token) {
    static constexpr std::string_view clauses[] = {"limit", "offset", "union", "except", "intersect"};
    return IsSymbol(token, ")") || IsSymbol(token, ";") ||
           std::any_of(std::begin(clauses), std::end(clauses), [&](std::string_view w) { return IsWord(token, w); });
}

// Nulls sort first ascending and last descending, as on SQL Server and SQLite; an item that says
// where its nulls go keeps it.
void AddNullOrder(Tokens& tokens, size_t listBegin) {
    constexpr size_t kNone = static_cast<size_t>(-1);
    int depth = 0;
    size_t last = kNone;  // the item's last significant token
    bool saysNulls = false;
    for (size_t k = listBegin; k <= tokens.size(); ++k) {
        const bool atEnd = k == tokens.size() || (depth == 0 && EndsOrderList(tokens[k]));
        if (atEnd || (depth == 0 && IsSymbol(tokens[k], ","))) {
            if (!saysNulls && last != kNone) {
                tokens.insert(tokens.begin() + static_cast<long>(last) + 1,
                              Raw(IsWord(tokens[last], "desc") ? " nulls last" : " nulls first"));
                ++k;
            }
            if (atEnd) return;
            saysNulls = false;
            last = kNone;
            continue;
        }
        if (IsSymbol(tokens[k], "(")) ++depth;
        if (IsSymbol(tokens[k], ")")) --depth;
        if (depth == 0 && IsWord(tokens[k], "nulls")) saysNulls = true;
        if (!IsBlank(tokens[k])) last = k;
    }
}

void RewriteNullOrder(Tokens& tokens) {
    for (size_t i = 0; i < tokens.size(); ++i) {
        if (!IsWord(tokens[i], "order")) continue;
        const size_t by = NextSignificant(tokens, i + 1);
        if (by < tokens.size() && IsWord(tokens[by], "by")) AddNullOrder(tokens, by + 1);
    }
}

using ColumnLookup = std::function<const std::optional<std::vector<std::string>>&(const std::string&)>;

// insert into T values(…) / insert into T select … → with T's column list when T fills a column itself.
void AddInsertColumnList(Tokens& tokens, const ColumnLookup& columnsOf) {
    for (size_t i = 0; i < tokens.size(); ++i) {
        if (!IsWord(tokens[i], "insert")) continue;
        size_t table = NextSignificant(tokens, i + 1);
        if (table < tokens.size() && IsWord(tokens[table], "into")) table = NextSignificant(tokens, table + 1);
        if (table >= tokens.size() || tokens[table].kind != TokenKind::Word) continue;
        const size_t next = NextSignificant(tokens, table + 1);
        if (next >= tokens.size() || !(IsWord(tokens[next], "values") || IsWord(tokens[next], "select"))) continue;
        const auto& columns = columnsOf(tokens[table].text);
        if (!columns) continue;
        std::string list = "(";
        for (const std::string& column : *columns) list += (list.size() > 1 ? "," : "") + column;
        tokens.insert(tokens.begin() + static_cast<long>(table) + 1, Raw(list + ")"));
    }
}

}  // namespace

std::string SqlServerDialect::Rewrite(std::string_view sql, SchemaProbe& /*probe*/) const {
    return std::string(sql);
}

std::string TokenRewritingDialect::Rewrite(std::string_view sql, SchemaProbe& probe) const {
    Tokens tokens = Tokenize(sql);
    // What would be added at the end would land inside the open literal; the database refuses the
    // statement as written anyway.
    if (!tokens.empty() && !IsClosed(tokens.back())) return std::string(sql);
    RewriteTokens(tokens, probe);
    return JoinTokens(tokens);
}

void TokenRewritingDialect::AddInsertColumnLists(Tokens& tokens, SchemaProbe& probe) const {
    AddInsertColumnList(
        tokens, [&](const std::string& table) -> const auto& {
            const std::string key = Lower(table);
            auto found = m_insertColumns.find(key);
            if (found == m_insertColumns.end())
                found = m_insertColumns.emplace(key, ReadInsertColumns(key, probe)).first;
            return found->second;
        });
}

void SqliteDialect::RewriteTokens(Tokens& tokens, SchemaProbe& probe) const {
    RewriteTopToLimit(tokens);
    RewriteSelectAssignments(tokens);
    RewriteGetdate(tokens, "datetime('now','localtime')");
    RewriteLeft(tokens);
    AddInsertColumnLists(tokens, probe);
}

namespace {

constexpr const char* kSqliteColumns = "select name, type, pk from pragma_table_info('%s') order by cid";

// An integer primary key is SQLite's own row number, under a name of the table's.
bool IsSqliteRowNumber(const CatalogueRow& column) {
    return column.at(2) == "1" && Lower(column.at(1)) == "integer";
}

}  // namespace

std::optional<std::vector<std::string>> SqliteDialect::ReadInsertColumns(const std::string& table,
                                                                         SchemaProbe& probe) const {
    // The row number is the column the table fills by itself.
    return ColumnsButSelfFilled(probe.QueryRows(FormatSql(kSqliteColumns, table)), IsSqliteRowNumber);
}

namespace {

// Whether the source is a table or a view, and whether a table numbers its rows (the words of a
// table "without rowid" may also stand elsewhere in its text: such a table is then taken by its key).
constexpr const char* kSqliteSourceKind =
    "select type, lower(sql) like '%%without%%rowid%%' from sqlite_master where name = '%s' collate nocase "
    "union all select type, lower(sql) like '%%without%%rowid%%' from sqlite_temp_master "
    "where name = '%s' collate nocase";

// Only a name that needs no quoting can be selected as it is.
bool IsPlainName(std::string_view name) {
    const auto wordStart = [](unsigned char c) { return std::isalpha(c) != 0 || c == '_'; };
    return !name.empty() && wordStart(static_cast<unsigned char>(name.front())) &&
           std::all_of(name.begin(), name.end(), [&](unsigned char c) { return wordStart(c) || std::isdigit(c) != 0; });
}

std::vector<std::string> PlainNamesOrNone(std::vector<std::string> names) {
    return std::all_of(names.begin(), names.end(), IsPlainName) ? names : std::vector<std::string>{};
}

// The declared primary key of a table that does not number its rows, in key order.
std::vector<std::string> DeclaredKey(std::vector<CatalogueRow> columns) {
    std::erase_if(columns, [](const CatalogueRow& column) { return column.at(2) == "0"; });
    std::sort(columns.begin(), columns.end(),
              [](const CatalogueRow& a, const CatalogueRow& b) { return std::stoi(a.at(2)) < std::stoi(b.at(2)); });
    std::vector<std::string> key;
    for (const CatalogueRow& column : columns) key.push_back(column.at(0));
    return key;
}

}  // namespace

RowKey SqliteDialect::ReadRowKey(const std::string& table, SchemaProbe& probe) const {
    const auto kinds = probe.QueryRows(FormatSql(kSqliteSourceKind, table, table));
    if (kinds.size() != 1 || kinds.front().at(0) != "table") return {};
    const auto columns = probe.QueryRows(FormatSql(kSqliteColumns, table));
    std::vector<std::string> declared = DeclaredKey(columns);
    const bool numbersRows = kinds.front().at(1) == "0";
    const bool keyIsRowNumber = declared.size() == 1 && std::any_of(columns.begin(), columns.end(), IsSqliteRowNumber);
    if (!numbersRows || keyIsRowNumber) return {PlainNamesOrNone(std::move(declared))};
    // A column of that name would stand in the row number's place.
    const bool named = std::any_of(columns.begin(), columns.end(),
                                   [](const CatalogueRow& column) { return Lower(column.at(0)) == "rowid"; });
    return named ? RowKey{} : RowKey{{"rowid"}, false};
}

// The driver waits about twice this many milliseconds for another connection's write before a
// statement fails as busy; its own default is a frozen window of over a minute and a half.
constexpr const char* kSqliteBusyTimeout = "Timeout=2500;";

std::string SqliteDialect::MissingConnectOptions(std::string_view connect) const {
    return Lower(connect).find("timeout=") == std::string::npos ? kSqliteBusyTimeout : "";
}

// The SQLite driver begins its own transactions lazily and keeps believing one is open after the
// database rolled it back (a full disk), so every later statement would commit on its own.
const TransactionSql* SqliteDialect::OwnTransactions() const {
    static constexpr TransactionSql statements{"BEGIN IMMEDIATE", "BEGIN", "COMMIT", "ROLLBACK"};
    return &statements;
}

bool SqliteDialect::AlreadyRolledBack(const std::string& errorText) const {
    return errorText.find("no transaction is active") != std::string::npos;
}

bool SqliteDialect::StillInTransaction(const std::string& errorText) const {
    return errorText.find("within a transaction") != std::string::npos;
}

void PostgresDialect::RewriteTokens(Tokens& tokens, SchemaProbe& probe) const {
    RewriteNullOrder(tokens);
    RewriteTopToLimit(tokens);
    RewriteSelectAssignments(tokens);
    // The server's local time without zone, as SQL Server gives it; left(s, n) exists as it is.
    RewriteGetdate(tokens, "localtimestamp");
    AddInsertColumnLists(tokens, probe);
}

std::optional<std::vector<std::string>> PostgresDialect::ReadInsertColumns(const std::string& table,
                                                                           SchemaProbe& probe) const {
    // From the system catalogue, which shows every column to every user; the information schema
    // hides the columns of tables the user holds no privilege on.
    const auto rows = probe.QueryRows(FormatSql(
        "select a.attname, case when a.attidentity <> '' or pg_get_expr(d.adbin, d.adrelid) like 'nextval(%%' "
        "then 'YES' else 'NO' end from pg_attribute a left join pg_attrdef d on d.adrelid = a.attrelid and "
        "d.adnum = a.attnum where a.attrelid = to_regclass('%s') and a.attnum > 0 and not a.attisdropped "
        "order by a.attnum",
        table));
    return ColumnsButSelfFilled(rows, [](const std::vector<std::string>& row) { return row.at(1) == "YES"; });
}

// The primary key's columns, from the system catalogue as above.
constexpr const char* kPostgresPrimaryKey =
    "select a.attname from pg_index i join pg_attribute a on a.attrelid = i.indrelid and a.attnum = any(i.indkey) "
    "where i.indrelid = to_regclass('%s') and i.indisprimary order by array_position(i.indkey::int2[], a.attnum)";

RowKey PostgresDialect::ReadRowKey(const std::string& table, SchemaProbe& probe) const {
    std::vector<std::string> key;
    for (const CatalogueRow& row : probe.QueryRows(FormatSql(kPostgresPrimaryKey, table))) key.push_back(row.at(0));
    // Unquoted names are folded to lower case: a name with capitals would need quoting.
    const bool lower =
        std::none_of(key.begin(), key.end(), [](const std::string& name) { return name != Lower(name); });
    return {lower ? PlainNamesOrNone(std::move(key)) : std::vector<std::string>{}};
}

// Without these the driver answers a failed statement by undoing it alone (or, when it fails to
// parse, the whole transaction, and then opens a new one): the whole transaction goes at once
// instead, and the mark below tells the commit. Another clerk's lock is waited for five seconds.
constexpr const char* kPostgresRollbackWhole = "Protocol=7.4-1;";
constexpr const char* kPostgresLockTimeout = "pqopt={options=-clock_timeout=5000};";

std::string PostgresDialect::MissingConnectOptions(std::string_view connect) const {
    const std::string lower = Lower(connect);
    // The driver takes the last of a repeated option, so a different protocol given earlier is overridden.
    std::string missing = lower.ends_with(Lower(kPostgresRollbackWhole)) ? "" : kPostgresRollbackWhole;
    if (lower.find("lock_timeout") == std::string::npos) missing = kPostgresLockTimeout + missing;
    return missing;
}

// Writers take one lock of the whole database for their transaction: a clerk's next code is read
// and stored before another's is read, as under SQLite's write lock; readers take none.
const TransactionMark* PostgresDialect::TransactionMarker() const {
    static constexpr TransactionMark mark{
        "select set_config('keltrov.transaction','open',true), pg_advisory_xact_lock(1801808244)",
        "select set_config('keltrov.transaction','open',true)", "select current_setting('keltrov.transaction',true)",
        "open"};
    return &mark;
}

std::unique_ptr<Dialect> MakeDialect(std::string_view dbmsName) {
    const std::string name = Lower(dbmsName);
    if (name.find("sqlite") != std::string::npos) return std::make_unique<SqliteDialect>();
    if (name.find("postgresql") != std::string::npos) return std::make_unique<PostgresDialect>();
    return std::make_unique<SqlServerDialect>();
}

}  // namespace keltrov::db
