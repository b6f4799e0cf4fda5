#include "entry/exports.hpp"

#include "entry/plugin_app.hpp"

void init(keltrov::db::CDatabase* db, PluginContext ctx) {
    CaptureHostState(db, ctx);
}

void indlg() {
    RunPayrollDialog();
}
