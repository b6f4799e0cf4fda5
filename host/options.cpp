#include "host/options.hpp"

#include "host/host_tables.hpp"

#include <map>

namespace keltrov::host {

const char* const kUsage =
    "usage: keltrov-host [options]\n"
    "  --create-db FILE        create a new SQLite database with the host's tables and no rows\n"
    "  --create-demo FILE      create a new SQLite database with the tables and the demo data\n"
    "  --create-db, --create-demo (without FILE, with --connect)\n"
    "                          create the tables (and the demo data) in the connected database\n"
    "  --db FILE               open an existing SQLite database file\n"
    "  --connect STRING        open any ODBC connection string instead of --db\n"
    "  --bank ID               the bank id handed to init (default: the demo bank 10000001)\n"
    "  --query SQL             run one query and print its rows, tab-separated\n"
    "  --exec SQL              run one statement\n"
    "  --store-template FILE   store a workbook file as the wage template of report B812\n"
    "  --check-template FILE   print every non-empty cell of a workbook as the wage sheet reads it\n"
    "  --plugin FILE           the plug-in to load (default: libkeltrov.so beside keltrov-host)\n"
    "  --script FILE           run a script of user actions against the dialog (under Xvfb without a display)\n"
    "  --help                  show this text\n"
    "Without --query, --exec or --store-template the host calls init, then indlg.\n";

ParsedOptions ParseOptions(const std::vector<std::string>& args) {
    HostOptions options;
    options.bankId = kDemoBankId;
    const std::map<std::string, std::optional<std::string>*> creating{
        {"--create-db", &options.createDb},
        {"--create-demo", &options.createDemo},
    };
    const std::map<std::string, std::string*> valued{
        {"--db", &options.dbFile},
        {"--connect", &options.connect},
        {"--bank", &options.bankId},
        {"--query", &options.query},
        {"--exec", &options.exec},
        {"--store-template", &options.storeTemplate},
        {"--check-template", &options.checkTemplate},
        {"--plugin", &options.plugin},
        {"--script", &options.script},
    };
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "--help" || arg == "-h") {
            options.help = true;
            continue;
        }
        if (const auto create = creating.find(arg); create != creating.end()) {
            // Without a file name the tables go into the database of --connect.
            const bool named = i + 1 < args.size() && !args[i + 1].starts_with("--");
            *create->second = named ? args[++i] : "";
            continue;
        }
        const auto found = valued.find(arg);
        if (found == valued.end()) return {std::nullopt, "unknown option " + arg};
        if (i + 1 >= args.size()) return {std::nullopt, "option " + arg + " needs a value"};
        *found->second = args[++i];
    }
    if (!options.dbFile.empty() && !options.connect.empty())
        return {std::nullopt, "--db and --connect exclude each other"};
    if (options.createDb && options.createDemo)
        return {std::nullopt, "--create-db and --create-demo exclude each other"};
    const std::optional<std::string>& created = options.createDb ? options.createDb : options.createDemo;
    if (created && created->empty() && options.connect.empty())
        return {std::nullopt, "--create-db and --create-demo need a FILE, or --connect to create in"};
    if (created && !created->empty() && !options.connect.empty())
        return {std::nullopt,
                "--create-db FILE and --create-demo FILE make a SQLite file: leave FILE out with --connect"};
    const int actions =
        !options.query.empty() + !options.exec.empty() + !options.storeTemplate.empty() + !options.script.empty();
    if (actions > 1) return {std::nullopt, "--query, --exec, --store-template and --script exclude each other"};
    return {options, {}};
}

}  // namespace keltrov::host
