#include "platform/ui/db_error_text.hpp"

namespace keltrov {

namespace {

constexpr const char* kDatabaseBusy = "数据库正被其他用户使用，请稍后再试";

}  // namespace

std::string DbErrorTextForUser(const db::DbException& error) {
    return error.IsBusy() ? kDatabaseBusy : error.ErrorText();
}

}  // namespace keltrov
