// keltrov-host: the stand-in host application. It prepares and opens the database, and either
// answers one console request or loads the plug-in and calls init, then indlg, optionally with
// a script of user actions run against the dialog.
#include "host/automation/runner.hpp"
#include "host/automation/virtual_display.hpp"
#include "host/console.hpp"
#include "host/host_tables.hpp"
#include "host/options.hpp"
#include "host/plugin_loader.hpp"
#include "host/template_tool.hpp"
#include "platform/db/database.hpp"
#include "platform/ui/gui_app.hpp"

#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <stdexcept>

namespace keltrov::host {

namespace {

std::string SqliteConnection(const std::string& path, bool mayCreate) {
    if (path.find_first_of(";{}") != std::string::npos)
        throw std::runtime_error("database file names may not hold ';', '{' or '}': " + path);
    return "Driver=SQLite3;Database=" + path + (mayCreate ? ";" : ";NoCreat=1;");
}

std::vector<unsigned char> ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw std::runtime_error("cannot read " + path);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// All or nothing: a database whose tables exist already, or a failing row, leaves it as it was.
void PrepareDatabase(db::CDatabase& db, bool withDemo) {
    if (!db.BeginTrans()) throw *db.TransactionError();
    try {
        CreateHostTables(db);
        if (withDemo) {
            LoadDemoData(db, DateTime::Now());
            StoreWageTemplate(db, BuildDemoWageTemplate());
        }
    } catch (const db::DbException&) {
        db.Rollback();
        throw;
    }
    if (!db.CommitTrans()) throw *db.TransactionError();
}

// A new SQLite file at `path`, or the tables in the database of `connect` when `path` is empty.
void CreateDatabase(const std::string& path, const std::string& connect, bool withDemo) {
    if (!path.empty() && std::filesystem::exists(path))
        throw std::runtime_error("the database file exists already: " + path);
    db::CDatabase db;
    db.OpenEx(path.empty() ? connect : SqliteConnection(path, true));
    PrepareDatabase(db, withDemo);
}

void OpenDatabase(db::CDatabase& db, const HostOptions& options) {
    if (!options.connect.empty()) {
        db.OpenEx(options.connect);
        return;
    }
    if (!std::filesystem::exists(options.dbFile))
        throw std::runtime_error("database file not found: " + options.dbFile);
    db.OpenEx(SqliteConnection(options.dbFile, false));
}

void RunPlugin(db::CDatabase& db, const HostOptions& options) {
    PluginLibrary plugin(options.plugin.empty() ? DefaultPluginPath() : options.plugin);
    PluginContext context;
    context.strBankId = options.bankId;
    plugin.init(&db, context);
    plugin.indlg();
}

// Prints "line N: reason" for a script that cannot be read or stops, and returns the exit code.
int RunScript(db::CDatabase& db, const HostOptions& options) {
    std::optional<std::string> failure;
    try {
        std::vector<automation::ScriptLine> script = automation::ReadScript(options.script);
        if (!EnsureGuiApp()) throw std::runtime_error("no display to run the script on");
        automation::ScriptRunner runner(std::move(script));
        RunPlugin(db, options);
        failure = runner.Finish();
    } catch (const automation::ScriptError& error) {
        failure = error.what();
    }
    if (failure) std::cerr << *failure << '\n';
    return failure ? 1 : 0;
}

int Run(const HostOptions& options) {
    if (!options.checkTemplate.empty()) return CheckTemplate(options.checkTemplate, std::cout, std::cerr);
    const std::optional<std::string>& created = options.createDb ? options.createDb : options.createDemo;
    if (created) CreateDatabase(*created, options.connect, options.createDemo.has_value());
    const bool actionGiven =
        !options.query.empty() || !options.exec.empty() || !options.storeTemplate.empty() || !options.script.empty();
    // Created and given nothing to open, or created in the connected database and asked for nothing more.
    if (created && options.dbFile.empty() && (options.connect.empty() || !actionGiven)) return 0;
    if (options.dbFile.empty() && options.connect.empty())
        throw std::runtime_error("no database: give --db FILE or --connect STRING");
    db::CDatabase db;
    OpenDatabase(db, options);
    if (!options.query.empty()) {
        PrintQuery(db, options.query, std::cout);
    } else if (!options.exec.empty()) {
        db.ExecuteSQL(options.exec);
    } else if (!options.storeTemplate.empty()) {
        const std::vector<unsigned char> image = ReadFile(options.storeTemplate);
        CheckTemplateImage(image);  // a file the sheet cannot load is refused before anything is stored
        StoreWageTemplate(db, image);
    } else if (!options.script.empty()) {
        return RunScript(db, options);
    } else {
        RunPlugin(db, options);
    }
    return 0;
}

}  // namespace

}  // namespace keltrov::host

int main(int argc, char** argv) {
    using namespace keltrov::host;
    const ParsedOptions parsed = ParseOptions(std::vector<std::string>(argv + 1, argv + argc));
    if (!parsed.options) {
        std::cerr << "keltrov-host: " << parsed.error << " (see --help)\n";
        return 2;
    }
    if (parsed.options->help) {
        std::cout << kUsage;
        return 0;
    }
    try {
        if (!parsed.options->script.empty() && !keltrov::automation::HasDisplay())
            keltrov::automation::RerunUnderVirtualDisplay(argv);
        return Run(*parsed.options);
    } catch (const keltrov::db::DbException& error) {
        std::cerr << "keltrov-host: database error: " << error.ErrorText() << '\n';
    } catch (const std::exception& error) {
        std::cerr << "keltrov-host: " << error.what() << '\n';
    }
    return 1;
}
