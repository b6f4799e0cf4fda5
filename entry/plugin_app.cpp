#include "entry/plugin_app.hpp"

#include "data/dyn_recordset.hpp"
#include "entry/host_state.hpp"
#include "platform/db/database.hpp"
#include "platform/util/sql_format.hpp"
#include "platform/ui/message.hpp"

void CaptureHostState(keltrov::db::CDatabase* db, const PluginContext& ctx) {
    CDynRecordset recordset(db);
    g_pDatabase = db;
    g_strBankId = ctx.strBankId;
    recordset.OpenSql(keltrov::FormatSql("select * from Organize  where bankid='%s'", ctx.strBankId));
    if (!recordset.IsEOF()) g_strBankName = recordset.GetFieldValue(recordset.GetFieldIndex("bankname")).AsText();
    recordset.Close();
    g_bCanTransact = db->CanTransact();
}

void RunPayrollDialog() {
    if (g_pDatabase == nullptr) {
        keltrov::ShowMessage("没有打开的数据库：主程序须先调用 init，才能打开住户数据录入");
        return;
    }
    // The payroll dialog is not built yet; until it is, the screen reports the bank it would open.
    keltrov::ShowMessage("银行: " + g_strBankId + " " + g_strBankName);
}
