#pragma once
// keltrov-host's command line.
#include <optional>
#include <string>
#include <vector>

namespace keltrov::host {

struct HostOptions {
    // --create-db [FILE], --create-demo [FILE]: a new SQLite file, or without FILE the database --connect names.
    std::optional<std::string> createDb;
    std::optional<std::string> createDemo;
    std::string dbFile;         // --db FILE
    std::string connect;        // --connect STRING
    std::string bankId;         // --bank ID
    std::string query;          // --query SQL
    std::string exec;           // --exec SQL
    std::string storeTemplate;  // --store-template FILE
    std::string checkTemplate;  // --check-template FILE
    std::string plugin;         // --plugin FILE
    std::string script;         // --script FILE
    bool help = false;
};

struct ParsedOptions {
    std::optional<HostOptions> options;
    std::string error;  // set when options is empty
};

ParsedOptions ParseOptions(const std::vector<std::string>& args);
extern const char* const kUsage;

}  // namespace keltrov::host
