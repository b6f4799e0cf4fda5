#pragma once
// Builds SQL texts from the statement templates the system defines. A value placed inside a quoted
// literal of the template has its single quotes doubled, so it can neither break the statement nor
// change its meaning; values outside quotes (table-name parts, numbers) are placed as they are.
#include <cstdint>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace keltrov {

// The one quoting helper: the text with every single quote doubled, ready to stand between quotes.
std::string QuoteSqlValue(std::string_view value);

// A node code matched as the start of a LIKE pattern: its wildcards "_" and "%" and the escape
// character itself are escaped with "!", so they match only themselves. A statement that uses it
// follows the pattern with " escape '!'".
std::string EscapeLikeText(std::string_view text);

using SqlArg = std::variant<std::string, long long>;

// printf-like: %s takes a text, %d and %ld a whole number, %% is a percent sign.
std::string FormatSqlArgs(std::string_view pattern, const std::vector<SqlArg>& args);

template <typename... Args>
std::string FormatSql(std::string_view pattern, const Args&... args) {
    std::vector<SqlArg> list;
    list.reserve(sizeof...(Args));
    auto add = [&list](const auto& arg) {
        if constexpr (std::is_integral_v<std::decay_t<decltype(arg)>>)
            list.emplace_back(static_cast<long long>(arg));
        else
            list.emplace_back(std::string(arg));
    };
    (add(args), ...);
    return FormatSqlArgs(pattern, list);
}

}  // namespace keltrov
