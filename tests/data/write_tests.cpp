#include "data/write_pattern.hpp"
#include "entry/host_state.hpp"
#include "entry/plugin_app.hpp"
#include "tests/support/test_database.hpp"

#include <gtest/gtest.h>

namespace keltrov::test {
namespace {

using WriteTest = DatabaseTest;

TEST_F(WriteTest, FailingMiddleStatementRollsBackTheBatch) {
    ASSERT_TRUE(g_bCanTransact);
    const bool ok = ExecBatch(
        {"insert into reports values('A', 1)", "insert into nosuch values(1)", "insert into reports values('C', 1)"});
    EXPECT_FALSE(ok);
    ASSERT_EQ(messages.texts.size(), 1U);
    EXPECT_TRUE(messages.texts[0].starts_with("数据读写错，原因可能是"));
    EXPECT_NE(messages.texts[0].find("nosuch"), std::string::npos);
    EXPECT_EQ(database.Rows("select count(*) from reports")[0][0], "0");
}

TEST_F(WriteTest, WithoutTransactionsEarlierStatementsStay) {
    g_bCanTransact = false;
    EXPECT_FALSE(ExecBatch({"insert into reports values('A', 1)", "insert into nosuch values(1)"}));
    EXPECT_EQ(database.Rows("select count(*) from reports")[0][0], "1");
    EXPECT_TRUE(ExecBatch({}));
}

TEST_F(WriteTest, SuccessMessageOnlyWhenStored) {
    EXPECT_TRUE(RunWrite(kInsertPickListPolicy, [&] { database.Exec("insert into reports values('A', 1)"); }));
    EXPECT_FALSE(RunWrite(kSaveWagesPolicy, [&] { database.Exec("insert into nosuch values(1)"); }));
    ASSERT_EQ(messages.texts.size(), 2U);
    EXPECT_EQ(messages.texts[0], "插入完成 ");
    EXPECT_TRUE(messages.texts[1].starts_with("数据读写错，原因可能是"));
}

TEST_F(WriteTest, RefusedCommitStoresNothingLater) {
    // A deferred foreign key is checked at commit: the insert runs, the commit is refused.
    if (const char* enable = Traits().enableForeignKeys) database.Exec(enable);
    database.Exec("create table parent (id varchar(9) primary key)");
    database.Exec("create table child (id varchar(9) references parent(id) deferrable initially deferred)");
    EXPECT_FALSE(RunWrite(kSaveWagesPolicy, [&] { database.Exec("insert into child values('orphan')"); }));
    EXPECT_EQ(messages.texts, std::vector<std::string>{"提交失败"});
    EXPECT_TRUE(RunWrite(kSaveWagesPolicy, [&] { database.Exec("insert into reports values('A', 1)"); }));
    EXPECT_EQ(database.Rows("select count(*) from child")[0][0], "0");
    EXPECT_EQ(database.Rows("select count(*) from reports")[0][0], "1");
}

TEST_F(WriteTest, ATransactionLeftOpenIsUndoneBeforeTheNextWrite) {
    database.Exec("begin");  // what a rollback the database refused leaves behind
    database.Exec("insert into reports values('stray', 1)");
    EXPECT_TRUE(RunWrite(kSaveWagesPolicy, [&] { database.Exec("insert into reports values('A', 1)"); }));
    EXPECT_FALSE(RunWrite(kSaveWagesPolicy, [&] {
        database.Exec("insert into reports values('B', 1)");
        database.Exec("insert into nosuch values(1)");
    }));
    EXPECT_EQ(database.Rows("select reportid from reports"), std::vector<std::vector<std::string>>{{"A"}});
}

TEST_F(WriteTest, AnyExceptionLeavingAWriteRollsItBack) {
    EXPECT_THROW(RunWrite(kSaveWagesPolicy,
                          [&] {
                              database.Exec("insert into reports values('A', 1)");
                              throw std::bad_alloc();
                          }),
                 std::bad_alloc);
    EXPECT_EQ(database.Rows("select count(*) from reports")[0][0], "0");
    EXPECT_TRUE(RunWrite(kSaveWagesPolicy, [&] { database.Exec("insert into reports values('B', 1)"); }));
    EXPECT_EQ(database.Rows("select reportid from reports"), std::vector<std::vector<std::string>>{{"B"}});
}

TEST_F(WriteTest, AStatementThatFailsToParseInTheMiddleOfAWriteLeavesNothing) {
    EXPECT_FALSE(RunWrite(kSaveWagesPolicy, [&] {
        database.Exec("insert into reports values('A', 1)");
        database.Exec("insert into reports valuesx('B', 1)");
        database.Exec("insert into reports values('C', 1)");
    }));
    EXPECT_TRUE(messages.texts.at(0).starts_with("数据读写错，原因可能是"));
    EXPECT_EQ(database.Rows("select count(*) from reports")[0][0], "0");
    EXPECT_TRUE(RunWrite(kSaveWagesPolicy, [&] { database.Exec("insert into reports values('D', 1)"); }));
    EXPECT_EQ(database.Rows("select reportid from reports"), std::vector<std::vector<std::string>>{{"D"}});
}

TEST_F(WriteTest, AWriteThatGoesOnAfterAFailedStatementIsNotStoredInPart) {
    db::CDatabase& db = database.Db();
    for (const char* failing : {"insert into reports valuesx('B', 1)", "insert into nosuch values(1)"}) {
        database.Exec("delete from reports");
        ASSERT_TRUE(db.BeginTrans());
        database.Exec("insert into reports values('A', 1)");
        EXPECT_THROW(database.Exec(failing), db::DbException);
        database.Exec("insert into reports values('C', 1)");
        const bool committed = db.CommitTrans();
        const auto stored = database.Rows("select reportid from reports order by reportid");
        if (Traits().failureEndsTransaction) {
            EXPECT_FALSE(committed) << failing;
            EXPECT_TRUE(stored.empty()) << failing;
        } else {
            EXPECT_TRUE(committed) << failing;
            EXPECT_EQ(stored, (std::vector<std::vector<std::string>>{{"A"}, {"C"}})) << failing;
        }
    }
}

TEST_F(WriteTest, AnotherClerksWriteIsWaitedForABoundedTimeThenToldAsBusy) {
    database.Exec("insert into reports values('A', 1)");
    db::CDatabase other;
    other.OpenEx(database.ConnectString());
    ASSERT_TRUE(other.BeginTrans());
    other.ExecuteSQL("update reports set reporttype=2 where reportid='A'");
    EXPECT_FALSE(
        RunWrite(kSaveWagesPolicy, [&] { database.Exec("update reports set reporttype=3 where reportid='A'"); }));
    EXPECT_EQ(messages.texts, std::vector<std::string>{"数据读写错，原因可能是数据库正被其他用户使用，请稍后再试"});
    ASSERT_TRUE(other.CommitTrans());
    EXPECT_EQ(database.Rows("select reporttype from reports")[0][0], "2");
}

TEST_F(WriteTest, InitCapturesTheBankAndAQuoteCannotBreakTheQuery) {
    database.Exec("insert into Organize values('B0000001','示范银行')");
    PluginContext context;
    context.strBankId = "B0000001";
    CaptureHostState(&database.Db(), context);
    EXPECT_EQ(g_strBankName, "示范银行");
    context.strBankId = "x' or '1'='1";
    CaptureHostState(&database.Db(), context);
    EXPECT_EQ(g_strBankId, "x' or '1'='1");
    EXPECT_EQ(g_strBankName, "示范银行");  // no row for that bank: the name stays
}

}  // namespace
}  // namespace keltrov::test
