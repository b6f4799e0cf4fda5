#pragma once
// The plug-in's only two exported functions.
#include "entry/plugin_context.hpp"

#define KELTROV_EXPORT extern "C" __attribute__((visibility("default")))

KELTROV_EXPORT void init(keltrov::db::CDatabase* db, PluginContext ctx);
KELTROV_EXPORT void indlg();
