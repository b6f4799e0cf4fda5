#pragma once
// The context the host passes to init, by value; its layout is the calling interface with the host.
#include <cstdint>
#include <string>

struct PluginContext {
    std::string strBankId;  // the current bank's id
    std::string strText2;   // the remaining fields are the host's own and are not read
    uint32_t dwValue3 = 0;
    std::string strText4;
    uint32_t dwValue5 = 0;
};

namespace keltrov::db {
class CDatabase;
}

// The two exports, as the host resolves them by name.
using InitFunction = void (*)(keltrov::db::CDatabase* db, PluginContext ctx);
using IndlgFunction = void (*)();
