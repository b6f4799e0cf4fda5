#pragma once
// A recordset over one query: opened as a snapshot, fetched one row at a time forward, its columns
// exchanged with the derived class's storage through DoFieldExchange, and the current row changed
// through Edit / AddNew / Update.
#include "platform/db/database.hpp"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace keltrov::db {

// ODBC SQL type codes the system names (the values of the ODBC headers).
namespace sqltype {
inline constexpr short Char = 1, Numeric = 2, Decimal = 3, Integer = 4, SmallInt = 5, Float = 6, Real = 7, Double = 8,
                       Date = 9, Time = 10, Timestamp = 11, VarChar = 12, TypeDate = 91, TypeTime = 92,
                       TypeTimestamp = 93, LongVarChar = -1, Binary = -2, VarBinary = -3, LongVarBinary = -4,
                       BigInt = -5, TinyInt = -6, Bit = -7, WChar = -8, WVarChar = -9, WLongVarChar = -10;
}

// The layout of the ODBC timestamp structure.
struct Timestamp {
    int16_t year = 0;
    uint16_t month = 0, day = 0, hour = 0, minute = 0, second = 0;
    uint32_t fraction = 0;
};
// What a null date-time column holds.
Timestamp NullTimestamp();
// A date-time text as databases write it: "YYYY-MM-DD", optionally followed (after a blank or "T")
// by "HH:MM", ":SS" and a fraction; or a time of day alone. Text that is none of these gives a
// timestamp of zeros, which reads as no valid date.
Timestamp ParseTimestamp(std::string_view text);

struct CODBCFieldInfo {
    std::string m_strName;
    short m_nSQLType = 0;
    unsigned long m_nPrecision = 0;
    short m_nScale = 0;
    short m_nNullability = 0;
};

class CRecordset;

// Passed to DoFieldExchange; the RFX_ functions below do the work of each operation.
class CFieldExchange {
public:
    enum Operation { BindFieldToColumn, Fetch, SetFieldNull, CollectValues };

    struct Column;
    CFieldExchange(CRecordset& recordset, Operation operation);
    Operation m_nOperation;
    void Exchange(const Column& column);

private:
    CRecordset& m_recordset;
    int m_nextColumn = 0;
};

void RFX_Bool(CFieldExchange* pFX, const std::string& name, int32_t& value);
void RFX_Byte(CFieldExchange* pFX, const std::string& name, unsigned char& value);
void RFX_Long(CFieldExchange* pFX, const std::string& name, int32_t& value);
void RFX_Single(CFieldExchange* pFX, const std::string& name, float& value);
void RFX_Double(CFieldExchange* pFX, const std::string& name, double& value);
void RFX_Date(CFieldExchange* pFX, const std::string& name, Timestamp& value);
// Texts and bytes are read whole, however long.
void RFX_Text(CFieldExchange* pFX, const std::string& name, std::string& value);
void RFX_Binary(CFieldExchange* pFX, const std::string& name, std::vector<unsigned char>& value);
// A column the derived class does not bind: skipped, but its null status still follows the row.
void RFX_Skip(CFieldExchange* pFX);

class CRecordset {
public:
    enum OpenType { dynaset = 0, snapshot = 1, forwardOnly = 3, useDefault = 0xFFFFFFFF };
    enum OpenOptions : uint32_t { none = 0, readOnly = 0x0004 };

    explicit CRecordset(CDatabase* database);
    virtual ~CRecordset();
    CRecordset(const CRecordset&) = delete;
    CRecordset& operator=(const CRecordset&) = delete;

    // Runs the query (through the dialect adapter) and fetches the first row. Unless read-only, a
    // query of one table also selects the table's key where it does not list it, to update by it.
    virtual bool Open(unsigned openType, const std::string& sql, uint32_t options);
    virtual void Close();
    bool IsOpen() const;
    bool IsEOF() const;
    bool IsBOF() const;
    void MoveNext();
    // Only single-row forward fetching is offered: rows 1 with fetch type 1 (next).
    virtual void Move(long rows, unsigned short fetchType);

    short GetODBCFieldCount() const;
    void GetODBCFieldInfo(short index, CODBCFieldInfo& info) const;
    // Null status of column `index` (from 0) in the current row.
    bool IsFieldStatusNull(int index) const;
    // The null status of every column of the current row at once: non-zero where it is null.
    const std::vector<char>& GetFieldNullStatus() const;

    // Edit cycle of the current row; Update changes exactly that row or throws DbException. The row is
    // found by the table's key together with the values it was read with; without a key, by the values
    // alone, and only when no other row holds them.
    void Edit();
    void AddNew();
    bool Update();
    void CancelUpdate();

    virtual void DoFieldExchange(CFieldExchange* pFX) = 0;
    [[noreturn]] virtual void ThrowDBException(short returnCode, const std::string& sql = {});

    CDatabase* m_pDatabase;
    unsigned m_nFields = 0;
    std::string m_strSQL;

    struct Impl;
    Impl& GetImpl() const { return *m_impl; }

private:
    std::unique_ptr<Impl> m_impl;
};

}  // namespace keltrov::db
