#include "data/period_key.hpp"

#include "data/dyn_recordset.hpp"
#include "data/statements.hpp"
#include "entry/host_state.hpp"
#include "platform/util/calendar.hpp"

namespace {

// February ends on the 29th in every year divisible by 4, as the host's periods are keyed.
std::string MonthEnd(const keltrov::DateTime& date) {
    const int month = date.GetMonth();
    if (month == 2) return date.Format(keltrov::IsLeapByFour(date.GetYear()) ? "%Y-%m-29" : "%Y-%m-28");
    return date.Format("%Y-%m-") + std::to_string(keltrov::calendar::DaysInMonth(date.GetYear(), month));
}

}  // namespace

std::string PeriodEnd(const keltrov::DateTime& date, long reportType) {
    switch (reportType) {
        case 0: return MonthEnd(date);
        case 1: return date.Format("%Y-12-31");
        case 2:
            if (date.GetDay() <= 10) return date.Format("%Y-%m-10");
            if (date.GetDay() <= 20) return date.Format("%Y-%m-20");
            return MonthEnd(date);
        case 3: return date.GetDay() <= 15 ? date.Format("%Y-%m-15") : MonthEnd(date);
        case 4: return date.Format("%Y-%m-%d");
        case 5:
            if (date.GetMonth() <= 3) return date.Format("%Y-03-31");
            if (date.GetMonth() <= 6) return date.Format("%Y-06-30");
            return date.Format("%Y-12-31");
        default: return {};
    }
}

std::string GetPeriodKey(const keltrov::DateTime& date, const std::string& reportId) {
    CDynRecordset recordset(g_pDatabase);
    recordset.OpenSql(keltrov::sql::ReportType(reportId));
    if (recordset.IsEOF()) {
        recordset.Close();
        return {};
    }
    const long reportType = recordset.GetFieldValue(recordset.GetFieldIndex("reporttype")).AsLong();
    recordset.Close();
    return g_strBankId + PeriodEnd(date, reportType);
}
