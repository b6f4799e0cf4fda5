#include "tests/support/test_database.hpp"

#include "entry/host_state.hpp"
#include "host/host_tables.hpp"
#include "platform/db/database_impl.hpp"
#include "platform/util/sql_format.hpp"

#include <unistd.h>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <stdexcept>

namespace keltrov::test {

namespace {

std::string TestName() {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string name = info != nullptr ? std::string(info->test_suite_name()) + "." + info->name() : "db";
    for (char& c : name)
        if (c == '/') c = '_';
    return name;
}

std::string UniqueSuffix() {
    static std::atomic<int> counter{0};
    return std::to_string(getpid()) + "_" + std::to_string(counter++);
}

std::filesystem::path FreshPath() {
    auto path =
        std::filesystem::temp_directory_path() / "keltrov-tests" / (TestName() + "-" + UniqueSuffix() + ".sqlite");
    std::filesystem::create_directories(path.parent_path());
    std::filesystem::remove(path);
    return path;
}

std::string Environment(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr ? value : "";
}

bool OnPostgres() {
    return Environment("KELTROV_TEST_DATABASE") == "postgresql";
}

// The server's connection string: given whole, or in the folder of the cluster CTest started.
std::string ServerConnectString() {
    if (std::string connect = Environment("KELTROV_PG_CONNECT"); !connect.empty()) return connect;
    const std::filesystem::path file = std::filesystem::path(KELTROV_PG_CLUSTER_DIR) / "connect";
    std::ifstream in(file);
    std::string connect;
    if (!std::getline(in, connect) || connect.empty())
        throw std::runtime_error(
            "no PostgreSQL for the tests: set KELTROV_PG_CONNECT or start the cluster with "
            "scripts/pg-cluster.sh start " KELTROV_PG_CLUSTER_DIR);
    return connect;
}

// Later options of a connection string take the place of earlier ones.
std::string WithDatabase(const std::string& connect, const std::string& name) {
    return connect + (connect.empty() || connect.back() == ';' ? "" : ";") + "Database=" + name + ";";
}

void RunOnServer(const std::string& sql) {
    db::CDatabase admin;
    admin.OpenEx(ServerConnectString());
    admin.ExecuteSQL(sql);
}

}  // namespace

TestDatabase::TestDatabase(bool withHostTables, Engine engine) {
    if (engine == Engine::UnderTest && OnPostgres()) {
        m_serverName = "keltrov_test_" + UniqueSuffix();
        RunOnServer("create database " + m_serverName);
        m_connect = WithDatabase(ServerConnectString(), m_serverName);
    } else {
        m_path = FreshPath();
        m_connect = "Driver=SQLite3;Database=" + m_path.string() + ";";
    }
    m_db.OpenEx(m_connect);
    if (withHostTables) host::CreateHostTables(m_db);
}

TestDatabase::~TestDatabase() {
    m_db.Close();
    if (IsPostgres()) {
        try {
            RunOnServer("drop database if exists " + m_serverName + " with (force)");
        } catch (const db::DbException& error) {
            ADD_FAILURE() << "the test database stays on the server: " << error.ErrorText();
        }
    } else {
        std::filesystem::remove(m_path);
    }
}

std::vector<std::vector<std::string>> TestDatabase::Rows(const std::string& sql) {
    return m_db.GetImpl().QueryRows(sql);
}

namespace {

std::string RefusalName(const std::string& table, const std::string& event) {
    return "refuse_" + table + "_" + event;
}

}  // namespace

void TestDatabase::RefuseWrites(const std::string& table, const std::string& event, const std::string& reason,
                                const std::string& when) {
    const std::string name = RefusalName(table, event);
    const std::string trigger = "create trigger " + name + " before " + event + " on " + table;
    if (IsPostgres()) {
        Exec(
            FormatSql("create function %s() returns trigger language plpgsql as $$ begin raise exception '%s'; "
                      "end $$",
                      name, reason));
        Exec(trigger + " for each row" + (when.empty() ? "" : " when (" + when + ")") + " execute function " + name +
             "()");
    } else {
        Exec(trigger + (when.empty() ? "" : " when " + when) +
             FormatSql(" begin select raise(abort, '%s'); end", reason));
    }
}

void TestDatabase::AllowWrites(const std::string& table, const std::string& event) {
    const std::string name = RefusalName(table, event);
    Exec("drop trigger " + name + (IsPostgres() ? " on " + table : ""));
}

std::string DatabaseTraits::Decimal(const std::string& sqliteText) const {
    if (!decimalsKeepTheirPlaces || sqliteText.empty()) return sqliteText;
    char text[64];
    std::snprintf(text, sizeof text, "%.2f", std::stod(sqliteText));
    return text;
}

MessageCapture::MessageCapture()
    : m_answering(SetMessageHandler, [this](const std::string& text, MessageButtons) {
          texts.push_back(text);
          if (answers.empty()) return MessageAnswer::Ok;
          const MessageAnswer answer = answers.front();
          answers.erase(answers.begin());
          return answer;
      }) {}

DatabaseTest::DatabaseTest() {
    g_pDatabase = &database.Db();
    g_strBankId = kTestBank;
    g_strBankName.clear();
    g_bCanTransact = database.Db().CanTransact();
}

const DatabaseTraits& DatabaseTest::Traits() const {
    static constexpr DatabaseTraits kSqlite{false, "PRAGMA foreign_keys=ON", false};
    static constexpr DatabaseTraits kPostgres{true, nullptr, true};
    return database.IsPostgres() ? kPostgres : kSqlite;
}

DatabaseTest::~DatabaseTest() {
    g_pDatabase = nullptr;
    g_strBankId.clear();
    g_bCanTransact = false;
}

}  // namespace keltrov::test
