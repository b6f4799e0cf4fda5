#include "platform/util/sql_format.hpp"

#include <stdexcept>

namespace keltrov {

std::string QuoteSqlValue(std::string_view value) {
    std::string quoted;
    quoted.reserve(value.size());
    for (char c : value) {
        quoted += c;
        if (c == '\'') quoted += '\'';
    }
    return quoted;
}

std::string EscapeLikeText(std::string_view text) {
    std::string escaped;
    escaped.reserve(text.size());
    for (char c : text) {
        if (c == '_' || c == '%' || c == '!') escaped += '!';
        escaped += c;
    }
    return escaped;
}

namespace {

const SqlArg& NextArg(const std::vector<SqlArg>& args, size_t& next) {
    if (next >= args.size()) throw std::logic_error("SQL template has more placeholders than values");
    return args[next++];
}

std::string PlaceText(const SqlArg& arg, bool insideQuotes) {
    const auto* text = std::get_if<std::string>(&arg);
    if (text == nullptr) throw std::logic_error("SQL template expects a text for %s");
    return insideQuotes ? QuoteSqlValue(*text) : *text;
}

std::string PlaceNumber(const SqlArg& arg) {
    const auto* number = std::get_if<long long>(&arg);
    if (number == nullptr) throw std::logic_error("SQL template expects a number for %d");
    return std::to_string(*number);
}

}  // namespace

std::string FormatSqlArgs(std::string_view pattern, const std::vector<SqlArg>& args) {
    std::string sql;
    sql.reserve(pattern.size() + 32);
    bool insideQuotes = false;
    size_t next = 0;
    for (size_t i = 0; i < pattern.size(); ++i) {
        const char c = pattern[i];
        if (c != '%') {
            if (c == '\'') insideQuotes = !insideQuotes;
            sql += c;
            continue;
        }
        const std::string_view rest = pattern.substr(i + 1);
        if (rest.starts_with('%')) {
            sql += '%';
            i += 1;
        } else if (rest.starts_with('s')) {
            sql += PlaceText(NextArg(args, next), insideQuotes);
            i += 1;
        } else if (rest.starts_with('d')) {
            sql += PlaceNumber(NextArg(args, next));
            i += 1;
        } else if (rest.starts_with("ld")) {
            sql += PlaceNumber(NextArg(args, next));
            i += 2;
        } else {
            throw std::logic_error("unsupported placeholder in SQL template");
        }
    }
    if (next != args.size()) throw std::logic_error("SQL template has fewer placeholders than values");
    return sql;
}

}  // namespace keltrov
