#include "host/automation/script.hpp"

#include <charconv>
#include <fstream>
#include <iterator>
#include <map>
#include <optional>

#include "platform/util/calendar.hpp"
#include "resources/control_ids.hpp"

namespace keltrov::automation {

namespace {

enum class Arg { Node, Control, Command, Index, Millis, Text, File, Date, Key, Answer, Fill };

struct Grammar {
    LineKind kind;
    std::vector<Arg> args;
};

const std::map<std::string, Grammar, std::less<>>& Keywords() {
    static const std::map<std::string, Grammar, std::less<>> keywords{
        {"select", {LineKind::Select, {Arg::Node}}},
        {"expand", {LineKind::Expand, {Arg::Node}}},
        {"collapse", {LineKind::Collapse, {Arg::Node}}},
        {"click", {LineKind::Click, {Arg::Control}}},
        {"command", {LineKind::Command, {Arg::Command}}},
        {"set", {LineKind::Set, {Arg::Control, Arg::Text}}},
        {"date", {LineKind::Date, {Arg::Date}}},
        {"key", {LineKind::Key, {Arg::Control, Arg::Key}}},
        {"rightclick", {LineKind::RightClick, {Arg::Control}}},
        {"dblclick", {LineKind::DblClick, {Arg::Control}}},
        {"drag", {LineKind::Drag, {Arg::Node, Arg::Node}}},
        {"drag-out", {LineKind::DragOut, {Arg::Node}}},
        {"hover", {LineKind::Hover, {Arg::Node, Arg::Millis}}},
        {"cell", {LineKind::Cell, {Arg::Index, Arg::Index, Arg::Text}}},
        {"current", {LineKind::Current, {Arg::Index, Arg::Index}}},
        {"answer", {LineKind::Answer, {Arg::Answer}}},
        {"input", {LineKind::Input, {Arg::Text}}},
        {"input-cancel", {LineKind::InputCancel, {}}},
        {"fill", {LineKind::Fill, {Arg::Fill}}},
        {"fill-cancel", {LineKind::FillCancel, {}}},
        {"calendar", {LineKind::Calendar, {Arg::Date}}},
        {"calendar-cancel", {LineKind::CalendarCancel, {}}},
        {"menu", {LineKind::Menu, {Arg::Command}}},
        {"expect-message", {LineKind::ExpectMessage, {Arg::Text}}},
        {"expect-no-message", {LineKind::ExpectNoMessage, {}}},
        {"dump", {LineKind::Dump, {Arg::File}}},
        {"screenshot", {LineKind::Screenshot, {Arg::File}}},
        {"export", {LineKind::Export, {Arg::File}}},
        {"print-pdf", {LineKind::PrintPdf, {Arg::File}}},
    };
    return keywords;
}

using IdNames = std::map<std::string, int, std::less<>>;

// The words a script may write instead of a control's number.
const IdNames& ControlNames() {
    static const IdNames names{
        {"tree", ids::kOrganisationTree},
        {"code", ids::kCodeEdit},
        {"name", ids::kNameEdit},
        {"sex", ids::kSexCombo},
        {"id-number", ids::kIdNumberEdit},
        {"department", ids::kDepartmentEdit},
        {"position", ids::kPositionEdit},
        {"internal-number", ids::kInternalNumberEdit},
        {"save", ids::kSaveButton},
        {"modify", ids::kModifyButton},
        {"refresh", ids::kRefreshWagesButton},
        {"sheet", ids::kWageSheet},
        {"wage-date", ids::kWageDatePicker},
        {"save-wages", ids::kSaveWagesButton},
        {"generate", ids::kGenerateWagesButton},
        {"refresh-tree", ids::kRefreshTreeButton},
    };
    return names;
}

// The words a script may write instead of a command's number.
const IdNames& CommandNames() {
    static const IdNames names{
        {"add-department", ids::kAddDepartmentCommand},
        {"add-company", ids::kAddCompanyCommand},
        {"add-person", ids::kAddPersonCommand},
        {"delete", ids::kDeleteNodeCommand},
        {"fill", ids::kFillRangeCommand},
        {"insert-list", ids::kInsertListCommand},
        {"insert-time", ids::kInsertTimeCommand},
        {"export", ids::kExportSheetCommand},
        {"clear", ids::kEditClearCommand},
        {"copy", ids::kEditCopyCommand},
        {"paste", ids::kEditPasteCommand},
    };
    return names;
}

std::optional<int> ReadInt(std::string_view text) {
    int value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size()) return std::nullopt;
    return value;
}

std::optional<ScriptDate> ReadDate(std::string_view text) {
    if (text.size() != 10 || text[4] != '-' || text[7] != '-') return std::nullopt;
    const auto year = ReadInt(text.substr(0, 4));
    const auto month = ReadInt(text.substr(5, 2));
    const auto day = ReadInt(text.substr(8, 2));
    if (!year || !month || !day || *year < 1 || *month < 1 || *month > 12 || *day < 1) return std::nullopt;
    if (*day > calendar::DaysInMonth(*year, *month)) return std::nullopt;
    return ScriptDate{*year, *month, *day};
}

std::string JoinNames(const IdNames& names) {
    std::string joined;
    for (const auto& [name, id] : names) joined += (joined.empty() ? "" : ", ") + name;
    return joined;
}

// Why the argument is neither a number nor one of the names, or empty when it is either.
std::string CheckIdArg(const char* what, const IdNames& names, const std::string& text) {
    if (ReadInt(text) || names.contains(text)) return "";
    return std::string(what) + " is a number or one of " + JoinNames(names) + ", not '" + text + "'";
}

// The argument as the number the actions take: a name is replaced by its id.
std::string IdText(const IdNames& names, const std::string& text) {
    const auto found = names.find(text);
    return found == names.end() ? text : std::to_string(found->second);
}

bool IsNode(std::string_view text) {
    if (text.starts_with('#')) return text.size() > 1;
    // A path: item texts joined by '/', none of them empty.
    return !text.empty() && !text.starts_with('/') && !text.ends_with('/') && text.find("//") == std::string::npos;
}

// Why the argument does not fit, or empty when it does.
std::string CheckArg(Arg kind, const std::string& text) {
    switch (kind) {
        case Arg::Node:
            return IsNode(text) ? "" : "a node is #CODE or a path of item texts joined by '/', not '" + text + "'";
        case Arg::Control: return CheckIdArg("a control", ControlNames(), text);
        case Arg::Command: return CheckIdArg("a command", CommandNames(), text);
        case Arg::Index:
            return ReadInt(text).value_or(0) >= 1 ? "" : "a row or column is a number from 1, not '" + text + "'";
        case Arg::Millis:
            return ReadInt(text).value_or(-1) >= 0 ? "" : "a time is a number of milliseconds, not '" + text + "'";
        case Arg::Text: return "";
        case Arg::File: return text.empty() ? "a file name is missing" : "";
        case Arg::Date: return ReadDate(text) ? "" : "a date is a real day written YYYY-MM-DD, not '" + text + "'";
        case Arg::Key:
            return text == "enter" || text == "down" || text == "up" || text == "tab"
                       ? ""
                       : "a key is enter, down, up or tab, not '" + text + "'";
        case Arg::Answer:
            return text == "ok" || text == "cancel" ? "" : "an answer is ok or cancel, not '" + text + "'";
        case Arg::Fill: {
            const auto fields = SplitFillFields(text);
            if (fields.size() != 5) return "fill takes five fields joined by '|', not '" + text + "'";
            return fields[4] == "0" || fields[4] == "1" ? "" : "the last fill field is 0 or 1, not '" + fields[4] + "'";
        }
    }
    return "";
}

// The last argument takes the rest of the line; the ones before it are single words.
std::vector<std::string> SplitArgs(std::string_view rest, size_t count) {
    std::vector<std::string> args;
    while (args.size() + 1 < count) {
        const size_t blank = rest.find(' ');
        if (blank == std::string_view::npos) break;
        args.emplace_back(rest.substr(0, blank));
        rest.remove_prefix(blank + 1);
    }
    args.emplace_back(rest);
    return args;
}

ScriptError CountError(int number, const std::string& keyword, size_t count) {
    return ScriptError(number, keyword + " needs " + std::to_string(count) + (count == 1 ? " argument" : " arguments"));
}

ScriptLine ParseLine(int number, std::string_view text) {
    const size_t blank = text.find(' ');
    const std::string_view keyword = text.substr(0, blank);
    const auto found = Keywords().find(keyword);
    if (found == Keywords().end()) throw ScriptError(number, "unknown action '" + std::string(keyword) + "'");
    const Grammar& grammar = found->second;
    ScriptLine line{number, grammar.kind, std::string(keyword), {}};
    if (grammar.args.empty()) {
        if (blank != std::string_view::npos) throw ScriptError(number, line.keyword + " takes no argument");
        return line;
    }
    if (blank == std::string_view::npos) throw CountError(number, line.keyword, grammar.args.size());
    line.args = SplitArgs(text.substr(blank + 1), grammar.args.size());
    if (line.args.size() != grammar.args.size()) throw CountError(number, line.keyword, grammar.args.size());
    for (size_t i = 0; i < line.args.size(); ++i) {
        const std::string reason = CheckArg(grammar.args[i], line.args[i]);
        if (!reason.empty()) throw ScriptError(number, line.keyword + ": " + reason);
        if (grammar.args[i] == Arg::Control) line.args[i] = IdText(ControlNames(), line.args[i]);
        if (grammar.args[i] == Arg::Command) line.args[i] = IdText(CommandNames(), line.args[i]);
    }
    return line;
}

}  // namespace

