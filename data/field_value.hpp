#pragma once
// The value of one result column in the current row, and its conversions to and from text,
// numbers and dates.
#include "platform/db/recordset.hpp"
#include "platform/util/datetime.hpp"

#include <cstdint>
#include <string>
#include <vector>

// Value kinds, in the numbering the system uses.
enum : uint32_t {
    DBVT_NULL = 0,
    DBVT_BOOL = 1,
    DBVT_UCHAR = 2,
    DBVT_SHORT = 3,
    DBVT_LONG = 4,
    DBVT_SINGLE = 5,
    DBVT_DOUBLE = 6,
    DBVT_DATE = 7,
    DBVT_STRING = 8,
    DBVT_BINARY = 9
};

class CFieldValue {
public:
    CFieldValue() = default;
    ~CFieldValue();
    CFieldValue(const CFieldValue&) = delete;
    CFieldValue& operator=(const CFieldValue&) = delete;

    std::string AsText() const;
    int32_t AsLong() const;
    double AsDouble() const;
    keltrov::DateTime AsDate() const;
    // The bytes of a binary value; none for every other kind.
    std::vector<unsigned char>* GetBinary() const;

    CFieldValue& SetLong(int32_t n);
    CFieldValue& SetText(const std::string& text);

    // Releases the owned storage; the kind becomes 0.
    void Clear();
    // Takes the kind an ODBC SQL type binds as, with the storage that kind needs.
    void PrepareFor(short sqlType);

    uint32_t m_dwType = DBVT_NULL;
    union {
        int32_t m_boolVal;
        unsigned char m_chVal;
        int16_t m_iVal;
        int32_t m_lVal;
        float m_fltVal;
        double m_dblVal;
        keltrov::db::Timestamp* m_pdate;
        std::string* m_pstring;
    };
    std::vector<unsigned char>* m_pByteArray = nullptr;
    bool m_bNull = true;
    std::string m_strColumnName;

private:
    void ClearValue() { m_dblVal = 0; }
};

// Makes `text` exactly as long as the bytes and copies every byte into it.
void CopyBytesToText(std::string& text, const std::vector<unsigned char>& bytes);

// The decimal number a text starts with, as the conversions read it; 0 when it starts with none.
double LeadingDecimal(const std::string& text);
