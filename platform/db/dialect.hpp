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

class Dialect {
public:
    virtual ~Dialect() = default;
    virtual std::string Rewrite(std::string_view sql, SchemaProbe& probe) const = 0;
};

class SqlServerDialect final : public Dialect {
public:
    std::string Rewrite(std::string_view sql, SchemaProbe& probe) const override;
};

class SqliteDialect final : public Dialect {
public:
    std::string Rewrite(std::string_view sql, SchemaProbe& probe) const override;

private:
    // The columns a positional insert fills: every column but the self-filled one; none when the
    // table has no self-filled column. Cached per connection.
    const std::optional<std::vector<std::string>>& InsertColumns(const std::string& table,
                                                                 SchemaProbe& probe) const;
    mutable std::map<std::string, std::optional<std::vector<std::string>>> m_insertColumns;
};

// Chooses the adapter for the DBMS name the driver reports (SQL_DBMS_NAME).
std::unique_ptr<Dialect> MakeDialect(std::string_view dbmsName);

}  // namespace keltrov::db
