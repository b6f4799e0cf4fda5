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
};

class SqlServerDialect final : public Dialect {
public:
    std::string Rewrite(std::string_view sql, SchemaProbe& probe) const override;
};

class SqliteDialect final : public Dialect {
public:
    std::string Rewrite(std::string_view sql, SchemaProbe& probe) const override;
    std::string MissingConnectOptions(std::string_view connect) const override;
    const TransactionSql* OwnTransactions() const override;
    bool AlreadyRolledBack(const std::string& errorText) const override;
    bool StillInTransaction(const std::string& errorText) const override;

private:
    // The columns a positional insert fills: every column but the self-filled one; none when the
    // table has no self-filled column. Cached per connection.
    const std::optional<std::vector<std::string>>& InsertColumns(const std::string& table, SchemaProbe& probe) const;
    mutable std::map<std::string, std::optional<std::vector<std::string>>> m_insertColumns;
};

// Chooses the adapter for the DBMS name the driver reports (SQL_DBMS_NAME).
std::unique_ptr<Dialect> MakeDialect(std::string_view dbmsName);

}  // namespace keltrov::db
