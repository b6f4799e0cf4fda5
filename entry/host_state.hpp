#pragma once
// What init captures from the host; read by every part that touches the database.
#include <string>

namespace keltrov::db {
class CDatabase;
}

extern keltrov::db::CDatabase* g_pDatabase;
extern std::string g_strBankId;
extern std::string g_strBankName;
extern bool g_bCanTransact;