int ScriptLine::Number(size_t index) const {
    return ReadInt(args.at(index)).value();
}

ScriptError::ScriptError(int line, const std::string& reason)
    : std::runtime_error("line " + std::to_string(line) + ": " + reason) {}

std::vector<ScriptLine> ParseScript(std::string_view text) {
    std::vector<ScriptLine> lines;
    int number = 0;
    while (!text.empty()) {
        ++number;
        const size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        if (line.ends_with('\r')) line.remove_suffix(1);
        const bool blank = line.find_first_not_of(" \t") == std::string_view::npos;
        if (blank || line.starts_with('#')) continue;
        lines.push_back(ParseLine(number, line));
    }
    return lines;
}

std::vector<ScriptLine> ReadScript(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw std::runtime_error("cannot read the script " + path);
    const std::string text{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    return ParseScript(text);
}

std::vector<std::string> SplitFillFields(const std::string& fields) {
    std::vector<std::string> parts;
    size_t start = 0;
    for (size_t bar = fields.find('|'); bar != std::string::npos; bar = fields.find('|', start)) {
        parts.push_back(fields.substr(start, bar - start));
        start = bar + 1;
    }
    parts.push_back(fields.substr(start));
    return parts;
}

ScriptDate ParseScriptDate(const std::string& text) {
    return ReadDate(text).value();
}

}  // namespace keltrov::automation
