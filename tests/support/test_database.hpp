#pragma once
// A fresh database per test, with the host's tables, and the host state pointing at it: a SQLite
// file through the SQLite ODBC driver, or, when KELTROV_TEST_DATABASE is "postgresql", a database of
// its own on the server KELTROV_PG_CONNECT names, or else on the build's private test cluster.
#include "platform/db/database.hpp"
#include "platform/ui/message.hpp"
#include "platform/ui/seam.hpp"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

namespace keltrov::test {

// Which database a test database is: the one the tests run on, or a SQLite file whatever they run on
// (the reference a PostgreSQL run compares its results with).
enum class Engine { UnderTest, Sqlite };

class TestDatabase {
public:
    explicit TestDatabase(bool withHostTables = true, Engine engine = Engine::UnderTest);
    ~TestDatabase();

    db::CDatabase& Db() { return m_db; }
    // The SQLite file; empty on a server.
    const std::filesystem::path& Path() const { return m_path; }
    // What a second connection to the same database opens.
    const std::string& ConnectString() const { return m_connect; }
    bool IsPostgres() const { return !m_serverName.empty(); }
    void Exec(const std::string& sql) { m_db.ExecuteSQL(sql); }
    // The rows of a query as texts, read through the plain driver text of each column.
    std::vector<std::vector<std::string>> Rows(const std::string& sql);
    // Makes the database refuse `event` ("insert", "update" or "delete") on `table` with `reason` in
    // the driver's text, for the rows `when` picks (a condition on old. or new.; empty: every row).
    void RefuseWrites(const std::string& table, const std::string& event, const std::string& reason,
                      const std::string& when = "");
    void AllowWrites(const std::string& table, const std::string& event);

private:
    std::filesystem::path m_path;
    std::string m_serverName;  // the database's name on the server
    std::string m_connect;
    db::CDatabase m_db;
};

// Records every message box shown while it lives and answers them with the queued answers (OK by default).
class MessageCapture {
public:
    MessageCapture();
    std::vector<std::string> texts;
    std::vector<MessageAnswer> answers;

private:
    ScopedHandler<MessageHandler> m_answering;
};

// What truly differs between the databases the tests run on, in one place.
struct DatabaseTraits {
    // A statement that fails ends the whole transaction (PostgreSQL), or only itself (SQLite).
    bool failureEndsTransaction;
    // What a connection runs before foreign keys are enforced; null where they always are.
    const char* enableForeignKeys;
    // A decimal(12,2) read back as text keeps its two places (PostgreSQL) or reads as SQLite wrote it.
    bool decimalsKeepTheirPlaces;
    std::string Decimal(const std::string& sqliteText) const;
};

// A test with its own database and the host state of bank "B0000001".
class DatabaseTest : public ::testing::Test {
protected:
    DatabaseTest();
    ~DatabaseTest() override;
    const DatabaseTraits& Traits() const;
    TestDatabase database;
    MessageCapture messages;
};

inline constexpr const char* kTestBank = "B0000001";

}  // namespace keltrov::test
