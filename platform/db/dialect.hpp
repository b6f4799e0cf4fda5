#pragma once
// Statements are written in the SQL Server dialect; a dialect adapter picked from the connected
// DBMS turns them into what that database understands.
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace keltrov::db {

// What an adapter may ask the connection about its tables.
class SchemaProbe {
public:
    virtual ~SchemaProbe() = default;
    // Runs a catalogue query as it stands and returns its rows as texts.
    virtual std::vector<std::vector<std::string>> QueryRows(const std::string& sql) = 0;
};

// A database's own transaction statements, for drivers whose auto-commit switch loses track of
// transactions the database ended by itself.
struct TransactionSql {
    const char* beginWrite;  // takes the write lock at once, so two writers queue instead of deadlocking
    const char* beginRead;
    const char* commit;
    const char* rollback;
};

// The columns whose values tell one row of a table from every other, as they can be selected.
struct RowKey {
    std::vector<std::string> columns;  // none when the table (or view) has no such key
    bool listedByStar = true;          // false for a column "select *" leaves out (SQLite's row number)
};

// A mark the first statement of a transaction leaves and the transaction loses when the database
// or the driver ends it by itself; read back before a commit, it tells whether the work is whole.
struct TransactionMark {
    const char* setForWrite;  // also takes the write lock, so two writers queue as on SQLite
    const char* setForRead;
    const char* read;
    const char* expected;
};

class Dialect {
public:
    virtual ~Dialect() = default;
    virtual std::string Rewrite(std::string_view sql, SchemaProbe& probe) const = 0;
    // Options the connection string must carry on this database; empty when it carries them already.
    virtual std::string MissingConnectOptions(std::string_view /*connect*/) const { return {}; }
    // The transaction statements to run instead of the driver's auto-commit switch; none to use the switch.
    virtual const TransactionSql* OwnTransactions() const { return nullptr; }
    // TRUE when a failed rollback says the database had already undone the transaction itself.
    virtual bool AlreadyRolledBack(const std::string& /*errorText*/) const { return false; }
    // TRUE when a failed begin says a transaction the connection failed to end is still open.
    virtual bool StillInTransaction(const std::string& /*errorText*/) const { return false; }
    // The mark a transaction on the driver's auto-commit switch carries; none when it needs none.
    virtual const TransactionMark* TransactionMarker() const { return nullptr; }
    // A column that tells one row of any table from every other for as long as a write transaction
    // holds it (SQLite's row number, PostgreSQL's tuple id); null where the adapter knows none.
    virtual const char* RowLocator() const { return nullptr; }
    // The table's key; none when the adapter does not know one.
    virtual RowKey ReadRowKey(const std::string& /*table*/, SchemaProbe& /*probe*/) const { return {}; }
    // TRUE when the driver converts a timestamp column to the ODBC structure whatever form the value
    // was stored in; elsewhere date-times are read as text and parsed by the layer.
    virtual bool DriverReadsTimestamps() const { return false; }
    // TRUE when every query reads one snapshot of the database, so that a forward-only cursor does
    // not see rows changed while it is read; elsewhere the snapshot takes a static cursor.
    virtual bool QueriesReadOneSnapshot() const { return false; }
};

class SqlServerDialect final : public Dialect {
public:
    std::string Rewrite(std::string_view sql, SchemaProbe& probe) const override;
};

struct Token;

// The adapters that rewrite statements on tokens; the column lists of positional inserts come
// from the database's catalogue, read once per connection and table.
class TokenRewritingDialect : public Dialect {
public:
    std::string Rewrite(std::string_view sql, SchemaProbe& probe) const final;

protected:
    virtual void RewriteTokens(std::vector<Token>& tokens, SchemaProbe& probe) const = 0;
    // The columns a positional insert fills: every column but the self-filled one; none when the
    // table has no self-filled column.
    virtual std::optional<std::vector<std::string>> ReadInsertColumns(const std::string& table,
                                                                      SchemaProbe& probe) const = 0;
    void AddInsertColumnLists(std::vector<Token>& tokens, SchemaProbe& probe) const;

private:
    mutable std::map<std::string, std::optional<std::vector<std::string>>> m_insertColumns;
};

class SqliteDialect final : public TokenRewritingDialect {
public:
    std::string MissingConnectOptions(std::string_view connect) const override;
    const TransactionSql* OwnTransactions() const override;
    const char* RowLocator() const override { return "rowid"; }
    bool AlreadyRolledBack(const std::string& errorText) const override;
    bool StillInTransaction(const std::string& errorText) const override;
    RowKey ReadRowKey(const std::string& table, SchemaProbe& probe) const override;

private:
    void RewriteTokens(std::vector<Token>& tokens, SchemaProbe& probe) const override;
    std::optional<std::vector<std::string>> ReadInsertColumns(const std::string& table,
                                                              SchemaProbe& probe) const override;
};

class PostgresDialect final : public TokenRewritingDialect {
public:
    std::string MissingConnectOptions(std::string_view connect) const override;
    const TransactionMark* TransactionMarker() const override;
    const char* RowLocator() const override { return "ctid"; }
    RowKey ReadRowKey(const std::string& table, SchemaProbe& probe) const override;
    // The server holds a timestamp as its own type and sends it whole.
    bool DriverReadsTimestamps() const override { return true; }
    // A query, and a cursor the driver may declare for it, sees the rows as they were when it began.
    bool QueriesReadOneSnapshot() const override { return true; }

private:
    void RewriteTokens(std::vector<Token>& tokens, SchemaProbe& probe) const override;
    std::optional<std::vector<std::string>> ReadInsertColumns(const std::string& table,
                                                              SchemaProbe& probe) const override;
};

// Chooses the adapter for the DBMS name the driver reports (SQL_DBMS_NAME).
std::unique_ptr<Dialect> MakeDialect(std::string_view dbmsName);

}  // namespace keltrov::db
