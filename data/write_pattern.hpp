#pragma once
// Every write of the system runs its statements in one transaction: a database error stops them,
// is shown with the driver's text and undoes them; success commits. Callers differ only in the
// small policy below.
#include <functional>
#include <string>
#include <vector>

struct WritePolicy {
    bool transactOnlyWhenCapable;    // begin, commit and roll back only when g_bCanTransact is set
    const char* beginFailedMessage;  // shown when the transaction cannot begin; nothing is written then
    const char* errorMessage;        // shown for a database error; %s takes the driver's text
    const char* finalMessage;        // shown at the end when the write was stored, or none
};

extern const WritePolicy kExecBatchPolicy;
extern const WritePolicy kGenerateWagesPolicy;
extern const WritePolicy kSaveWagesPolicy;
extern const WritePolicy kInsertFormPolicy;
extern const WritePolicy kNextNumberPolicy;
extern const WritePolicy kInsertPickListPolicy;
extern const WritePolicy kMovePersonsPolicy;

// Runs `write` under the policy. A write that cannot begin its transaction does not run: without
// one, a failure half-way would leave half of it stored. TRUE when it ran without a database error and what it wrote
// was committed (or there was no transaction to commit).
bool RunWrite(const WritePolicy& policy, const std::function<void()>& write);

// Runs the statements in index order, each through ExecuteSQL on g_pDatabase.
bool ExecBatch(const std::vector<std::string>& statements);

// The message with its %s replaced by the text.
std::string FillMessage(const char* message, const std::string& text);
