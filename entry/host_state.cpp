#include "entry/host_state.hpp"

keltrov::db::CDatabase* g_pDatabase = nullptr;
std::string g_strBankId;
std::string g_strBankName;
bool g_bCanTransact = false;
