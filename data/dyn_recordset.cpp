#include "data/dyn_recordset.hpp"

#include <algorithm>
#include <cctype>

using keltrov::db::CFieldExchange;
using keltrov::db::CODBCFieldInfo;

namespace {

constexpr unsigned kFieldCountBeforeBinding = 255;

std::string Upper(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return text;
}

}  // namespace

CDynRecordset::CDynRecordset(keltrov::db::CDatabase* database) : CRecordset(database) {}

CDynRecordset::~CDynRecordset() {
    ReleaseValues();
}

bool CDynRecordset::OpenSql(const std::string& sql, unsigned /*openType*/, uint32_t options) {
    m_nFields = kFieldCountBeforeBinding;
    m_bRebind = true;
    return Open(snapshot, sql, options);
}

void CDynRecordset::Move(long rows, unsigned short fetchType) {
    if (m_bRebind) {
        BindColumns();
        m_bRebind = false;
    }
    CRecordset::Move(rows, fetchType);
}

void CDynRecordset::ThrowDBException(short returnCode, const std::string& sql) {
    CRecordset::ThrowDBException(returnCode, sql);
}

std::string CDynRecordset::UniqueName(const std::string& name) const {
    if (!m_nameMap.contains(name)) return name;
    for (int suffix = 2;; ++suffix) {
        std::string candidate = name + std::to_string(suffix);
        if (!m_nameMap.contains(candidate)) return candidate;
    }
}

void CDynRecordset::BindColumns() {
    m_nameMap.clear();
    const int n = GetODBCFieldCount();
    m_nFields = static_cast<unsigned>(n);
    if (m_nCapacity < n) {
        ReleaseValues();
        m_pValues = std::make_unique<CFieldValue[]>(static_cast<size_t>(n));
        m_nCapacity = n;
    }
    for (int i = 0; i < n; ++i) {
        CFieldValue& value = m_pValues[i];
        CODBCFieldInfo info;
        GetODBCFieldInfo(static_cast<short>(i), info);
        value.PrepareFor(KindToFetch(i, info.m_nSQLType));
        value.m_strColumnName = UniqueName(Upper(info.m_strName));
        m_nameMap.emplace(value.m_strColumnName, i);
    }
}

short CDynRecordset::KindToFetch(int index, short sqlType) const {
    const auto [first, last] = m_numberColumns;
    return index >= first && index <= last ? keltrov::db::sqltype::Double : sqlType;
}

void CDynRecordset::ReleaseValues() {
    m_pValues.reset();
    m_nCapacity = 0;
}

void CDynRecordset::DoFieldExchange(CFieldExchange* pFX) {
    // A fetch has already moved the row into the values bound to its columns: only nulls follow.
    if (pFX->m_nOperation == CFieldExchange::Fetch) {
        const std::vector<char>& nulls = GetFieldNullStatus();
        for (unsigned i = 0; i < m_nFields; ++i) m_pValues[i].m_bNull = nulls[i] != 0;
        return;
    }
    for (unsigned i = 0; i < m_nFields; ++i) {
        CFieldValue& value = m_pValues[i];
        const std::string& name = value.m_strColumnName;
        switch (value.m_dwType) {
            case DBVT_BOOL: RFX_Bool(pFX, name, value.m_boolVal); break;
            case DBVT_UCHAR: RFX_Byte(pFX, name, value.m_chVal); break;
            case DBVT_SHORT:
                // Short integers are exchanged as long ones.
                value.m_dwType = DBVT_LONG;
                value.m_lVal = 0;
                RFX_Long(pFX, name, value.m_lVal);
                break;
            case DBVT_LONG: RFX_Long(pFX, name, value.m_lVal); break;
            case DBVT_SINGLE: RFX_Single(pFX, name, value.m_fltVal); break;
            case DBVT_DOUBLE: RFX_Double(pFX, name, value.m_dblVal); break;
            case DBVT_DATE: RFX_Date(pFX, name, *value.m_pdate); break;
            case DBVT_STRING: RFX_Text(pFX, name, *value.m_pstring); break;
            case DBVT_BINARY: RFX_Binary(pFX, name, *value.m_pByteArray); break;
            default: RFX_Skip(pFX); break;
        }
        value.m_bNull = IsFieldStatusNull(static_cast<int>(i));
    }
}

int CDynRecordset::GetFieldIndex(const std::string& name) const {
    const auto found = m_nameMap.find(Upper(name));
    return found == m_nameMap.end() ? -1 : found->second;
}

CFieldValue& CDynRecordset::GetFieldValue(int index) {
    if (index < 0 || index >= static_cast<int>(m_nFields) || index >= m_nCapacity) {
        m_outside.Clear();
        m_outside.m_bNull = true;
        return m_outside;
    }
    return m_pValues[index];
}

std::string CDynRecordset::GetColumnName(int index) const {
    for (const auto& [name, position] : m_nameMap) {
        if (position == index) return name;
    }
    return {};
}

long CountOf(keltrov::db::CDatabase* database, const std::string& query) {
    CDynRecordset rows(database);
    rows.OpenSql(query);
    return rows.GetFieldValue(0).AsLong();
}
