#pragma once
// A recordset that opens any SQL text and binds every column of the result by its ODBC type at
// run time; callers read columns by name through GetFieldIndex and GetFieldValue.
#include "data/field_value.hpp"
#include "platform/db/recordset.hpp"

#include <memory>
#include <string>
#include <unordered_map>
#include <utility>

class CDynRecordset : public keltrov::db::CRecordset {
public:
    explicit CDynRecordset(keltrov::db::CDatabase* database);
    ~CDynRecordset() override;

    void Move(long rows, unsigned short fetchType) override;
    void DoFieldExchange(keltrov::db::CFieldExchange* pFX) override;
    [[noreturn]] void ThrowDBException(short returnCode, const std::string& sql = {}) override;

    // The open type is not used: every query opens as a snapshot. The options pass on unchanged.
    virtual bool OpenSql(const std::string& sql, unsigned openType = useDefault, uint32_t options = none);

    // The columns from first to last (indexes) are fetched as numbers, for readers
    // that want only their values: a driver may declare an amount column as text (SQLite's does).
    void FetchAsNumbers(int firstColumn, int lastColumn) { m_numberColumns = {firstColumn, lastColumn}; }

    // Index of the column of that name, without regard to case; -1 when the result has none.
    int GetFieldIndex(const std::string& name) const;
    // The value of a column in the current row; an index outside the columns gives a null value of kind 0.
    CFieldValue& GetFieldValue(int index);
    std::string GetColumnName(int index) const;

private:
    void BindColumns();
    short KindToFetch(int index, short sqlType) const;
    void ReleaseValues();
    std::string UniqueName(const std::string& name) const;

    std::unique_ptr<CFieldValue[]> m_pValues;
    int m_nCapacity = 0;
    std::unordered_map<std::string, int> m_nameMap;
    bool m_bRebind = false;
    std::pair<int, int> m_numberColumns{0, -1};
    CFieldValue m_outside;  // what an index outside the columns reads
};

// The number a counting query gives: the first column of its one row.
long CountOf(keltrov::db::CDatabase* database, const std::string& query);
