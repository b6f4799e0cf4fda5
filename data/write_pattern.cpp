#include "data/write_pattern.hpp"

#include <optional>

#include "entry/host_state.hpp"
#include "platform/db/database.hpp"
#include "platform/db/transaction.hpp"
#include "platform/ui/db_error_text.hpp"
#include "platform/ui/message.hpp"

namespace {

constexpr const char* kBeginError = "事务启动错";
constexpr const char* kBeginFailed = "事务启动失败";
constexpr const char* kReadWriteError = "数据读写错，原因可能是%s";
constexpr const char* kIllegalCharacters = "数据可能有非法字符,写入数据库错 %s";
constexpr const char* kCommitFailed = "提交失败";
constexpr const char* kRollbackFailed = "回滚失败";

// Another user's write holding the database is the write's own failure, told in its message;
// any other refusal names the database's reason under the begin message.
void ShowBeginFailure(const WritePolicy& policy, const keltrov::db::DbException* error) {
    if (error == nullptr) {
        keltrov::ShowMessage(policy.beginFailedMessage);
    } else if (error->IsBusy()) {
        keltrov::ShowMessage(FillMessage(policy.errorMessage, keltrov::DbErrorTextForUser(*error)));
    } else {
        keltrov::ShowMessage(std::string(policy.beginFailedMessage) + "\n" + error->ErrorText());
    }
}

}  // namespace

const WritePolicy kExecBatchPolicy{true, kBeginError, kReadWriteError, nullptr};
const WritePolicy kGenerateWagesPolicy{true, kBeginError, kReadWriteError, "保存完成"};
const WritePolicy kSaveWagesPolicy{true, kBeginError, kReadWriteError, "保存完成"};
const WritePolicy kInsertFormPolicy{false, kBeginFailed, kIllegalCharacters, nullptr};
const WritePolicy kNextNumberPolicy{false, kBeginFailed, kReadWriteError, nullptr};
const WritePolicy kInsertPickListPolicy{false, kBeginError, kReadWriteError, "插入完成 "};
const WritePolicy kMovePersonsPolicy{true, kBeginError, kReadWriteError, nullptr};

std::string FillMessage(const char* message, const std::string& text) {
    std::string filled(message);
    if (const size_t at = filled.find("%s"); at != std::string::npos) filled.replace(at, 2, text);
    return filled;
}

bool RunWrite(const WritePolicy& policy, const std::function<void()>& write) {
    keltrov::db::CDatabase& db = *g_pDatabase;
    // Any other exception leaving the write rolls the transaction back as it passes.
    std::optional<keltrov::db::Transaction> transaction;
    if (!policy.transactOnlyWhenCapable || g_bCanTransact) {
        transaction.emplace(db, keltrov::db::TransactionKind::Write);
        if (!transaction->Begun()) {
            ShowBeginFailure(policy, db.TransactionError());
            return false;
        }
    }
    bool ok = true;
    try {
        write();
    } catch (const keltrov::db::DbException& error) {
        ok = false;
        keltrov::ShowMessage(FillMessage(policy.errorMessage, keltrov::DbErrorTextForUser(error)));
    }
    if (transaction) {
        // Nothing is stored when the commit fails, so the write counts as failed.
        if (ok && !transaction->Commit()) {
            keltrov::ShowMessage(kCommitFailed);
            ok = false;
        } else if (!ok && !transaction->Rollback()) {
            keltrov::ShowMessage(kRollbackFailed);
        }
    }
    // A success message after a failure would tell the user the data was stored when it was not.
    if (ok && policy.finalMessage != nullptr) keltrov::ShowMessage(policy.finalMessage);
    return ok;
}

bool ExecBatch(const std::vector<std::string>& statements) {
    return RunWrite(kExecBatchPolicy, [&] {
        for (const std::string& statement : statements) g_pDatabase->ExecuteSQL(statement);
    });
}
