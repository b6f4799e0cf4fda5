#pragma once
// A fresh SQLite database file per test, opened through the SQLite ODBC driver, with the host's
// tables, and the host state pointing at it.
#include "platform/db/database.hpp"
#include "platform/ui/message.hpp"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

namespace keltrov::test {

class TestDatabase {
public:
    explicit TestDatabase(bool withHostTables = true);
    ~TestDatabase();

    db::CDatabase& Db() { return m_db; }
    const std::filesystem::path& Path() const { return m_path; }
    void Exec(const std::string& sql) { m_db.ExecuteSQL(sql); }
    // The rows of a query as texts, read through the plain driver text of each column.
    std::vector<std::vector<std::string>> Rows(const std::string& sql);

private:
    std::filesystem::path m_path;
    db::CDatabase m_db;
};

// Records every message box shown while it lives and answers them with the queued answers (OK by default).
class MessageCapture {
public:
    MessageCapture();
    ~MessageCapture();
    std::vector<std::string> texts;
    std::vector<MessageAnswer> answers;

private:
    MessageHandler m_previous;
};

// A test with its own database and the host state of bank "B0000001".
class DatabaseTest : public ::testing::Test {
protected:
    DatabaseTest();
    ~DatabaseTest() override;
    TestDatabase database;
    MessageCapture messages;
};

inline constexpr const char* kTestBank = "B0000001";

}  // namespace keltrov::test
