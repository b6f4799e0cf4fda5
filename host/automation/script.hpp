#pragma once
// The automation script: one user action a line, parsed and checked before anything runs.
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace keltrov::automation {

enum class LineKind {
    Select,
    Expand,
    Collapse,
    Click,
    Command,
    Set,
    Date,
    Key,
    RightClick,
    DblClick,
    Drag,
    DragOut,
    Hover,
    Cell,
    Current,
    Answer,
    Input,
    InputCancel,
    Fill,
    FillCancel,
    Calendar,
    CalendarCancel,
    Menu,
    ExpectMessage,
    ExpectNoMessage,
    Dump,
    Screenshot,
    Export,
    PrintPdf,
};

struct ScriptLine {
    int number = 0;  // 1-based line of the script file
    LineKind kind = LineKind::Select;
    std::string keyword;  // as written, for messages
    // Checked against the line's kind; a control or command written by name holds its number.
    std::vector<std::string> args;
    // The argument at index as an integer; the parser has checked that it is one.
    int Number(size_t index) const;
};

// "line N: reason".
class ScriptError : public std::runtime_error {
public:
    ScriptError(int line, const std::string& reason);
};

std::vector<ScriptLine> ParseScript(std::string_view text);
std::vector<ScriptLine> ReadScript(const std::string& path);

// The five fields of a fill line: text, start row, end row, operator, and "0" or "1".
std::vector<std::string> SplitFillFields(const std::string& fields);

struct ScriptDate {
    int year;
    int month;
    int day;
};
// A checked YYYY-MM-DD argument.
ScriptDate ParseScriptDate(const std::string& text);

}  // namespace keltrov::automation
