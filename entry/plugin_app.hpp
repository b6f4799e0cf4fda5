#pragma once
// What the two exports do.
#include "entry/plugin_context.hpp"

// Captures the host's database, bank and transaction capability.
void CaptureHostState(keltrov::db::CDatabase* db, const PluginContext& ctx);
// Runs the payroll screen modally on the database init captured.
void RunPayrollDialog();
