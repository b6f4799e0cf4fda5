#pragma once
// Running an automation script against a dialog from a test: the dialog's modal loop runs the
// script, and what it failed at, or its dump, comes back.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "host/automation/runner.hpp"
#include "platform/ui/guarded_dialog.hpp"

namespace keltrov::test {

struct ScriptResult {
    std::string failure;  // "" when the script ran through
    int modalResult = 0;
};

inline ScriptResult RunScriptIn(GuardedDialog& dialog, const std::string& script) {
    automation::ScriptRunner runner(automation::ParseScript(script));
    const int modalResult = dialog.DoModal();
    return {runner.Finish().value_or(""), modalResult};
}

// Runs the script with a dump into file at its end, expects it to run through, and returns the dump.
inline std::string DumpAfterScript(GuardedDialog& dialog, const std::string& script,
                                   const std::filesystem::path& file) {
    EXPECT_EQ(RunScriptIn(dialog, script + "\ndump " + file.string()).failure, "");
    std::ifstream in(file);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

}  // namespace keltrov::test
