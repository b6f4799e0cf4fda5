#include "tests/support/test_database.hpp"

#include "entry/host_state.hpp"
#include "host/host_tables.hpp"
#include "platform/db/database_impl.hpp"

#include <atomic>
#include <unistd.h>

namespace keltrov::test {

namespace {

std::filesystem::path FreshPath() {
    static std::atomic<int> counter{0};
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string name = info != nullptr ? std::string(info->test_suite_name()) + "." + info->name() : "db";
    for (char& c : name)
        if (c == '/') c = '_';
    auto path = std::filesystem::temp_directory_path() / "keltrov-tests" /
                (name + "-" + std::to_string(getpid()) + "-" + std::to_string(counter++) + ".sqlite");
    std::filesystem::create_directories(path.parent_path());
    std::filesystem::remove(path);
    return path;
}

}  // namespace

TestDatabase::TestDatabase(bool withHostTables) : m_path(FreshPath()) {
    m_db.OpenEx("Driver=SQLite3;Database=" + m_path.string() + ";");
    if (withHostTables) host::CreateHostTables(m_db);
}

TestDatabase::~TestDatabase() {
    m_db.Close();
    std::filesystem::remove(m_path);
}

std::vector<std::vector<std::string>> TestDatabase::Rows(const std::string& sql) {
    return m_db.GetImpl().QueryRows(sql);
}

MessageCapture::MessageCapture() {
    m_previous = SetMessageHandler([this](const std::string& text, MessageButtons) {
        texts.push_back(text);
        if (answers.empty()) return MessageAnswer::Ok;
        const MessageAnswer answer = answers.front();
        answers.erase(answers.begin());
        return answer;
    });
}

MessageCapture::~MessageCapture() {
    SetMessageHandler(m_previous);
}

DatabaseTest::DatabaseTest() {
    g_pDatabase = &database.Db();
    g_strBankId = kTestBank;
    g_strBankName.clear();
    g_bCanTransact = database.Db().CanTransact();
}

DatabaseTest::~DatabaseTest() {
    g_pDatabase = nullptr;
    g_strBankId.clear();
    g_bCanTransact = false;
}

}  // namespace keltrov::test
