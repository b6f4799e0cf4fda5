#include "entry/plugin_app.hpp"

#include "data/dyn_recordset.hpp"
#include "data/statements.hpp"
#include "dialog/payroll_dlg.hpp"
#include "entry/host_state.hpp"
#include "platform/db/database.hpp"
#include "platform/ui/gui_app.hpp"
#include "platform/ui/message.hpp"

void CaptureHostState(keltrov::db::CDatabase* db, const PluginContext& ctx) {
    CDynRecordset recordset(db);
    g_pDatabase = db;
    g_strBankId = ctx.strBankId;
    recordset.OpenSql(keltrov::sql::BankName(ctx.strBankId));
    if (!recordset.IsEOF()) g_strBankName = recordset.GetFieldValue(recordset.GetFieldIndex("bankname")).AsText();
    recordset.Close();
    g_bCanTransact = db->CanTransact();
}

void RunPayrollDialog() {
    if (g_pDatabase == nullptr) {
        keltrov::ShowMessage("没有打开的数据库：主程序须先调用 init，才能打开住户数据录入");
        return;
    }
    if (!keltrov::EnsureGuiApp()) {
        keltrov::ShowMessage("无法启动图形界面：没有可用的显示");
        return;
    }
    CPayrollDlg dialog;
    dialog.DoModal();
}
